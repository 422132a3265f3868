#!/usr/bin/env bash
# Clicks Quit in the real window on a private X server DELAY seconds after Enter started a run,
# TRIES times, and prints for each try how long the window took to go away after the click and
# the program to end, and in how many tries the run still put its outputs in place (none may: a
# Quit before the commit leaves every file as it was). Alt+Q would add Qt's 100 ms button animation.
#
# usage: bench/window/quit_time.sh PROGRAM WORLD_SCRIPT ID_LIST OUTPUT_FOLDER DELAY [TRIES]
set -euo pipefail
program=$(realpath "$1")
world=$(realpath "$2")
ids=$(realpath "$3")
out=$(realpath "$4")
delay=$5
tries=${6:-8}
title='TUS TO WORLDFORGE COMPATIBLE FORMAT'
work=$(mktemp -d)
wait_seconds=20
. "$(dirname "$0")/../../tests/lib/display.sh"
trap '[ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null; rm -rf "$work"' EXIT

start_display "$work"

committed=0
for ((try = 0; try < tries; try++)); do
    printf 'old\r\n' >"$out/quit.wf"
    printf 'old\r\n' >"$out/quit.scp"
    sync
    start_and_type "$program" 1 "$world" "$out/quit.wf" "$out/quit.scp" "$ids"
    xdotool key Return
    sleep "$delay"
    start=$(date +%s.%N)
    xdotool mousemove --window "$found" 444 140 click 1
    while xdotool search --onlyvisible --name "^$title\$" >/dev/null 2>&1; do sleep 0.002; done
    closed=$(date +%s.%N)
    wait "$pid" 2>/dev/null || true
    ended=$(date +%s.%N)
    if [ "$(cat "$out/quit.scp")" != $'old\r' ]; then committed=$((committed + 1)); fi
    printf 'closed_seconds=%.3f ended_seconds=%.3f\n' "$(echo "$closed - $start" | bc -l)" \
        "$(echo "$ended - $start" | bc -l)"
done
echo "committed_after_quit=$committed of $tries"
rm -f "$out/quit.wf" "$out/quit.scp"
