#!/bin/sh
# Drives the modal flows of k330-terminal under a virtual X server like a user, on the
# simulated controller: the service dialog with a right and a wrong access code, the question
# "Закрыть текущее устройство" answered both ways, a warning box, and the trace window's file
# dialog answered with a name and cancelled.
# Usage: modal_flows.sh <path to k330-terminal>   (needs Xvfb, xdotool)
set -eu
app=$1
. "$(dirname "$0")/sandbox.sh"
printf '0123456789' > "$work/short.mcd"

cat > "$work/drive.sh" <<DRIVE
#!/bin/sh
set -u
export QT_QPA_PLATFORM=xcb
main_title="Терминал контроллеров системы К-330С"
failures=0
fail() { echo "FAIL[\$case]: \$*"; failures=\$((failures + 1)); }

start() { # case name
    case=\$1
    log="$work/\$case.log"
    "$app" --lang ru --simulate --log "\$log" > "$work/\$case.out" 2>&1 &
    pid=\$!
    # Starting takes long on a machine busy with other tests.
    main=\$(find_window "\$main_title" 300) || { fail "the main window did not appear"; return 1; }
    xdotool windowfocus --sync "\$main"
    wait_log "подключен к шине USB" 1 || fail "the simulated controller did not connect"
}
stop() {
    kill \$pid 2>/dev/null || true
    wait \$pid 2>/dev/null || true
}
windows() { xdotool search --name "^\$1\\\$" 2>/dev/null | wc -l; }
wait_windows() { # title, comparison, count: waits up to 5 s until the count of windows fits
    i=0
    while [ \$i -lt 50 ]; do
        [ "\$(windows "\$1")" "\$2" "\$3" ] && return 0
        sleep 0.1; i=\$((i + 1))
    done
    return 1
}
# The message box over the main window (same title, the newer window).
focus_box() { focus "\$(xdotool search --name "^\$main_title\\\$" | grep -v "^\$main\\\$" | tail -n 1)"; }
find_window() { # title [tries of 0.1 s]
    i=0
    while [ \$i -lt \${2:-100} ]; do
        id=\$(xdotool search --name "^\$1\\\$" 2>/dev/null | tail -n 1 || true)
        if [ -n "\$id" ]; then echo "\$id"; return 0; fi
        sleep 0.1; i=\$((i + 1))
    done
    [ -n "\${2:-}" ] || echo "FAIL[\$case]: window '\$1' did not appear" >&2
    return 1
}
count() { n=\$(grep -c -- "\$1" "\$log" 2>/dev/null); echo "\${n:-0}"; }
wait_log() { # text, count: waits until the log holds the text that often
    i=0
    while [ \$i -lt 100 ]; do
        [ "\$(count "\$1")" -ge "\$2" ] && return 0
        sleep 0.1; i=\$((i + 1))
    done
    return 1
}
focus() { xdotool windowfocus --sync "\$1" 2>/dev/null || true; sleep 0.3; }
new_config() { # keys in the model dialog
    xdotool key ctrl+n
    d=\$(find_window "Cоздание новой конфигурации") || return 1
    focus "\$d"
    xdotool key \$1 Return
    sleep 0.5
    focus "\$main"
}
# A menu's keys only reach it once it is open, which takes longer on a busy machine: the menu
# is opened again until its item's dialog comes up.
menu_dialog() { # menu key, keys in the menu, dialog title
    tries=0
    while [ \$tries -lt 5 ]; do
        focus "\$main"
        xdotool key "\$1"
        sleep 0.5
        xdotool key \$2
        if d=\$(find_window "\$3" 30); then echo "\$d"; return 0; fi
        xdotool key Escape Escape
        tries=\$((tries + 1))
    done
    echo "FAIL[\$case]: window '\$3' did not appear" >&2
    return 1
}
service() { # access code
    s=\$(menu_dialog alt+Cyrillic_o "Down Return" "Выбор сервисного режима") || return 1
    focus "\$s"
    xdotool type --delay 5 "\$1"
    xdotool key Return
    sleep 0.6
    focus "\$main"
}
# Activates the third child of "Задачи" in the device tree: "Загрузить ПО" exists there only in
# the firmware modes; otherwise the keys land on the group "Устройства", which opens nothing.
third_task() {
    xdotool mousemove --window "\$main" 60 88 click 1
    sleep 0.2
    xdotool key Home Right Down Down Down Return
    sleep 0.8
}
# The "Записать" button of the task tool bar (the window sits at the screen's corner).
write_config() {
    xdotool mousemove --window "\$main" 210 38 click 1
}

# The right code switches to mode 10: the tree is built again with its extra items, and a
# write sends the identification area too.
start service_ok
new_config Return
service Ruby_Cobalts
wait_log "Загружена конфигурация контроллера K-330RA" 2 || fail "the tree was not rebuilt for the new mode"
third_task
if wait_windows "Открыть файл" -ge 1; then xdotool key Escape; sleep 0.4
else fail "no firmware item in the tree"; fi
focus "\$main"
write_config
wait_log "передано 388 байт" 1 || fail "the write did not send 388 bytes"
stop

# A wrong code changes nothing.
start service_wrong
new_config Return
service Ruby_cobalts
sleep 0.5
[ "\$(count "Загружена конфигурация контроллера")" -eq 1 ] || fail "the tree was rebuilt"
third_task
[ "\$(windows "Открыть файл")" -eq 0 ] || fail "a firmware item appeared in user mode"
write_config
wait_log "передано 182 байт" 1 || fail "the write did not send 182 bytes"
stop

# "Закрыть текущее устройство": "&Нет" keeps the open configuration, "&Да" lets a new one in.
start question
new_config Return
xdotool key ctrl+n
wait_windows "\$main_title" -ge 2 || fail "no question box"
focus_box
xdotool key Escape
sleep 0.5
[ "\$(windows "Cоздание новой конфигурации")" -eq 0 ] || fail "the model dialog opened after &Нет"
[ "\$(count "Создана новая конфигурация")" -eq 1 ] || fail "&Нет created a configuration"
focus "\$main"
xdotool key ctrl+n
wait_windows "\$main_title" -ge 2 || fail "no question box"
focus_box
xdotool key Return
d=\$(find_window "Cоздание новой конфигурации") && { focus "\$d"; xdotool key Down Return; }
wait_log "Создана новая конфигурация контроллера K-330RB" 1 || fail "&Да did not lead to a new configuration"
stop

# A file of the wrong size: the warning box comes up, OK closes it, nothing is opened.
start warning
xdotool key ctrl+o
f=\$(find_window "Открыть файл") && { focus "\$f"; xdotool type --delay 5 "$work/short.mcd"; xdotool key Return; }
wait_windows "\$main_title" -ge 2 || fail "no warning box"
focus_box
xdotool key Return
wait_windows "\$main_title" -eq 1 || fail "the warning box did not close"
! grep -q "Загружена конфигурация" "\$log" || fail "a configuration was opened"
stop

# Trace window in service mode 5: "Сохранить" asks for the .log file in a modal dialog when the
# capture starts; the chosen file receives the Link lines. A cancelled dialog starts the capture
# without a file: the first file stays as it was.
click() { xdotool mousemove --window "\$main" \$1 \$2 click 1; sleep 0.2; }
run_button() { click 334 339; }
start trace_file
new_config Return
service Coral_Cobalts
wait_log "Загружена конфигурация контроллера K-330RA" 2 || fail "the tree was not rebuilt for mode 5"
click 73 122 # "Монитор", its fifth child "Трассировка"
xdotool key Right Down Down Down Down Down Return
sleep 0.8
# The tree dock's width follows its labels: hidden (the last entry of "Окно"), it leaves the
# trace window at the area's left edge, where the clicks below find its controls.
focus "\$main"; xdotool key alt+Cyrillic_en; sleep 0.5; xdotool key Up Return; sleep 0.5
click 294 181; click 294 207; click 294 274 # Link RxD, Link TxD, "Сохранить"
run_button
if f=\$(find_window "Сохранить файл" 300); then
    focus "\$f"; xdotool type --delay 5 "$work/trace.log"; xdotool key Return
else fail "no file dialog at the start"; fi
sleep 1.5
focus "\$main"
run_button
sleep 0.5
lines=\$(wc -l < "$work/trace.log" 2>/dev/null || echo 0)
[ "\$lines" -gt 10 ] || fail "the trace file holds \$lines lines"
grep -Evq '^[0-9:.]{12}-> Link [RT]xD=>(0x[0-9A-F]{2}; )+\$' "$work/trace.log" && fail "a line of the file is not a Link line"
run_button
if f=\$(find_window "Сохранить файл" 300); then focus "\$f"; xdotool key Escape
else fail "no file dialog at the second start"; fi
sleep 1
wait_windows "Сохранить файл" -eq 0 || fail "the file dialog stayed open"
focus "\$main"
run_button
sleep 0.3
[ "\$(wc -l < "$work/trace.log")" -eq "\$lines" ] || fail "the capture without a file wrote to the first file"
stop

echo "\$failures" > "$work/failures"
DRIVE
chmod +x "$work/drive.sh"
run_under_xvfb "$work/drive.sh" || true
if [ "$(cat "$work/failures" 2>/dev/null || echo 1)" != 0 ]; then
    for f in "$work"/*.log "$work"/*.out; do echo "== $f"; cat "$f"; done
    exit 1
fi
echo "PASS: service code right and wrong, question answered both ways, warning box, trace file dialog"
