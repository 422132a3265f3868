#!/usr/bin/env bash
# Drives the real tus2wf.exe under Wine on a virtual X display with xdotool, as a user would:
# the title and client size, a check message closed with Enter, a conversion typed in and
# started with Alt+C, a second Alt+C during a long run, and Alt+Q during one. Saves a screenshot
# of the window after the conversion. With ACCESSIBLE_NAMES_EXE it also checks what a screen
# reader calls the controls, and with LAYOUT_CHECK_EXE where each control stands and what it shows.
#
# usage: window_test.sh TUS2WF_EXE WORK_FOLDER SCREENSHOT_PNG [ACCESSIBLE_NAMES_EXE [LAYOUT_CHECK_EXE]]
set -u

exe=$(realpath "${1:?usage: window_test.sh TUS2WF_EXE WORK_FOLDER SCREENSHOT_PNG}")
work=$(realpath -m "${2:?}")
screenshot=$(realpath -m "${3:?}")
names_exe=${4:+$(realpath "$4")}
layout_exe=${5:+$(realpath "$5")}
title='TUS TO WORLDFORGE COMPATIBLE FORMAT'
wait_seconds=60
. "$(dirname "$0")/../lib/display.sh"

# Keys go to whichever window Wine has made active, as long as X gives the program's window the
# keyboard; without a window manager nothing else does.
press() {
    xdotool windowfocus --sync "$window"
    xdotool key --delay 30 "$@"
}

# Clicks into the text box whose top edge is top pixels down the client area and types text.
# Characters outside the keyboard map need a slow pace, or Wine misses them.
type_into() {
    local top=$1 text=$2
    xdotool windowfocus --sync "$window"
    xdotool mousemove --window "$window" 250 $((top + 12)) click 1
    xdotool type --delay 40 -- "$text"
}

# Types the four paths, each after a click into its box: Wine misses keys, Tab among them,
# typed into a window that has only just appeared, and around the first characters from outside
# the keyboard map.
type_paths() {
    type_into 8 "$1"
    type_into 48 "$2"
    type_into 88 "$3"
    type_into 128 "$4"
}

start_program() {
    (cd "$work" && exec /usr/lib/wine/wine64 "$exe" "$@") >/dev/null 2>&1 &
    program=$!
    if ! wait_for window_named "$title"; then
        echo "FAIL: the window never appeared" >&2
        exit 1
    fi
    window=$found
}

# Gone, or a zombie waiting for this script to reap it.
program_ended() { ! grep -qs '^State:.*[^Z] (' "/proc/$program/status"; }

temp_files() { find "$1" -maxdepth 1 -name '.tus2wf-????????????????.tmp' | wc -l; }
has_temp_files() { [ "$(temp_files "$1")" -gt 0 ]; }

rm -rf "$work"
mkdir -p "$work"
export WINEDEBUG=-all

# A display of its own, and Wine's fonts in the prefix (Debian's Wine does not load them from
# where it installs them).
trap 'kill "$xvfb" 2>/dev/null; /usr/lib/wine/wineserver -k 2>/dev/null' EXIT
start_display "$work"
mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
# A Wine server left by programs run without a display would give every window of this test
# none either; wait for it to end.
/usr/lib/wine/wineserver -w 2>/dev/null

# The example of the README in a folder whose name no 8-bit code page holds whole.
folder="$work/мир wörld"
mkdir -p "$folder"
printf '[WORLDITEM 0eed]\r\nP=1234,567,0\r\n\r\n[WORLDITEM 0f00]\r\nP=10,20,5\r\n\r\nQ\r\n' \
    >"$folder/world.scp"
printf 'EED\r\n[EOF]\r\n' >"$folder/ids.txt"
printf 'SECTION WORLDITEM 0\r\n{\r\nID 3821\r\nX 1234\r\nY 567\r\nZ 0\r\nTYPE 255\r\n}\r\n\r\n[EOF]\r\n' \
    >"$work/expected.wf"
printf '[WORLDITEM 0f00]\r\nP=10,20,5\r\n\r\nQ\r\n' >"$work/expected.scp"

if [ -n "$names_exe" ]; then
    /usr/lib/wine/wine64 "$names_exe" || fail "accessible names"
fi
if [ -n "$layout_exe" ]; then
    /usr/lib/wine/wine64 "$layout_exe" || fail "window layout"
fi

# --- The window as it opens, and the first check.
start_program
[ "$(xdotool getwindowname "$window")" = "$title" ] || fail "title"
size=$(xwininfo -id "$window" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')
[ "$size" = "492x333" ] || fail "client area is $size, expected 492x333"

press Return
if wait_for window_named "File Not Found!"; then
    box=$found
    press Return
    # Typing must wait until the box has gone for good; the window then gets the keyboard anew,
    # since Wine makes a window active again only when X moves the focus to it.
    wait_for eval '! xwininfo -id "$box" >/dev/null 2>&1' || fail "the message box did not close"
    xdotool windowfocus "$(xwininfo -root | awk '/Window id:/ {print $4}')"
else
    fail "Convert with empty boxes showed no File Not Found! box"
fi

# --- A conversion typed in and started with Alt+C. The program runs in the work folder, so the
# paths are relative to it.
name=$(basename "$folder")
type_paths "$name\\world.scp" "$name\\out.wf" "$name\\new.scp" "$name\\ids.txt"
press alt+c
if wait_for test -e "$folder/new.scp"; then
    cmp -s "$folder/out.wf" "$work/expected.wf" || fail "record file differs"
    cmp -s "$folder/new.scp" "$work/expected.scp" || fail "new world script differs"
else
    fail "the conversion wrote nothing"
fi
sleep 0.5  # lets the final labels paint before the picture is taken
import -window "$window" "$screenshot" || fail "no screenshot"
press alt+q
wait_for program_ended || fail "Alt+Q did not end the program"

# --- A run typed as a keyboard user types it, right after a "File Not Found!" box that Enter,
# then Alt+C, brought up from the first box: four paths, each followed by Tab, then Enter, in a
# folder where many names begin as the world script's. The window must have given the focus
# back to its box when the message box went away.
typed="$work/typed"
mkdir -p "$typed"
for i in $(seq -w 0 199); do : >"$typed/world.scp.$i" >"$typed/ids.txt.$i"; done
cp "$folder/world.scp" "$folder/ids.txt" "$typed/"
for convert_key in Return alt+c; do
rm -f "$typed/out.wf" "$typed/new.scp"
start_program
press "$convert_key"
if wait_for window_named "File Not Found!"; then
    press Return
    wait_for eval '! window_named "File Not Found!"' || fail "the message box did not close"
    xdotool windowfocus --sync "$window"
    for name in world.scp out.wf new.scp ids.txt; do
        xdotool type --delay 5 -- "typed\\$name"
        xdotool key Tab
    done
    xdotool key Return
    if wait_for test -e "$typed/new.scp"; then
        cmp -s "$typed/out.wf" "$work/expected.wf" || fail "typed run: record file differs"
        cmp -s "$typed/new.scp" "$work/expected.scp" || fail "typed run: new world script differs"
    else
        fail "typed run after a message box from $convert_key converted nothing"
    fi
else
    fail "typed run: no File Not Found! box from $convert_key"
fi
press alt+q
wait_for program_ended || fail "Alt+Q did not end the program"
done

# --- The world script and the ID list given as arguments, as "Open with" gives them, and the
# files chosen in Windows' own choosers, opened by F4 from their boxes: a name typed into the
# chooser, then Enter. Pictures of both choosers are kept beside the window's.
chosen="$work/chosen"
mkdir -p "$chosen"
cp "$folder/world.scp" "$folder/ids.txt" "$chosen/"
winpath() { printf 'Z:%s' "${1//\//\\}"; }
choose() {  # title path picture
    press F4
    if ! wait_for window_named "$1"; then
        fail "F4 opened no \"$1\""
        return
    fi
    sleep 0.5
    import -window root "$3" || fail "no picture of \"$1\""
    xdotool windowfocus --sync "$found"
    xdotool key ctrl+a  # over the name the chooser offers
    xdotool type --delay 40 -- "$2"
    xdotool key Return
    wait_for eval '! window_named "$1"' || fail "\"$1\" did not close"
}
start_program 'chosen\world.scp' 'chosen\ids.txt'
choose "Choose the TUS file" "$(winpath "$chosen/world.scp")" "${screenshot%.png}-open.png"
press Tab
choose "Choose the Worldforge file" "$(winpath "$chosen/out.wf")" "${screenshot%.png}-save.png"
press Tab
xdotool type --delay 5 -- 'chosen\new.scp'
xdotool key Return
if wait_for test -e "$chosen/new.scp"; then
    cmp -s "$chosen/out.wf" "$work/expected.wf" || fail "chosen files: record file differs"
    cmp -s "$chosen/new.scp" "$work/expected.scp" || fail "chosen files: new world script differs"
else
    fail "the files chosen in the choosers converted nothing"
fi
press alt+q
wait_for program_ended || fail "Alt+Q did not end the program"

# --- Long runs: every section of a 10-million-line script is converted.
long="$work/long"
mkdir -p "$long"
yes $'[WORLDITEM 0eed]\r\nP=1,2,3\r\n\r' | head -n 9999999 >"$long/world.scp"
printf 'EED\r\n' >"$long/ids.txt"
start_program
type_paths 'long\world.scp' 'long\out.wf' 'long\new.scp' 'long\ids.txt'

# A second Alt+C while converting is ignored: a nested run would open outputs of its own.
press alt+c
started=$(date +%s%N)
wait_for has_temp_files "$long" || fail "the long run never wrote"
echo "long run: converting after $((($(date +%s%N) - started) / 1000000)) ms"
press alt+c
most=0
for ((tries = 0; tries < 3000; tries++)); do
    [ ! -e "$long/new.scp" ] && ! program_ended || break
    count=$(temp_files "$long")
    [ "$count" -gt "$most" ] && most=$count
    sleep 0.02
done
# Two outputs, and for a moment of the commit the journal before it takes its name.
[ "$most" -le 3 ] || fail "a second run started inside the first ($most temporary files)"
wait_for eval '! has_temp_files "$long"' || fail "temporary files left after the run"
# Every section, blank line included, became a record.
echo "long run: ended after $((($(date +%s%N) - started) / 1000000)) ms"
[ -f "$long/new.scp" ] && [ ! -s "$long/new.scp" ] || fail "long run new script"

# Alt+Q while converting ends the program and leaves the earlier outputs as they were.
files_of() { find "$1" -maxdepth 1 -type f -printf '%f %s %T@\n' | sort; }
before=$(files_of "$long")
press alt+c
wait_for has_temp_files "$long" || fail "the third run never wrote"
press alt+q
wait_for program_ended || fail "Alt+Q during a run did not end the program"
[ "$(files_of "$long")" = "$before" ] || fail "Alt+Q during a run changed the folder: $(ls -la "$long")"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "window under Wine: all checks passed"
