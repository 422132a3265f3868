#!/usr/bin/env bash
# Times a run as its user sees it, from outside the process: four paths typed into the real window
# on a private X server, each followed by Tab, then Alt+C; the clock runs from the moment the Alt+C
# key is sent until both outputs stand in place as new files. The CLI is timed the same way, from
# its start until both of its outputs stand in place. Prints the medians of RUNS runs of each, how
# much processor time the window's process spent on its run against a CLI run's, and the ratio.
# CONVERT_KEY=Return times Enter in place of Alt+C.
#
# usage: bench/window/typed_run_time.sh PROGRAM CLI WORLD_SCRIPT ID_LIST OUTPUT_FOLDER [RUNS]
set -euo pipefail
program=$(realpath "$1")
cli=$(realpath "$2")
world=$(realpath "$3")
ids=$(realpath "$4")
out=$(realpath "$5")
runs=${6:-3}
title='TUS TO WORLDFORGE COMPATIBLE FORMAT'
work=$(mktemp -d)
wait_seconds=20
. "$(dirname "$0")/../../tests/lib/display.sh"
trap '[ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null; rm -rf "$work"' EXIT

# A sleep of 1 ms without starting a process: a read that waits on a FIFO nobody writes to.
mkfifo "$work/never"
exec 9<>"$work/never"
nap() { read -r -t 0.001 -u 9 || true; }

now_ns() { printf '%s' "${EPOCHREALTIME/./}000"; }

# Old outputs in place; both are new once each is newer than the marker made after them.
place_old_outputs() {
    printf 'old\r\n' >"$out/timed.wf"
    printf 'old\r\n' >"$out/timed.scp"
    nap
    : >"$work/marker"
    sync
}
both_new() { [ "$out/timed.wf" -nt "$work/marker" ] && [ "$out/timed.scp" -nt "$work/marker" ]; }
wait_both_new() { until both_new; do nap; done; }

# The processor time, in clock ticks, the process has spent so far.
cpu_ticks() {
    local fields
    read -r -a fields <"/proc/$1/stat"
    echo $((fields[13] + fields[14]))
}

median() { printf '%s\n' "$@" | sort -g | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }
seconds() { echo "scale=3; $1 / 1000000000" | bc -l; }

start_display "$work"
window_times=()
window_ticks=()
cli_times=()
for ((run = 0; run < runs; run++)); do
    place_old_outputs
    start_and_type "$program" 5 "$world" "$out/timed.wf" "$out/timed.scp" "$ids"
    sleep 0.3  # the last completion listing settles
    before=$(cpu_ticks "$pid")
    start=$(now_ns)
    xdotool key "${CONVERT_KEY:-alt+c}"
    wait_both_new
    window_times+=($(($(now_ns) - start)))
    sleep 0.2  # the labels' last repaint is part of the run's work
    window_ticks+=($(($(cpu_ticks "$pid") - before)))
    kill "$pid"
    wait "$pid" 2>/dev/null || true

    place_old_outputs
    start=$(now_ns)
    "$cli" --quiet --tus "$world" --id-list "$ids" --worldforge "$out/timed.wf" \
        --new-tus "$out/timed.scp" &
    cli_pid=$!
    wait_both_new
    cli_times+=($(($(now_ns) - start)))
    wait "$cli_pid"
done
cli_cpu=$(/usr/bin/time -f '%U %S' "$cli" --quiet --tus "$world" --id-list "$ids" \
    --worldforge "$out/timed.wf" --new-tus "$out/timed.scp" 2>&1 | awk '{ print $1 + $2 }')
window=$(median "${window_times[@]}")
cli=$(median "${cli_times[@]}")
echo "typed_window_seconds=$(seconds "$window")  (Alt+C sent until both outputs in place)"
echo "cli_outside_seconds=$(seconds "$cli")  (start until both outputs in place)"
echo "window_run_cpu_seconds=$(echo "scale=2; $(median "${window_ticks[@]}") / $(getconf CLK_TCK)" | bc -l)  (the window process's processor time for the run; the CLI's: $cli_cpu)"
echo "typed_window_to_cli_ratio=$(echo "scale=2; $window / $cli" | bc -l)  (target <= 1.25)"
