#!/usr/bin/env bash
# Shows the real window on a private X server and saves a picture of the screen.
#
# Usage: scripts/screenshot.sh [PROGRAM] [PNG]
#   PROGRAM  the built window program (default build/app/tus2wf); this script builds nothing
#   PNG      where the picture goes (default docs/window.png, the picture the README shows)
# Needs Xvfb, ImageMagick's import and xwininfo.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
program="${1:-$root/build/app/tus2wf}"
output="${2:-$root/docs/window.png}"
title="TUS TO WORLDFORGE COMPATIBLE FORMAT"

if [[ ! -x "$program" ]]; then
    echo "screenshot: no program at $program; build it first" >&2
    exit 1
fi

work="$(mktemp -d)"
xvfb_pid=""
program_pid=""
cleanup() {
    if [[ -n "$program_pid" ]]; then kill "$program_pid" 2>/dev/null || true; fi
    if [[ -n "$xvfb_pid" ]]; then kill "$xvfb_pid" 2>/dev/null || true; fi
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# Retries a command ten times a second until it succeeds or the seconds run out.
wait_for() {
    local tries=$(($1 * 10))
    shift
    until "$@"; do
        ((tries-- > 0)) || return 1
        sleep 0.1
    done
}

window_mapped() {
    xwininfo -name "$title" 2>/dev/null | grep -q 'Map State: IsViewable'
}

# Xvfb picks a free display itself and writes its number once it accepts clients.
Xvfb -displayfd 3 -screen 0 640x400x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
if ! wait_for 10 test -s "$work/display"; then
    echo "screenshot: Xvfb did not start" >&2
    cat "$work/xvfb.log" >&2
    exit 1
fi
export DISPLAY=":$(head -n 1 "$work/display")"

QT_QPA_PLATFORM=xcb "$program" &
program_pid=$!
if ! wait_for 15 window_mapped; then
    echo "screenshot: the window did not appear" >&2
    exit 1
fi
# The window is mapped before its first paint has reached the screen.
sleep 0.5

mkdir -p "$(dirname "$output")"
import -window root "$output"
echo "$output"
