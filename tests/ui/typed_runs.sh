#!/usr/bin/env bash
# Types a whole run into fresh windows on a private X server, as a keyboard user at xdotool's pace
# does: four paths, each followed by Tab, then Enter. The folder holds many names that begin as
# the world script's does, so that names are offered while the user types. Prints how many runs
# of RUNS converted. A PROGRAM ending in .exe runs under Wine (WINEPREFIX as set); with
# NOT_FOUND_FIRST=1 each run first presses Enter in the empty window and closes the "File Not
# Found!" box with Enter before it types. The last run gives the world script and the ID list as
# arguments, as a desktop's "Open with" does, and types only the outputs. Fails unless every run converted; exits 77 when Xvfb or
# xdotool is missing.
#
# usage: tests/ui/typed_runs.sh [PROGRAM] [RUNS] [SCREENSHOT_PNG]
set -u
command -v Xvfb >/dev/null && command -v xdotool >/dev/null ||
    { echo "skipped: Xvfb or xdotool is not installed"; exit 77; }

program=$(realpath "${1:-build/app/tus2wf}")
runs=${2:-10}
screenshot=${3:-}
title='TUS TO WORLDFORGE COMPATIBLE FORMAT'
work=$(mktemp -d)
wait_seconds=20
. "$(dirname "$0")/../lib/display.sh"
trap '[ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null; rm -rf "$work"' EXIT
export WINEDEBUG=-all

start_program() {
    if [[ "$program" == *.exe ]]; then
        /usr/lib/wine/wine64 "$program" "$@" >"$work/program.log" 2>&1 &
    else
        QT_QPA_PLATFORM=xcb "$program" "$@" >"$work/program.log" 2>&1 &
    fi
    pid=$!
}

# A path as the program takes it: Wine shows the root folder as drive Z:.
typed_path() {
    if [[ "$program" == *.exe ]]; then
        printf 'Z:%s' "${1//\//\\}"
    else
        printf '%s' "$1"
    fi
}

start_display "$work"

folder="$work/big"
mkdir -p "$folder"
for i in $(seq -w 0 1999); do : >"$folder/world.scp.$i" >"$folder/ids.txt.$i"; done
printf '[WORLDITEM 0eed]\r\nP=1234,567,0\r\n\r\n[WORLDITEM 0f00]\r\nP=10,20,5\r\n\r\nQ\r\n' \
    >"$folder/world.scp"
printf 'EED\r\n[EOF]\r\n' >"$folder/ids.txt"

converted=0
for ((run = 1; run <= runs; run++)); do
    rm -f "$folder/out.wf" "$folder/new.scp"
    names=(world.scp out.wf new.scp ids.txt)
    if [ "$run" -eq "$runs" ]; then
        start_program "$(typed_path "$folder/world.scp")" "$(typed_path "$folder/ids.txt")"
        names=("" out.wf new.scp)
    else
        start_program
    fi
    if ! wait_for window_named "$title"; then
        echo "run $run: no window" >&2
        cat "$work/program.log" >&2
        kill "$pid" 2>/dev/null
        continue
    fi
    window=$found
    xdotool windowfocus --sync "$window"
    sleep 0.3
    if [ "${NOT_FOUND_FIRST:-0}" = 1 ]; then
        xdotool key Return
        wait_for window_named "File Not Found!" || echo "run $run: no File Not Found! box" >&2
        xdotool key Return
        wait_for eval '! window_named "File Not Found!"'
        # Without a window manager, X gives the keyboard back only when told to.
        xdotool windowfocus --sync "$window"
    fi
    for name in "${names[@]}"; do
        [ -z "$name" ] || xdotool type --delay 5 -- "$(typed_path "$folder/$name")"
        xdotool key --delay 5 Tab
    done
    xdotool key --delay 5 Return
    if wait_for test -s "$folder/new.scp"; then
        converted=$((converted + 1))
    else
        echo "run $run: no conversion" >&2
    fi
    if [ -n "$screenshot" ] && [ "$run" -eq 1 ]; then
        sleep 0.3
        import -window root "$screenshot"
    fi
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
done
echo "typed_runs_converted=$converted/$runs"
[ "$converted" -eq "$runs" ]
