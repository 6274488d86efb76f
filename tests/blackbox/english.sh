#!/bin/sh
# Drives k330-terminal in English (--lang en) under a virtual X server like a user, on the
# simulated controller in the service mode 10, where every item of the device tree exists:
# opens every window of the tree of both models, the About window, the dialogs and the question
# box, and the firmware file dialog; then checks that no widget showed a Cyrillic letter. The
# widgets' texts come from textdump (LD_PRELOAD, K330_TEXT_DUMP), the program log from --log.
# Usage: english.sh <path to k330-terminal> <path to libk330_textdump.so>   (needs Xvfb, xdotool)
set -eu
app=$1
dump_lib=$2
. "$(dirname "$0")/sandbox.sh"
dump="$work/texts.txt"
log="$work/english.log"
# A sanitized build has its runtime first in the process: it goes before the helper.
preload=$dump_lib
asan=$(ldd "$app" | awk '/libasan|libtsan|libubsan/ { print $3; exit }')
[ -n "$asan" ] && preload="$asan $dump_lib"

cat > "$work/drive.sh" <<DRIVE
#!/bin/sh
set -u
export QT_QPA_PLATFORM=xcb
failures=0
fail() { echo "FAIL: \$*"; failures=\$((failures + 1)); }
find_window() { # title [tries of 0.1 s]
    i=0
    while [ \$i -lt \${2:-100} ]; do
        id=\$(xdotool search --name "^\$1\\\$" 2>/dev/null | tail -n 1 || true)
        if [ -n "\$id" ]; then echo "\$id"; return 0; fi
        sleep 0.1; i=\$((i + 1))
    done
    return 1
}
count() { n=\$(grep -c -- "\$1" "$log" 2>/dev/null); echo "\${n:-0}"; }
wait_log() { # text, count
    i=0
    while [ \$i -lt 100 ]; do
        [ "\$(count "\$1")" -ge "\$2" ] && return 0
        sleep 0.1; i=\$((i + 1))
    done
    return 1
}
focus() { xdotool windowfocus --sync "\$1" 2>/dev/null || true; sleep 0.3; }
main_title="K-330S Controller Terminal"
# Every item of the tree expanded ("*" on each row from the top), then the item at row \$1
# (0 is "Tasks") activated with Return; a click into the tree gives it the focus back first.
tree_click() { xdotool mousemove --window "\$main" 60 88 click 1; sleep 0.2; }
expand_tree() {
    tree_click
    xdotool key Home
    i=0
    while [ \$i -lt 32 ]; do xdotool key asterisk Down; i=\$((i + 1)); done
}
open_row() {
    tree_click
    xdotool key Home
    i=0
    while [ \$i -lt \$1 ]; do xdotool key Down; i=\$((i + 1)); done
    xdotool key Return
    sleep 0.8
}
new_config() { # keys in the model dialog
    focus "\$main"
    xdotool key ctrl+n
    d=\$(find_window "New configuration") || { fail "no model dialog"; return 1; }
    focus "\$d"
    sleep 0.5
    xdotool key \$1 Return
    sleep 0.5
    focus "\$main"
}

LD_PRELOAD="$preload" K330_TEXT_DUMP="$dump" "$app" --lang en --simulate --log "$log" \
    > "$work/app.out" 2>&1 &
pid=\$!
main=\$(find_window "\$main_title" 300) || { fail "the main window did not appear"; exit 1; }
focus "\$main"
wait_log "connected to the USB bus" 1 || fail "the simulated controller did not connect"

# K-330RA in service mode 10.
new_config Return
tries=0
while [ \$tries -lt 5 ]; do
    focus "\$main"
    xdotool key alt+o
    sleep 0.5
    xdotool key Down Return
    if s=\$(find_window "Service mode selection" 30); then break; fi
    xdotool key Escape Escape
    tries=\$((tries + 1))
done
focus "\$s"
xdotool type --delay 5 Ruby_Cobalts
xdotool key Return
sleep 0.6
focus "\$main"
wait_log "Loaded configuration of controller K-330RA" 2 || fail "no service mode 10"
expand_tree
# Rows 4 to 27: "Devices" down to "Information" (groups open nothing).
row=4
while [ \$row -le 27 ]; do open_row \$row; row=\$((row + 1)); done
# "Write" runs to its end; "Load firmware" asks for a file, which is cancelled.
open_row 2
sleep 2
open_row 3
if f=\$(find_window "Open file" 50); then focus "\$f"; xdotool key Escape; sleep 0.4
else fail "no firmware file dialog"; fi
# About, from the Help menu.
focus "\$main"
xdotool key alt+h
sleep 0.5
xdotool key Return
sleep 0.8
# "Read" asks to close the open configuration; Yes, then the read runs.
open_row 1
if [ "\$(xdotool search --name "^\$main_title\\\$" | wc -l)" -ge 2 ]; then
    focus "\$(xdotool search --name "^\$main_title\\\$" | grep -v "^\$main\\\$" | tail -n 1)"
    xdotool key Return
else fail "no question before the read"; fi
wait_log "Configuration read finished" 1 || fail "the read did not finish"
sleep 2

# K-330RB: its own radio pages (rows 6 and 7). The new configuration asks first.
focus "\$main"
xdotool key ctrl+n
sleep 0.8
focus "\$(xdotool search --name "^\$main_title\\\$" | grep -v "^\$main\\\$" | tail -n 1)"
xdotool key Return
d=\$(find_window "New configuration") && { focus "\$d"; sleep 0.3; xdotool key Down Return; }
sleep 0.6
wait_log "Loaded configuration of controller K-330RB" 1 || fail "no K-330RB configuration"
expand_tree
open_row 6
open_row 7
sleep 1
kill \$pid 2>/dev/null || true
wait \$pid 2>/dev/null || true
echo "\$failures" > "$work/failures"
DRIVE
chmod +x "$work/drive.sh"
run_under_xvfb "$work/drive.sh" || true

failures=$(cat "$work/failures" 2>/dev/null || echo 1)
# Every window title the tree and the menus open must have been shown, in English.
for title in "Microphone input" "Receiver output" "Headset output" "Accessory output" \
    "Vocoder" "LF amplifier" "Recorder" "Connection" "Codec" "Input amplifier" \
    "Output amplifier" "Link protocol" "Statistics" "Constellation" "ADC signal" \
    "DAC signal" "Channel 3" "Channel 4" "Trace" "Information" "Write" "About" "Read" \
    "Receiver input" "Microphone output" "Service mode selection" "New configuration"; do
    if ! grep -q ": $title\$" "$dump" 2>/dev/null; then
        echo "FAIL: the window '$title' was not shown"
        failures=$((failures + 1))
    fi
done
# Python, not grep: a bracket of Cyrillic letters is no valid pattern in the C locale.
if ! python3 - "$dump" "$log" <<'CHECK'
import re, sys
found = False
for name in sys.argv[1:]:
    with open(name, encoding="utf-8", errors="replace") as f:
        for n, line in enumerate(f, 1):
            if re.search("[\u0400-\u04FF]", line):
                print("%s:%d: %s" % (name, n, line.rstrip()))
                found = True
sys.exit(1 if found else 0)
CHECK
then
    echo "FAIL: the lines above show Cyrillic text in English"
    failures=$((failures + 1))
fi
[ -n "${K330_KEEP_TEXTS:-}" ] && cp "$dump" "$K330_KEEP_TEXTS"
if [ "$failures" != 0 ]; then
    cat "$work/app.out"
    echo "== texts"; cat "$dump" 2>/dev/null | head -400
    exit 1
fi
echo "PASS: $(wc -l < "$dump") texts of every window in English, none Cyrillic"
