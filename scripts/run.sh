#!/usr/bin/env bash
# Builds the terminal and starts it on the simulated controller. Extra arguments go to the
# terminal (for example --sim-model RB).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target k330-terminal
exec build/k330-terminal --simulate "$@"
