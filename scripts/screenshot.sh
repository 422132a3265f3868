#!/usr/bin/env bash
# Shows the real window on a private X server, types a first conversion of examples/ into it as
# a user would (paths from the home folder, then Enter) and saves a picture of the window once
# the run has finished.
#
# Usage: scripts/screenshot.sh [PROGRAM] [PNG]
#   PROGRAM  the built window program (default build/app/tus2wf); this script builds nothing
#   PNG      where the picture goes (default docs/window.png, the picture the README shows)
# Needs Xvfb, xdotool and ImageMagick's import.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
program="$(realpath "${1:-$root/build/app/tus2wf}")"
output="$(realpath -m "${2:-$root/docs/window.png}")"
title="TUS TO WORLDFORGE COMPATIBLE FORMAT"
[[ -x "$program" ]] || { echo "screenshot: no program at $program; build it first" >&2; exit 1; }

work="$(mktemp -d)"
. "$root/tests/lib/display.sh"
trap '[ -n "${pid:-}" ] && kill "$pid" 2>/dev/null; [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null; rm -rf "$work"' EXIT

# A home of its own, so that the picture shows the same paths on every machine.
export HOME="$work/home"
mkdir -p "$HOME"
cp -r "$root/examples" "$HOME/examples"
start_display "$work"
start_and_type "$program" 5 "~/examples/world.scp" "~/examples/records.wf" \
    "~/examples/new.scp" "~/examples/idlist.txt"
xdotool key Return
wait_for test -s "$HOME/examples/new.scp" || { echo "screenshot: the run did not finish" >&2; exit 1; }
# The last labels are painted just after the files are in place.
sleep 0.5
mkdir -p "$(dirname "$output")"
import -window "$found" "$output"
echo "$output"
