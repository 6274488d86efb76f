# Sourced by the black-box scripts: a scratch folder $work, removed on exit, holding the home,
# settings and runtime folders of the terminal under test, so that nothing of the user's is read
# or changed.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

# Runs a command under a private virtual X server. The server picks a free display itself and
# reports it (-displayfd), so that black-box tests started side by side, or other X servers on
# the machine, never share or take over each other's display.
# -noreset: by default the server resets when its last client leaves, and refuses connections
# meanwhile; the next case's terminal, started right after the previous one quits, then fails.
run_under_xvfb() { # command...
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3> "$work/display" 2> "$work/xvfb.err" &
    xvfb_pid=$!
    i=0
    while [ ! -s "$work/display" ] && [ $i -lt 300 ]; do
        kill -0 $xvfb_pid 2>/dev/null || break
        sleep 0.1; i=$((i + 1))
    done
    if [ ! -s "$work/display" ]; then
        echo "FAIL: the virtual X server did not start"; cat "$work/xvfb.err"
        kill $xvfb_pid 2>/dev/null || true
        return 1
    fi
    DISPLAY=":$(cat "$work/display")" "$@"
    rc=$?
    kill $xvfb_pid 2>/dev/null || true
    wait $xvfb_pid 2>/dev/null || true
    return $rc
}
