#!/bin/sh
# Two simulated controllers kept by --sim-state: the second, chosen in the menu "Контроллер"
# with the keys, takes a write of a new configuration; the first's state file stays as it was.
# Usage: controller_choice.sh <k330-terminal> <k330ctl>   (needs Xvfb, xdotool, python3)
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
log="$work/app.log"
failures=0
fail() { echo "FAIL: \$*"; failures=\$((failures + 1)); }
wait_for() { # command..., retried for up to 30 s
    i=0; until "\$@"; do [ \$i -lt 300 ] || return 1; sleep 0.1; i=\$((i + 1)); done
}
logged() { grep -q -- "\$1" "\$log" 2>/dev/null; }
window() { xdotool search --name "^\$1\\\$" 2>/dev/null | tail -n 1 | grep .; }
focus() { xdotool windowfocus --sync "\$1" 2>/dev/null || true; sleep 0.3; }

"$app" --lang ru $sim --log "\$log" > "$work/app.out" 2>&1 &
pid=\$!
main=\$(wait_for window "Терминал контроллеров системы К-330С") || fail "no main window"
focus "\$main"
wait_for logged "подключен к шине USB (1-1)" || fail "the first controller did not connect by name"
# "Задачи" opened by its key, the menu to its right, its second entry.
for tries in 1 2 3 4 5; do
    focus "\$main"; xdotool key alt+Cyrillic_ze; sleep 0.5; xdotool key Right; sleep 0.5
    xdotool key Down Return; sleep 1
    logged "подключен к шине USB (1-2, 0x" && break
    xdotool key Escape Escape
done
logged "подключен к шине USB (1-2, 0x" || fail "the second controller was not chosen"
focus "\$main"; xdotool key ctrl+n
d=\$(wait_for window "Cоздание новой конфигурации") || fail "no dialog for a new configuration"
focus "\$d"; xdotool key Return
wait_for logged "Загружена конфигурация контроллера K-330RA" || fail "no configuration was created"
focus "\$main"; xdotool key ctrl+shift+w
wait_for logged "Ошибочных 0 байтов" || fail "the write did not complete"
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
