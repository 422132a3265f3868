# What the scripts that drive a window on a virtual X display share; source it.
#   fail TEXT            counts a failed check in failures and says so on stderr
#   wait_for CMD...      runs CMD every 50 ms until it succeeds; false after wait_seconds
#                        (30 unless the script set it)
#   window_named TITLE   true when a visible window has exactly that title, case included; its
#                        id is then in found
#   start_display DIR    starts Xvfb, exports DISPLAY and leaves its process id in xvfb; the
#                        server is kept as it is when its last client leaves (a program started
#                        just then would otherwise find none). Exits the script if it cannot.
#   start_and_type PROGRAM DELAY PATH...
#                        starts the Qt window PROGRAM, waits for the window titled $title and
#                        types each PATH followed by Tab, DELAY ms between keys; the window's id
#                        is then in found and the program's process id in pid
failures=0
xvfb=""

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

wait_for() {
    local tries
    for ((tries = 0; tries < ${wait_seconds:-30} * 20; tries++)); do
        "$@" && return 0
        sleep 0.05
    done
    return 1
}

# xdotool's search ignores case, so each window it finds is held to the title once more.
window_named() {
    local id
    for id in $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null); do
        if [ "$(xdotool getwindowname "$id" 2>/dev/null)" = "$1" ]; then
            found=$id
            return 0
        fi
    done
    found=""
    return 1
}

start_display() {
    Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp -noreset 3>"$1/display" 2>/dev/null &
    xvfb=$!
    wait_for test -s "$1/display" || { echo "FAIL: Xvfb did not start" >&2; exit 1; }
    export DISPLAY=":$(cat "$1/display")"
}

start_and_type() {
    local program=$1 delay=$2 path
    shift 2
    QT_QPA_PLATFORM=xcb "$program" >/dev/null 2>&1 &
    pid=$!
    wait_for window_named "$title"
    xdotool windowfocus --sync "$found"
    for path in "$@"; do
        xdotool type --delay "$delay" -- "$path"
        xdotool key Tab
    done
}
