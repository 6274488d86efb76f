# Sourced by the black-box scripts: a scratch folder $work, removed on exit, holding the home,
# settings and runtime folders of the terminal under test, so that nothing of the user's is read
# or changed.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
