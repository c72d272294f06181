#!/usr/bin/env bash
# Builds the fuzz targets and runs each for the given number of seconds (default 30), starting
# from the committed seeds and replaying the committed regression cases first.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-30}
cmake --preset fuzz > /dev/null
cmake --build --preset fuzz

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for fuzzer in build/fuzz/fuzz/fuzz_*; do
    [ "$fuzzer" != build/fuzz/fuzz/fuzz_make_seeds ] || continue
    name=$(basename "$fuzzer")
    name=${name#fuzz_}
    mkdir -p "$work/$name"
    if [ -d "fuzz/regressions/$name" ]; then
        "$fuzzer" -runs=0 "fuzz/regressions/$name" > "$work/$name.replay.log" 2>&1 ||
            { cat "$work/$name.replay.log"; echo "fuzz: $name failed a regression case"; status=1; continue; }
    fi
    echo "== fuzzing $name for ${seconds}s =="
    if ! "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$work/$name-" "$work/$name" "fuzz/corpus/$name" > "$work/$name.log" 2>&1; then
        tail -n 40 "$work/$name.log"
        mkdir -p fuzz/findings
        cp "$work/$name-"* fuzz/findings/ 2> /dev/null || true
        echo "fuzz: $name found a failure (input kept in fuzz/findings/)"
        status=1
        continue
    fi
    grep -E '^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)' "$work/$name.log" | sed "s/^/$name /"
done
exit $status
