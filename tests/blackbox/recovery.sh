#!/bin/sh
# Drives k330-terminal under a virtual X server like a user, on the simulated controller: a
# configuration read from the controller and never saved is left three ways ("&Да" to
# "Закрыть текущее устройство", "&Закрыть..." in the File menu, the program's end with Ctrl+Q);
# each time it must be kept in the recovery folder, and each kept one, opened again from
# "Восстановить несохранённые…", must be kept again byte for byte when the program ends.
# Usage: recovery.sh <path to k330-terminal>   (needs Xvfb, xdotool)
set -eu
app=$1
. "$(dirname "$0")/sandbox.sh"
kept="$HOME/.local/share/OOO VELK/Terminal K-330S/recovery"

cat > "$work/drive.sh" <<DRIVE
#!/bin/sh
set -u
export QT_QPA_PLATFORM=xcb
main_title="Терминал контроллеров системы К-330С"
failures=0
fail() { echo "FAIL[\$case]: \$*"; failures=\$((failures + 1)); }
find_window() { # title [tries of 0.1 s]
    i=0
    while [ \$i -lt \${2:-100} ]; do
        id=\$(xdotool search --name "^\$1\\\$" 2>/dev/null | tail -n 1 || true)
        if [ -n "\$id" ]; then echo "\$id"; return 0; fi
        sleep 0.1; i=\$((i + 1))
    done
    return 1
}
count() { n=\$(grep -c -- "\$1" "\$log" 2>/dev/null); echo "\${n:-0}"; }
wait_log() { # text, count
    i=0
    while [ \$i -lt 150 ]; do
        [ "\$(count "\$1")" -ge "\$2" ] && return 0
        sleep 0.1; i=\$((i + 1))
    done
    return 1
}
focus() { xdotool windowfocus --sync "\$1" 2>/dev/null || true; sleep 0.3; }
start() { # case name
    case=\$1
    log="$work/\$case.log"
    "$app" --lang ru --simulate --log "\$log" > "$work/\$case.out" 2>&1 &
    pid=\$!
    main=\$(find_window "\$main_title" 300) || { fail "the main window did not appear"; return 1; }
    focus "\$main"
    wait_log "подключен к шине USB" 1 || fail "the simulated controller did not connect"
}
quit() { # Ctrl+Q, then the process must end by itself
    focus "\$main"
    xdotool key ctrl+q
    i=0
    while kill -0 \$pid 2>/dev/null && [ \$i -lt 100 ]; do sleep 0.1; i=\$((i + 1)); done
    kill \$pid 2>/dev/null && fail "Ctrl+Q did not end the program"
    wait \$pid 2>/dev/null || true
}
read_config() { # how many reads the log shows afterwards
    focus "\$main"
    xdotool key ctrl+r
    wait_log "Загружена конфигурация контроллера K-330RA" \$1 || fail "read \$1 was not adopted"
}
# Keys of the File menu from its last entry upwards; the menu is opened again until the step
# shows in the log.
file_menu_up() { # count of Up keys, log text, count
    tries=0
    while [ \$tries -lt 5 ]; do
        focus "\$main"
        xdotool key alt+Cyrillic_ef
        sleep 0.5
        n=0; while [ \$n -lt \$1 ]; do xdotool key Up; n=\$((n + 1)); done
        xdotool key Return
        wait_log "\$2" \$3 && return 0
        xdotool key Escape Escape
        tries=\$((tries + 1))
    done
    fail "no '\$2' after the File menu"
}

open_list() { # the recovery list, third entry from the File menu's end
    tries=0
    while [ \$tries -lt 5 ]; do
        focus "\$main"
        xdotool key alt+Cyrillic_ef
        sleep 0.5
        xdotool key Up Up Up Return
        if d=\$(find_window "Несохранённые конфигурации" 30); then echo "\$d"; return 0; fi
        xdotool key Escape Escape
        tries=\$((tries + 1))
    done
    return 1
}

start keep
read_config 1
xdotool key ctrl+n
sleep 0.8
focus "\$(xdotool search --name "^\$main_title\\\$" | grep -v "^\$main\\\$" | tail -n 1)"
xdotool key Return
wait_log "сохранена для восстановления" 1 || fail "&Да kept nothing"
d=\$(find_window "Cоздание новой конфигурации") && { focus "\$d"; xdotool key Escape; }
read_config 2
file_menu_up 2 "Конфигурация закрыта" 1
wait_log "сохранена для восстановления" 2 || fail "Закрыть... kept nothing"
read_config 3
quit
[ "\$(count "сохранена для восстановления")" -eq 3 ] || fail "the end kept nothing"

# Newest first: the one Ctrl+Q kept, "Закрыть...", "&Да". Each restored one is the newest
# after the next end, so the list's k-th original sits 2k rows down.
for k in 0 1 2; do
    start restore\$k
    d=\$(open_list) || { fail "no recovery list"; quit; continue; }
    focus "\$d"
    n=0; while [ \$n -lt \$((2 * k)) ]; do xdotool key Down; n=\$((n + 1)); done
    xdotool key Return
    wait_log "Восстановлена несохранённая конфигурация" 1 || fail "nothing was restored"
    restored=\$(sed -n 's/.*Восстановлена несохранённая конфигурация: //p' "\$log" | tail -n 1)
    quit
    again=\$(sed -n 's/.*сохранена для восстановления: //p' "\$log" | tail -n 1)
    if [ -z "\$restored" ] || [ -z "\$again" ] || ! cmp -s "\$restored" "\$again"; then
        fail "'\$again' is not '\$restored' byte for byte"
    fi
done
[ "\$(ls "$kept"/*.img | wc -l)" -eq 6 ] || fail "\$(ls "$kept"/*.img | wc -l) images kept, not 6"
echo "\$failures" > "$work/failures"
DRIVE
chmod +x "$work/drive.sh"
run_under_xvfb "$work/drive.sh" || true
if [ "$(cat "$work/failures" 2>/dev/null || echo 1)" != 0 ]; then
    for f in "$work"/*.log "$work"/*.out; do echo "== $f"; cat "$f"; done
    exit 1
fi
echo "PASS: kept on &Да, Закрыть... and Ctrl+Q; each reopened and kept again byte for byte"
