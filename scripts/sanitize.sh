#!/usr/bin/env bash
# Builds everything (the window included) with AddressSanitizer and UndefinedBehaviorSanitizer
# and runs the whole ctest suite under them. Any report fails the run, also one from a program
# that a test runs and expects to fail: a report ends the program with exit status 86, which no
# test expects, and AddressSanitizer's reports (leaks included) are also kept in files, any of
# which fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build-asan}
jobs=${2:-2}

cmake --preset asan -B "$build"
cmake --build "$build" -j "$jobs"

reports="$PWD/$build/sanitizer-reports"
rm -rf "$reports"
mkdir -p "$reports"
# intercept_strndup=0: the window on a real X display (the typed runs) reads its keymap through
# libxkbcommon-x11, whose strndup reads past its buffer; this program itself calls none.
export ASAN_OPTIONS="log_path=$reports/asan:exitcode=86:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1:intercept_strndup=0"
export UBSAN_OPTIONS="exitcode=86:print_stacktrace=1:halt_on_error=1"

status=0
bash scripts/report-skipped.sh asan "$build" "$jobs" || status=$?
if compgen -G "$reports/*" >/dev/null; then
    echo "Sanitizer reports:" >&2
    cat "$reports"/* >&2
    status=1
fi
exit $status
