#!/usr/bin/env bash
# Runs the whole ctest suite of a build through its test preset, then names plainly every test
# that did not run (ctest's skipped list), each with the reason it gave, and the one command that
# runs just those. Exits with ctest's status: a skipped test fails nothing.
#
# usage: report-skipped.sh PRESET BUILD_DIR [JOBS]
set -uo pipefail
cd "$(dirname "$0")/.."
preset=${1:?usage: report-skipped.sh PRESET BUILD_DIR [JOBS]}
build=${2:?usage: report-skipped.sh PRESET BUILD_DIR [JOBS]}
jobs=${3:-2}

summary=$(mktemp)
trap 'rm -f "$summary"' EXIT
ctest --preset "$preset" --test-dir "$build" -j "$jobs" | tee "$summary"
status=${PIPESTATUS[0]}

skipped=$(sed -n 's/^[[:space:]]*[0-9]* - \(.*\) (\(Skipped\|Disabled\|Not Run\))$/\1/p' "$summary")
[ -z "$skipped" ] && exit "$status"

# Why each one skipped, from what it printed: GoogleTest's skip message, or the script's own.
reason() {
    awk -v name="$1" '
        /^[0-9]+\/[0-9]+ Test(ing)?: / { inside = ($NF == name) }
        inside && /(^|: )Skipped$/ { getline message; print message; exit }
        inside && /^skipped: / { print substr($0, 10); exit }
    ' "$build/Testing/Temporary/LastTest.log"
}

echo
echo "These tests did not run:"
while IFS= read -r name; do
    why=$(reason "$name")
    echo "  $name${why:+ ($why)}"
done <<<"$skipped"
pattern=$(paste -sd '|' <<<"$skipped")
echo "To run just them, from the top of the tree: as root for the cases that need root; those that"
echo "need a user without root as such a user, in a clone and build of its own (no other user may"
echo "write into this build, nor enter a tree under /root); those that lack a program after make"
echo "test-deps:"
echo "  ctest --preset $preset --test-dir $build -R '^($pattern)\$'"
exit "$status"
