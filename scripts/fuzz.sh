#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with Clang 14 into a build folder and runs each for the
# given number of seconds on its corpus. Any crash, leak, sanitizer report, hang or mismatch
# with a target's model fails the run; the input that caused it is kept in <build>/crashes/.
# The working corpus (<build>/corpus/) starts from the seeds in fuzz/corpus/ and keeps growing
# from one run to the next; the seeds themselves are never changed.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
build=${2:-build-fuzz}
jobs=${3:-2}
targets=(conversion line_table id_text command_line)

cmake --preset fuzz -B "$build"
cmake --build "$build" -j "$jobs" --target "${targets[@]/#/fuzz_}"

mkdir -p "$build/crashes" "$build/logs"
export UBSAN_OPTIONS=print_stacktrace=1
for target in "${targets[@]}"; do
    corpus="$build/corpus/$target"
    log="$build/logs/$target.log"
    mkdir -p "$corpus"
    cp "fuzz/corpus/$target"/* "$corpus"/
    dictionary=()
    if [ -f "fuzz/$target.dict" ]; then
        dictionary=(-dict="fuzz/$target.dict")
    fi
    echo "fuzz_$target: ${seconds} s"
    if ! "$build/fuzz/fuzz_$target" "$corpus" "${dictionary[@]}" -max_total_time="$seconds" \
        -max_len=4096 -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$build/crashes/$target-" >"$log" 2>&1; then
        tail -n 40 "$log" >&2
        echo "fuzz_$target failed; the input is in $build/crashes/, the log in $log" >&2
        exit 1
    fi
    grep -E '^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)' "$log"
done
