#!/bin/sh
# Drives k330-terminal under Xvfb with two simulated controllers whose memory --sim-state keeps:
# the second is chosen in the menu "Контроллер" with the keyboard, a new configuration is
# written with "Записать", the program ends. Then the first controller's state file is as it
# was and the second's holds the written configuration.
# Usage: controller_choice.sh <path to k330-terminal> <path to k330ctl>   (needs Xvfb, xdotool,
# python3)
set -eu
app=$1
ctl=$2
. "$(dirname "$0")/sandbox.sh"
state="$work/sim.state"
sim="--simulate --sim-count 2 --sim-state $state"

# Both state files as a first run leaves them (the defaults of the model); the second's then
# altered in one byte, which writing the defaults back must undo.
"$ctl" read $sim --device 1-1 -o "$work/seed.mcd" > "$work/seed.out" 2>&1
cp "$state" "$work/first.before"
python3 -c 'import sys; f = open(sys.argv[1], "r+b"); f.seek(119); f.write(b"\x0a")' "$state.2"

cat > "$work/drive.sh" <<DRIVE
#!/bin/sh
set -u
export QT_QPA_PLATFORM=xcb
main_title="Терминал контроллеров системы К-330С"
log="$work/app.log"
failures=0
fail() { echo "FAIL: \$*"; failures=\$((failures + 1)); }
find_window() { # title [tries of 0.1 s]
    i=0
    while [ \$i -lt \${2:-100} ]; do
        id=\$(xdotool search --name "^\$1\\\$" 2>/dev/null | tail -n 1 || true)
        [ -n "\$id" ] && { echo "\$id"; return 0; }
        sleep 0.1; i=\$((i + 1))
    done
    return 1
}
count() { n=\$(grep -c -- "\$1" "\$log" 2>/dev/null); echo "\${n:-0}"; }
wait_log() { # text, count [tries of 0.1 s]
    i=0
    while [ "\$(count "\$1")" -lt "\$2" ]; do
        [ \$i -lt \${3:-150} ] || return 1; sleep 0.1; i=\$((i + 1))
    done
}
focus() { xdotool windowfocus --sync "\$1" 2>/dev/null || true; sleep 0.3; }

"$app" --lang ru $sim --log "\$log" > "$work/app.out" 2>&1 &
pid=\$!
main=\$(find_window "\$main_title" 300) || { fail "the main window did not appear"; echo 1 > "$work/failures"; exit; }
focus "\$main"
wait_log "подключен к шине USB (1-1)" 1 || fail "the first controller did not connect by name"
# "Задачи" opened by its key, the menu to its right, its second entry.
tries=0
while [ \$tries -lt 5 ]; do
    focus "\$main"; xdotool key alt+Cyrillic_ze; sleep 0.5; xdotool key Right; sleep 0.5
    xdotool key Down Return
    wait_log "подключен к шине USB (1-2)" 1 30 && break
    xdotool key Escape Escape; tries=\$((tries + 1))
done
[ \$tries -lt 5 ] || fail "the second controller was not chosen"
focus "\$main"; xdotool key ctrl+n
d=\$(find_window "Cоздание новой конфигурации") || fail "no dialog for a new configuration"
focus "\$d"; xdotool key Return
wait_log "Загружена конфигурация контроллера K-330RA" 1 || fail "no configuration was created"
focus "\$main"; xdotool key ctrl+shift+w
wait_log "Ошибочных 0 байтов" 1 || fail "the write did not complete"
sleep 0.5
focus "\$main"; xdotool key ctrl+q; i=0
while kill -0 \$pid 2>/dev/null && [ \$i -lt 100 ]; do sleep 0.1; i=\$((i + 1)); done
kill \$pid 2>/dev/null && fail "Ctrl+Q did not end the program"
wait \$pid 2>/dev/null || true
echo "\$failures" > "$work/failures"
DRIVE
chmod +x "$work/drive.sh"
run_under_xvfb "$work/drive.sh" || true
failures=$(cat "$work/failures" 2>/dev/null || echo 1)
cmp -s "$state" "$work/first.before" || { echo "FAIL: the first controller's state changed"; failures=$((failures + 1)); }
cmp -s "$state.2" "$state" || { echo "FAIL: the second controller does not hold the written configuration"; failures=$((failures + 1)); }
if [ "$failures" != 0 ]; then
    for f in "$work"/*.log "$work"/*.out; do echo "== $f"; cat "$f"; done
    exit 1
fi
echo "PASS: the second controller chosen from the menu took the write; the first kept its state"
