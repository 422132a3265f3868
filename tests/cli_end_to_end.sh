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
printf "tus2wf-cli: File 'missing.scp' not found!\nMake sure the path and file name are correct.\n" \
    >expected.err
cmp -s <(plain err.txt) expected.err || fail "missing input message: $(cat err.txt)"
[ ! -s out.txt ] || fail "stdout not empty after a failure"
[ "$(cat out.wf)" = "$(printf 'keep\r')" ] || fail "record file changed by a failed check"

# Usage error: exit 2, pointing to --help.
"$cli" --tus >out.txt 2>err.txt
expect_exit 2 $? "usage error"
printf "tus2wf-cli: option '--tus' needs a value\nTry 'tus2wf-cli --help' for more information.\n" \
    >expected.err
cmp -s <(plain err.txt) expected.err || fail "usage error message: $(cat err.txt)"

# Version.
[ "$("$cli" -V | plain /dev/stdin)" = "tus2wf-cli 1.01" ] || fail "version text"

# A list with line feeds but no carriage return is one entry that matches nothing: --unmatched
# shows it as it stands, and a warning says why.
printf 'EED\n[EOF]\n' >lf-ids.txt
"$cli" -q --unmatched --tus=world.scp --id-list=lf-ids.txt --worldforge=lf.wf --new-tus=lf.scp \
    >out.txt 2>err.txt
expect_exit 0 $? "list without CRs"
printf 'EED\n[EOF]\n\n' | cmp -s <(plain out.txt) - || fail "unmatched entries: $(cat out.txt)"
printf "tus2wf-cli: warning: 'lf-ids.txt' holds line feeds but no carriage return, so it was read as one line\n" \
    >expected.err
cmp -s <(plain err.txt) expected.err || fail "no warning about a list without CRs: $(cat err.txt)"
printf '[EOF]\r\n' | cmp -s lf.wf - || fail "record file from a list without CRs"

# No temporary file left anywhere.
leftovers=$(find . -name '.*' ! -name . | wc -l)
[ "$leftovers" -eq 0 ] || fail "temporary files left: $(find . -name '.*' ! -name .)"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "cli end to end: all checks passed"
