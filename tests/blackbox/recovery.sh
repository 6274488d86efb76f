#!/bin/sh
# Drives k330-terminal under Xvfb on the simulated controller: a configuration read and never
# saved, left by "&Да", "&Закрыть..." and Ctrl+Q, is kept each time; each kept one, opened
# from "Восстановить несохранённые…", is kept again byte for byte at the next end.
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
        [ -n "\$id" ] && { echo "\$id"; return 0; }
        sleep 0.1; i=\$((i + 1))
    done
    return 1
}
count() { n=\$(grep -c -- "\$1" "\$log" 2>/dev/null); echo "\${n:-0}"; }
wait_log() { # text, count
    i=0
    while [ "\$(count "\$1")" -lt "\$2" ]; do [ \$i -lt 150 ] || return 1; sleep 0.1; i=\$((i + 1)); done
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
    focus "\$main"; xdotool key ctrl+q; i=0
    while kill -0 \$pid 2>/dev/null && [ \$i -lt 100 ]; do sleep 0.1; i=\$((i + 1)); done
    kill \$pid 2>/dev/null && fail "Ctrl+Q did not end the program"
    wait \$pid 2>/dev/null || true
}
read_config() { # how many reads the log shows afterwards
    focus "\$main"; xdotool key ctrl+r
    wait_log "Загружена конфигурация контроллера K-330RA" \$1 || fail "read \$1 was not adopted"
}
# The File menu opened and the keys pressed in it, again until the check (a command) passes.
file_menu() { # keys, check...
    keys=\$1; shift; tries=0
    while [ \$tries -lt 5 ]; do
        focus "\$main"; xdotool key alt+Cyrillic_ef; sleep 0.5; xdotool key \$keys
        "\$@" && return 0
        xdotool key Escape Escape; tries=\$((tries + 1))
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
file_menu Cyrillic_ze wait_log "Конфигурация закрыта" 1 || fail "Закрыть... did nothing"
wait_log "сохранена для восстановления" 2 || fail "Закрыть... kept nothing"
read_config 3
quit
[ "\$(count "сохранена для восстановления")" -eq 3 ] || fail "the end kept nothing"

# Newest first: the one Ctrl+Q kept, "Закрыть...", "&Да". Each restored one is the newest
# after the next end, so the list's k-th original sits 2k rows down.
for k in 0 1 2; do
    start restore\$k
    list="Несохранённые конфигурации"
    file_menu Cyrillic_en find_window "\$list" 30 >/dev/null || { fail "no recovery list"; quit; continue; }
    focus "\$(find_window "\$list")"
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
