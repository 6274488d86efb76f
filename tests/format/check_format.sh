#!/usr/bin/env bash
# Fails when a C++ source of the project is not formatted as .clang-format says, naming each
# such file. Usage: check_format.sh <clang-format> <source dir>
set -uo pipefail
format=$1
cd "$2" || exit 2
mapfile -d '' files < <(find app bench config ctl device fuzz pages resources sim tests views \
    -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z)
# One run over every file; each misformatted place is a warning line that starts with its file.
mapfile -t bad < <("$format" --style=file --dry-run "${files[@]}" 2>&1 | grep -E ': (warning|error):' \
    | cut -d: -f1 | sort -u)
if ! "$format" --version >/dev/null 2>&1; then
    echo "FAIL: $format cannot be run (bash scripts/setup.sh installs clang-format)"
    exit 1
fi
if [ ${#bad[@]} -gt 0 ]; then
    printf 'not formatted: %s\n' "${bad[@]}"
    echo "FAIL: ${#bad[@]} of ${#files[@]} files differ from .clang-format; run: clang-format -i FILE"
    exit 1
fi
echo "PASS: ${#files[@]} files formatted"
