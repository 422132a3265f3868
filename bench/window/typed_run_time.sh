#!/usr/bin/env bash
# Times a run typed into the real window on a private X server: four paths, each followed by Tab,
# at xdotool's pace, then Enter; the clock runs from Enter until the new world script is in
# place. Prints the median of RUNS fresh windows as window_typed_seconds=.
#
# usage: bench/window/typed_run_time.sh PROGRAM WORLD_SCRIPT ID_LIST OUTPUT_FOLDER [RUNS]
set -euo pipefail
program=$(realpath "$1")
world=$(realpath "$2")
ids=$(realpath "$3")
out=$(realpath "$4")
runs=${5:-5}
title='TUS TO WORLDFORGE COMPATIBLE FORMAT'
work=$(mktemp -d)
wait_seconds=20
. "$(dirname "$0")/../../tests/lib/display.sh"
trap '[ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null; rm -rf "$work"' EXIT

start_display "$work"

times=()
for ((run = 0; run < runs; run++)); do
    rm -f "$out/typed.wf" "$out/typed.scp"
    sync
    start_and_type "$program" 5 "$world" "$out/typed.wf" "$out/typed.scp" "$ids"
    start=$(date +%s.%N)
    xdotool key Return
    while [ ! -e "$out/typed.scp" ]; do sleep 0.002; done
    times+=("$(echo "$(date +%s.%N) - $start" | bc -l)")
    kill "$pid"
    wait "$pid" 2>/dev/null || true
done
echo "window_typed_seconds=$(printf '%s\n' "${times[@]}" | sort -g |
    awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }')"
