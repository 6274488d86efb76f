#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz and runs each on its corpus.
#   bash scripts/fuzz.sh                      every target for --time seconds (default 15)
#   bash scripts/fuzz.sh --runs 10000000      every target for that many executions
#   bash scripts/fuzz.sh --time 60 trace      only the named targets
# New inputs found go to build-fuzz/corpus/<target>/ (the seeds in fuzz/corpus stay as they
# are); a crash stops the run and leaves its input as build-fuzz/artifacts/<target>/crash-*.
# Each target's figures (executions, executions per second) are printed at its end.
set -euo pipefail
cd "$(dirname "$0")/.."

limit=(-max_total_time=15)
names=()
while [ $# -gt 0 ]; do
    case "$1" in
    --runs) limit=(-runs="$2"); shift 2 ;;
    --time) limit=(-max_total_time="$2"); shift 2 ;;
    -h | --help) sed -n '2,8p' "$0"; exit 0 ;;
    *) names+=("$1"); shift ;;
    esac
done

FUZZ=1 bash scripts/setup.sh
build=${BUILD_DIR:-build-fuzz}
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DK330_FUZZ=ON -DK330_BUILD_TESTS=OFF -DK330_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build" --target k330-fuzz-targets

if [ ${#names[@]} -eq 0 ]; then
    for d in fuzz/corpus/*/; do names+=("$(basename "$d")"); done
fi
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/tests/lsan.supp}
status=0
for t in "${names[@]}"; do
    mkdir -p "$build/corpus/$t" "$build/artifacts/$t"
    echo "=== $t"
    start=$(date +%s)
    if ! "$build/fuzz/k330-fuzz-$t" "${limit[@]}" -print_final_stats=1 \
        -artifact_prefix="$build/artifacts/$t/" "$build/corpus/$t" "fuzz/corpus/$t" \
        >"$build/artifacts/$t.log" 2>&1; then
        status=1
        tail -n 40 "$build/artifacts/$t.log"
    fi
    grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added)' \
        "$build/artifacts/$t.log" || true
    echo "seconds: $(($(date +%s) - start))"
done
exit $status
