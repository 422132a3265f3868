#!/usr/bin/env bash
# Runs the real tus2wf-cli on files written here and checks exit codes, outputs and messages.
set -u

cli=${1:?usage: cli_end_to_end.sh PATH_TO_TUS2WF_CLI}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

expect_exit() {
    local want=$1 got=$2 what=$3
    [ "$got" -eq "$want" ] || fail "$what: exit $got, expected $want"
}

# On Windows the console streams are text streams: every line break arrives as CR LF.
plain() {
    if [ -n "${TUS2WF_TEXT_MODE_STDOUT:-}" ]; then tr -d '\r' <"$1"; else cat "$1"; fi
}

cd "$work" || exit 1
printf '[WORLDITEM 0eed]\r\nP=1234,567,0\r\n\r\n[WORLDITEM 0f00]\r\nP=10,20,5\r\n\r\nQ\r\n' >world.scp
printf 'EED\r\n[EOF]\r\n' >ids.txt
printf 'SECTION WORLDITEM 0\r\n{\r\nID 3821\r\nX 1234\r\nY 567\r\nZ 0\r\nTYPE 255\r\n}\r\n\r\n[EOF]\r\n' \
    >expected.wf
printf '[WORLDITEM 0f00]\r\nP=10,20,5\r\n\r\nQ\r\n' >expected.scp
printf 'Results:\nReading scp...done\n\nReading item list...done\n\n' >expected.out
printf 'Beginning conversion for item list...done\n\nConversion Complete\n' >>expected.out
printf '1 records written, 4 lines copied.\n' >>expected.out

# Success: both outputs byte for byte, the results on stdout, and no progress on a non-terminal.
"$cli" --tus world.scp --id-list ids.txt --worldforge out.wf --new-tus new.scp >out.txt 2>err.txt
expect_exit 0 $? "conversion"
cmp -s out.wf expected.wf || fail "record file differs"
cmp -s new.scp expected.scp || fail "new world script differs"
cmp -s <(plain out.txt) expected.out || fail "stdout differs: $(cat out.txt)"
[ ! -s err.txt ] || fail "stderr not empty on success: $(cat err.txt)"

# Quiet: nothing at all.
rm -f out.wf new.scp
"$cli" --quiet --tus world.scp --id-list ids.txt --worldforge out.wf --new-tus new.scp \
    >out.txt 2>err.txt
expect_exit 0 $? "quiet conversion"
[ ! -s out.txt ] && [ ! -s err.txt ] || fail "quiet run printed something"
cmp -s out.wf expected.wf || fail "quiet record file differs"

# Missing input: exit 1, the message on stderr, outputs untouched.
printf 'keep\r\n' >out.wf
"$cli" --tus missing.scp --id-list ids.txt --worldforge out.wf --new-tus new.scp >out.txt 2>err.txt
expect_exit 1 $? "missing input"
printf "File 'missing.scp' not found!\nMake sure the path and file name are correct.\n" \
    >expected.err
cmp -s <(plain err.txt) expected.err || fail "missing input message: $(cat err.txt)"
[ ! -s out.txt ] || fail "stdout not empty after a failure"
[ "$(cat out.wf)" = "$(printf 'keep\r')" ] || fail "record file changed by a failed check"

# Names outside any 8-bit code page: found, converted and named in messages byte for byte.
folder='wörld 世界'
mkdir "$folder" && cp world.scp ids.txt "$folder/"
"$cli" --tus "$folder/world.scp" --id-list "$folder/ids.txt" --worldforge "$folder/out.wf" \
    --new-tus "$folder/new.scp" >out.txt 2>err.txt
expect_exit 0 $? "conversion in a non-ASCII folder"
cmp -s "$folder/out.wf" expected.wf || fail "record file in a non-ASCII folder differs"
cmp -s "$folder/new.scp" expected.scp || fail "new world script in a non-ASCII folder differs"
"$cli" --tus "$folder/wörld.scp" --id-list ids.txt --worldforge out.wf --new-tus new.scp \
    >out.txt 2>err.txt
expect_exit 1 $? "missing non-ASCII input"
printf "File '%s/wörld.scp' not found!\nMake sure the path and file name are correct.\n" \
    "$folder" >expected.err
cmp -s <(plain err.txt) expected.err || fail "missing non-ASCII input message: $(cat err.txt)"

# Usage error: exit 2 with a usage line.
"$cli" --tus >out.txt 2>err.txt
expect_exit 2 $? "usage error"
grep -q '^usage: tus2wf-cli --tus WORLD_SCRIPT' err.txt || fail "no usage line: $(cat err.txt)"

# Version.
[ "$("$cli" --version | plain /dev/stdin)" = "tus2wf-cli 1.01" ] || fail "version text"

# No temporary file left anywhere.
leftovers=$(find . -name '.*' ! -name . | wc -l)
[ "$leftovers" -eq 0 ] || fail "temporary files left: $(find . -name '.*' ! -name .)"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "cli end to end: all checks passed"
