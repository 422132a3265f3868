#!/usr/bin/env bash
# Times tus2wf-cli against a plain dd copy of the same world script, and the window's code path
# against the CLI, on generated inputs. Prints one figure a line.
set -euo pipefail
build_dir=$(cd "${1:-build}" && pwd)
work="$build_dir/bench-data"
runs=${RUNS:-5}
mkdir -p "$work"
cli="$build_dir/cli/tus2wf-cli"
window_bench="$build_dir/bench/window/tus2wf-window-bench"

generate() {  # lines entries name
    [ -f "$work/$3.scp" ] || "$build_dir/bench/tus2wf-generate" "$1" "$2" "$work/$3.scp" "$work/$3.ids"
}
generate 10000000 2000 big
generate 1000000 2000 small
# The long list names the same items as the short one, so that both runs do the same conversion
# and only the list's length differs.
if [ ! -f "$work/biglist.ids" ]; then
    for _ in $(seq 13); do cat "$work/big.ids"; done | head -n 25001 >"$work/biglist.ids"
fi

now() { date +%s.%N; }

# Median wall time in seconds of running "$@" $runs times. Each run starts with nothing waiting to
# go to disk (the sync is not timed), so no run pays for an earlier one's writing: the converter
# syncs its outputs itself, while back-to-back dd runs would only ever truncate a copy that never
# reached the disk. With settle=0 the runs follow each other as they come.
median_time() {
    local times=()
    for ((i = 0; i < runs; i++)); do
        [ "${settle:-1}" = 0 ] || sync
        local start end
        start=$(now)
        "$@" >/dev/null 2>&1
        end=$(now)
        times+=("$(echo "$end - $start" | bc -l)")
    done
    printf '%s\n' "${times[@]}" | sort -g | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'
}

convert() {  # script ids
    "$cli" --quiet --tus "$1" --id-list "$2" --worldforge "$work/out.wf" --new-tus "$work/out.scp"
}

cat "$work/big.scp" "$work/small.scp" "$work/big.ids" "$work/biglist.ids" >/dev/null  # warm the cache
dd_time=$(median_time dd if="$work/big.scp" of="$work/copy.scp" bs=1M)
dd_unsettled_time=$(settle=0 median_time dd if="$work/big.scp" of="$work/copy.scp" bs=1M)
sync
cli_time=$(median_time convert "$work/big.scp" "$work/big.ids")
small_time=$(median_time convert "$work/small.scp" "$work/small.ids")
biglist_time=$(median_time convert "$work/big.scp" "$work/biglist.ids")
peak_kb=$( { /usr/bin/time -f '%M' "$cli" --quiet --tus "$work/big.scp" --id-list "$work/big.ids" \
    --worldforge "$work/out.wf" --new-tus "$work/out.scp"; } 2>&1 | tail -1)
script_bytes=$(stat -c %s "$work/big.scp")

ratio() { echo "scale=2; $1 / $2" | bc -l; }
echo "script: 10000000 lines, $script_bytes bytes; median of $runs runs"
echo "dd_seconds=$dd_time"
echo "cli_seconds=$cli_time"
echo "cli_to_dd_ratio=$(ratio "$cli_time" "$dd_time")  (target <= 3)"
echo "dd_back_to_back_seconds=$dd_unsettled_time  (cli_to_dd_ratio against it: $(ratio "$cli_time" "$dd_unsettled_time"))"
echo "peak_memory_to_script_size=$(ratio "$((peak_kb * 1024))" "$script_bytes")  (target <= 2)"
echo "time_10M_to_1M_ratio=$(ratio "$cli_time" "$small_time")  (target <= 11)"
echo "list_25001_vs_2000_slowdown_percent=$(echo "scale=1; ($biglist_time - $cli_time) * 100 / $cli_time" | bc -l)  (target <= 5)"

bash "$(dirname "$0")/cli_stop_time.sh" "$cli" "$work/big.scp" "$work/big.ids" "$work"
printf '[WORLDITEM 0eed]\r\nP=1,2,3\r\n\r\nkeep\r\n' >"$work/tiny.scp"
printf 'EED\r\n' >"$work/tiny.ids"
echo "tiny_run_seconds=$(median_time convert "$work/tiny.scp" "$work/tiny.ids")  (the commit's own cost)"

if [ -x "$window_bench" ]; then
    window_out=$(QT_QPA_PLATFORM=offscreen "$window_bench" "$work/big.scp" "$work/big.ids" \
        "$work/out.wf" "$work/out.scp" run)
    echo "$window_out"
    window_seconds=$(echo "$window_out" | sed -n 's/^window_seconds=//p')
    echo "window_to_cli_ratio=$(ratio "$window_seconds" "$cli_time")  (target <= 1.25)"
    QT_QPA_PLATFORM=offscreen "$window_bench" "$work/big.scp" "$work/big.ids" \
        "$work/out.wf" "$work/out.scp" quit
    QT_QPA_PLATFORM=offscreen "$window_bench" keys
    echo "  (target: key_ms_longest < 1)"
fi
if command -v Xvfb >/dev/null && command -v xdotool >/dev/null && [ -x "$build_dir/app/tus2wf" ]; then
    bash "$(dirname "$0")/window/typed_run_time.sh" "$build_dir/app/tus2wf" "$cli" \
        "$work/big.scp" "$work/big.ids" "$work" "${TYPED_RUNS:-3}"
fi
