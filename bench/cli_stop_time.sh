#!/usr/bin/env bash
# How soon tus2wf-cli ends after Ctrl+C: SIGINT at steps through runs over one world script, from
# the first reads on. Prints the longest time from the signal to the end of the process, in ms,
# over the runs that the signal stopped.
#
# Usage: bench/cli_stop_time.sh CLI WORLD_SCRIPT ID_LIST FOLDER
set -euo pipefail
cli=$1 script=$2 ids=$3 work=$4

longest=0
stopped=0
for ((delay_ms = 5; delay_ms <= 400; delay_ms += 15)); do
    "$cli" --quiet --tus "$script" --id-list "$ids" --worldforge "$work/stop.wf" \
        --new-tus "$work/stop.scp" 2>/dev/null &
    pid=$!
    sleep "$(printf '0.%03d' "$delay_ms")"
    start=$(date +%s%N)
    kill -INT "$pid" 2>/dev/null || true
    status=0
    wait "$pid" || status=$?
    end=$(date +%s%N)
    if [ "$status" -eq 130 ]; then
        stopped=$((stopped + 1))
        ms=$(((end - start) / 1000000))
        ((ms > longest)) && longest=$ms
    fi
done
echo "cli_stop_ms_longest=$longest  (over $stopped stopped runs; target <= 100)"
