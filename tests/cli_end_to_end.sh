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
printf '1 record written, 4 lines copied.\n' >>expected.out

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
printf "tus2wf-cli: File '%s/wörld.scp' not found!\nMake sure the path and file name are correct.\n" \
    "$folder" >expected.err
cmp -s <(plain err.txt) expected.err || fail "missing non-ASCII input message: $(cat err.txt)"

# Usage error: exit 2, pointing to --help.
"$cli" --tus >out.txt 2>err.txt
expect_exit 2 $? "usage error"
printf "tus2wf-cli: option '--tus' needs a value\nTry 'tus2wf-cli --help' for more information.\n" \
    >expected.err
cmp -s <(plain err.txt) expected.err || fail "usage error message: $(cat err.txt)"

# Version.
[ "$("$cli" -V | plain /dev/stdin)" = "tus2wf-cli 1.01" ] || fail "version text"

# Inputs written the ordinary Linux way end their lines at line feeds: the outputs are those of
# the CR LF inputs, and the summary says so and that the new world script has CR LF line ends.
tr -d '\r' <world.scp >lf.scp
tr -d '\r' <ids.txt >lf-ids.txt
"$cli" --tus=lf.scp --id-list=lf-ids.txt --worldforge=lf.wf --new-tus=lf-new.scp >out.txt 2>err.txt
expect_exit 0 $? "inputs without CRs"
cmp -s lf.wf expected.wf || fail "record file from inputs without CRs"
cmp -s lf-new.scp expected.scp || fail "new world script from inputs without CRs"
{ cat expected.out; echo "Line feeds ended the inputs' lines; the new world script ends them in CR LF."; } |
    cmp -s <(plain out.txt) - || fail "summary of inputs without CRs: $(cat out.txt)"
[ ! -s err.txt ] || fail "stderr not empty for inputs without CRs: $(cat err.txt)"

# The world script named as the new world script is replaced by the converted version.
cp world.scp inplace.scp
"$cli" --quiet --tus inplace.scp --id-list ids.txt --worldforge inplace.wf --new-tus inplace.scp \
    >out.txt 2>err.txt
expect_exit 0 $? "in-place conversion"
cmp -s inplace.scp expected.scp || fail "world script not replaced in place: $(cat err.txt)"
cmp -s inplace.wf expected.wf || fail "in-place record file differs"
rm -f inplace.scp inplace.wf

# An input named as the record file is refused before anything is read or written.
cp world.scp before.scp
"$cli" --tus world.scp --id-list ids.txt --worldforge ./world.scp --new-tus refused.scp 2>err.txt
expect_exit 1 $? "world script as record file"
[ "$(plain err.txt)" = "tus2wf-cli: The Worldforge file and the TUS file are the same file!
Enter a different name for the Worldforge file." ] || fail "input as output: $(cat err.txt)"
cmp -s world.scp before.scp && [ ! -e refused.scp ] || fail "world script as record file: written"
rm before.scp

# A temporary file left by a run that is gone is removed by the next run in its folder.
printf 'left by a killed run' >.tus2wf-dead0000dead0000.tmp
"$cli" --quiet --tus world.scp --id-list ids.txt --worldforge out.wf --new-tus new.scp
expect_exit 0 $? "run beside a dead run's temporary file"
[ ! -e .tus2wf-dead0000dead0000.tmp ] || fail "a dead run's temporary file was left"

if [ -n "${TUS2WF_TEXT_MODE_STDOUT:-}" ]; then
    # Windows names ignore letter case: these are one file.
    "$cli" --tus world.scp --id-list ids.txt --worldforge SAME.wf --new-tus same.WF >out.txt 2>err.txt
    expect_exit 1 $? "outputs differing only in letter case"
    [ ! -e same.wf ] || fail "outputs differing only in letter case were written"
    # Trailing dots and spaces are dropped from every name the system opens: one file too,
    # whether or not it exists yet.
    for second in o.wf. 'o.wf ' O.WF.; do
        "$cli" --tus world.scp --id-list ids.txt --worldforge o.wf --new-tus "$second" 2>err.txt
        expect_exit 1 $? "outputs '$second' and o.wf"
        [ "$(plain err.txt)" = "tus2wf-cli: The Worldforge file and the new TUS file are the same file!
Enter a different name for one of them." ] || fail "outputs '$second' and o.wf: $(cat err.txt)"
        [ ! -e o.wf ] || fail "outputs '$second' and o.wf were written"
    done
    "$cli" --tus world.scp --id-list ids.txt --worldforge 'nosuch\o.wf' --new-tus n.scp 2>err.txt
    expect_exit 1 $? "record file in a missing folder"
    grep -q 'The folder does not exist' err.txt || fail "missing folder: $(cat err.txt)"
fi

if [ -z "${TUS2WF_TEXT_MODE_STDOUT:-}" ]; then
    # A reader that goes away, or a full device: the outputs stay, the failure is reported.
    rm -f out.wf new.scp
    "$cli" --tus world.scp --id-list ids.txt --worldforge out.wf --new-tus new.scp \
        >/dev/full 2>err.txt
    expect_exit 1 $? "stdout on a full device"
    [ "$(cat err.txt)" = "tus2wf-cli: cannot write to standard output: No space left on device" ] ||
        fail "full stdout message: $(cat err.txt)"
    cmp -s out.wf expected.wf || fail "record file not kept after a failed summary"
    "$cli" --tus world.scp --id-list ids.txt --worldforge out.wf --new-tus new.scp 2>err.txt |
        : # closed before anything is read
    expect_exit 1 "${PIPESTATUS[0]}" "stdout closed early"

    # An output past the file size limit (ulimit -f): a write error naming it, not SIGXFSZ.
    mkdir limited && printf 'old\r\n' >limited/out.wf && printf 'old\r\n' >limited/new.scp
    awk 'BEGIN { for (i = 0; i < 1000; i++) printf "[WORLDITEM %x]\r\n\r\n", i }' >limited.scp
    (ulimit -f 8 && exec "$cli" --tus limited.scp --id-list ids.txt --worldforge limited/out.wf \
        --new-tus limited/new.scp 2>err.txt)
    expect_exit 1 $? "outputs past the file size limit"
    [ "$(cat err.txt)" = "tus2wf-cli: Cannot write file 'limited/new.scp'!
File too large" ] || fail "file size limit message: $(cat err.txt)"
    [ "$(ls -A limited | tr '\n' ' ')" = "new.scp out.wf " ] &&
        printf 'old\r\nold\r\n' | cmp -s - <(cat limited/*) ||
        fail "outputs past the file size limit were touched: $(ls -la limited)"
    rm -rf limited limited.scp

    # A large run, so that signals and kills land in its middle.
    awk 'BEGIN { for (i = 0; i < 3000000; i++) printf "[WORLDITEM %x]\r\nP=1,2,3\r\n\r\n", i % 4096 }' \
        >big.scp
    printf '1\r\n2\r\n' >bigids.txt
    "$cli" --quiet --tus big.scp --id-list bigids.txt --worldforge big.wf --new-tus big-new.scp
    mkdir -p killed
    old_outputs() { printf 'old\r\n' >killed/out.wf && printf 'old\r\n' >killed/new.scp; }
    old_outputs
    listing_before=$(ls -la --time-style=+ killed)
    landed=0
    printf 'x\r\n' >tiny.scp
    # Interrupts a run after a delay. A kill during the commit rightly leaves its journal for the
    # next run into the folder, so the promise is checked after that run: the folder holds just
    # the two outputs, both old or both new.
    interrupt_run() {
        local signal=$1 delay=$2 want=$3 pid got
        "$cli" --tus big.scp --id-list bigids.txt --worldforge killed/out.wf \
            --new-tus killed/new.scp >/dev/null 2>&1 &
        pid=$!
        sleep "$delay"
        kill -"$signal" "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
        got=$?
        if [ "$(ls -la --time-style=+ killed)" = "$listing_before" ]; then
            landed=$((landed + 1))
            expect_exit "$want" "$got" "SIG$signal after ${delay}s"
        fi
        "$cli" --quiet --tus tiny.scp --id-list bigids.txt --worldforge killed/next.wf \
            --new-tus killed/next.scp || fail "the run after SIG$signal after ${delay}s failed"
        rm -f killed/next.wf killed/next.scp
        if [ "$(ls -la --time-style=+ killed)" != "$listing_before" ] &&
            { ! cmp -s killed/out.wf big.wf || ! cmp -s killed/new.scp big-new.scp ||
                [ "$(ls -A killed | tr '\n' ' ')" != "new.scp out.wf " ]; }; then
            fail "SIG$signal after ${delay}s and the next run left the folder half done: $(ls -la killed)"
        fi
        old_outputs
    }
    for delay in 0.03 0.08 0.13 0.2 0.3; do
        interrupt_run KILL "$delay" 137
    done
    for signal in HUP INT TERM; do
        interrupt_run "$signal" 0.08 $((128 + $(kill -l "$signal")))
    done
    [ "$landed" -ge 3 ] || fail "only $landed interruptions landed in the middle of a run"
    rm -f big.wf big-new.scp tiny.scp

    # The world script cut short by another program while it is read: no crash.
    "$cli" --quiet --tus big.scp --id-list bigids.txt --worldforge cut.wf --new-tus cut.scp \
        >/dev/null 2>&1 &
    pid=$!
    sleep 0.05
    : >big.scp
    wait "$pid"
    got=$?
    [ "$got" -eq 0 ] || [ "$got" -eq 1 ] || fail "input cut short during a run: exit $got"
    rm -f big.scp cut.wf cut.scp

    # A FIFO that nobody writes to does not hold off Ctrl+C.
    mkfifo fifo.scp
    "$cli" --tus fifo.scp --id-list ids.txt --worldforge out.wf --new-tus new.scp \
        >/dev/null 2>&1 &
    pid=$!
    sleep 0.2
    kill -INT "$pid"
    wait "$pid"
    expect_exit 130 $? "SIGINT while waiting on a FIFO"
    rm -rf fifo.scp killed bigids.txt
fi

# No temporary file left anywhere.
leftovers=$(find . -name '.*' ! -name . | wc -l)
[ "$leftovers" -eq 0 ] || fail "temporary files left: $(find . -name '.*' ! -name .)"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "cli end to end: all checks passed"
