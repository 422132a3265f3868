#!/usr/bin/env bash
# Runs the real tus2wf-cli where others try to make it betray the user's files: another user's
# links, lookalike files and locks in a shared folder, one folder under two paths, streams,
# stalled readers, deep folders, sockets and failing renames. The cases that need a second user or
# a mount run only as root; elsewhere they are skipped with the reason.
set -u
export LC_ALL=C

work=$(mktemp -d)
chmod 755 "$work"
# A copy the second user may run, wherever the build is.
cp "${1:?usage: cli_hostile.sh PATH_TO_TUS2WF_CLI}" "$work/tus2wf-cli" || exit 1
cli=$work/tus2wf-cli
pids=()
mounts=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait
    for mount in "${mounts[@]}"; do umount "$mount" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

skip() {
    echo "SKIP: $*" >&2
}

expect_exit() {
    local want=$1 got=$2 what=$3
    [ "$got" -eq "$want" ] || fail "$what: exit $got, expected $want"
}

# Whether err.txt says exactly that output $1 could not be written (input $1 read, with
# verb=read), for reason $2.
says() {
    printf "tus2wf-cli: Cannot ${verb:-write} file '%s'!\n%s\n" "$1" "$2" | cmp -s - "$work/err.txt"
}

listing() {
    ls -A "$1" | tr '\n' ' '
}

# Sends SIGTERM (or signal $2) to a background run; one still going 3 s later is killed (and
# exits 137).
stop_run() {
    local pid=$1 watchdog status
    kill -"${2:-TERM}" "$pid"
    (for _ in $(seq 30); do
        sleep 0.1
        kill -0 "$pid" 2>/dev/null || exit 0
    done
    kill -KILL "$pid") &
    watchdog=$!
    wait "$pid"
    status=$?
    wait "$watchdog"
    return $status
}

cd "$work" || exit 1
printf '[WORLDITEM 0eed]\r\nP=1234,567,0\r\n\r\n[WORLDITEM 0f00]\r\nP=10,20,5\r\n\r\nQ\r\n' >world.scp
printf 'EED\r\n[EOF]\r\n' >ids.txt
printf 'SECTION WORLDITEM 0\r\n{\r\nID 3821\r\nX 1234\r\nY 567\r\nZ 0\r\nTYPE 255\r\n}\r\n\r\n[EOF]\r\n' \
    >expected.wf
printf '[WORLDITEM 0f00]\r\nP=10,20,5\r\n\r\nQ\r\n' >expected.scp
printf 'old\r\n' >old
inputs=(--quiet --tus "$work/world.scp" --id-list "$work/ids.txt")
as_nobody=(setpriv --reuid=65534 --regid=65534 --clear-groups)
# A folder holding the two outputs with old contents.
old_pair() {
    mkdir -p "$1" && cp old "$1/r.wf" && cp old "$1/n.scp"
}
new_pair() {
    cmp -s "$1/r.wf" expected.wf && cmp -s "$1/n.scp" expected.scp
}

if [ "$(id -u)" -ne 0 ] || ! command -v setpriv >/dev/null; then
    skip "another user's links, files and locks, and bind mounts need root and setpriv"
else
    # A file its owner made read-only is kept, as a shell's ">" keeps it, and the run refused.
    readonly_folder=$(mktemp -d -p "$work") && old_pair "$readonly_folder"
    chmod 444 "$readonly_folder/r.wf" && chown -R 65534 "$readonly_folder"
    "${as_nobody[@]}" "$cli" "${inputs[@]}" --worldforge "$readonly_folder/r.wf" \
        --new-tus "$readonly_folder/n.scp" 2>err.txt
    expect_exit 1 $? "a read-only record file"
    says "$readonly_folder/r.wf" "The file is read-only" || fail "read-only: $(cat err.txt)"
    cmp -s "$readonly_folder/r.wf" old && [ "$(listing "$readonly_folder")" = "n.scp r.wf " ] ||
        fail "a read-only record file was changed: $(listing "$readonly_folder")"

    # Another user's link in a shared folder is not followed, whatever the machine's settings.
    shared=$(mktemp -d -p "$work") && chmod 1777 "$shared"
    printf 'secret\n' >secret && chmod 600 secret
    "${as_nobody[@]}" ln -s "$work/secret" "$shared/r.wf"
    "$cli" "${inputs[@]}" --worldforge "$shared/r.wf" --new-tus "$shared/n.scp" 2>err.txt
    expect_exit 1 $? "another user's link in a shared folder"
    says "$shared/r.wf" \
        "The symbolic link 'r.wf' belongs to another user of a shared folder and is not followed" &&
        [ "$(cat secret)" = secret ] && [ "$(listing "$shared")" = "r.wf " ] ||
        fail "another user's link was followed: $(cat err.txt; ls -la "$shared")"

    # Nor to an input, which would carry a file only root may read into one anyone may read.
    mkdir -m 700 hidden && printf 'secret\r\n' >hidden/s.scp && chmod 600 hidden/s.scp
    shared_in=$(mktemp -d -p "$work") && chmod 1777 "$shared_in"
    "${as_nobody[@]}" ln -s "$work/hidden/s.scp" "$shared_in/w.scp"
    "$cli" --quiet --tus "$shared_in/w.scp" --id-list ids.txt --worldforge "$shared_in/r.wf" \
        --new-tus "$shared_in/n.scp" 2>err.txt
    expect_exit 1 $? "another user's link in a shared folder as the world script"
    verb=read says "$shared_in/w.scp" \
        "The symbolic link 'w.scp' belongs to another user of a shared folder and is not followed" &&
        [ "$(listing "$shared_in")" = "w.scp " ] ||
        fail "another user's link was followed to an input: $(cat err.txt; ls -la "$shared_in")"

    # Nor another user's link loop, which stays a link.
    "${as_nobody[@]}" ln -s l.wf "$shared/l.wf"
    "$cli" "${inputs[@]}" --worldforge "$shared/l.wf" --new-tus "$shared/n.scp" 2>err.txt
    expect_exit 1 $? "another user's link loop"
    [ "$(stat -c %U:%F "$shared/l.wf")" = "nobody:symbolic link" ] ||
        fail "another user's link loop was replaced: $(ls -la "$shared")"

    # Another user's file and a file of the user's own that look like temporary files stay.
    "${as_nobody[@]}" touch -d '1 hour ago' "$shared/.tus2wf-aaaaaaaaaaaaaaaa.tmp"
    touch -d '1 hour ago' "$shared/.tus2wf-notes1"
    "$cli" "${inputs[@]}" --worldforge "$shared/r3.wf" --new-tus "$shared/n3.scp"
    expect_exit 0 $? "run beside lookalike temporary files"
    [ "$(listing "$shared")" = ".tus2wf-aaaaaaaaaaaaaaaa.tmp .tus2wf-notes1 l.wf n3.scp r.wf r3.wf " ] ||
        fail "lookalike temporary files: $(ls -la "$shared")"

    # A dead journal that another user put in a shared folder is not settled: here it names a
    # file of root's, under a name this program makes, in a folder only root may enter.
    precious=.tus2wf-aaaaaaaaaaaaaaaa.tmp
    mkdir vault && chmod 700 vault && printf 'precious\n' >"vault/$precious"
    field() { printf '%d:%s\n' "${#1}" "$1"; }
    { printf 'tus2wf commit journal 1\n' && field x && field 1 && field "$work/vault" &&
        field precious && field "$precious" && field '' &&
        field "$(stat -c %d "vault/$precious")" && field "$(stat -c %i "vault/$precious")"; } |
        "${as_nobody[@]}" tee "$shared/.r4.wf.tus2wf-commit" >/dev/null
    "$cli" "${inputs[@]}" --worldforge "$shared/r4.wf" --new-tus "$shared/n4.scp" 2>err.txt
    [ "$(cat "vault/$precious" 2>&1)" = precious ] && [ -e "$shared/.r4.wf.tus2wf-commit" ] ||
        fail "another user's journal was acted upon: $(ls -la vault "$shared")"

    # A record file of root's in an ordinary user's own folder: the kernel allows no hard link
    # to it, so the old file is moved aside instead.
    old_pair own && chown 65534:65534 own own/n.scp
    "${as_nobody[@]}" "$cli" "${inputs[@]}" --worldforge own/r.wf --new-tus own/n.scp 2>err.txt
    expect_exit 0 $? "root's record file replaced by another user: $(cat err.txt)"
    new_pair own && [ "$(listing own)" = "n.scp r.wf " ] ||
        fail "root's record file replaced by another user: $(ls -la own)"

    # A live journal of another user's: the run waits, says so, and SIGTERM stops it at once.
    locked=$(mktemp -d -p "$work") && chmod 1777 "$locked" && old_pair "$locked"
    (cd "$locked" && exec "${as_nobody[@]}" bash -c \
        'exec 9>>.r.wf.tus2wf-commit && flock 9 && exec sleep 60') &
    pids+=($!)
    until [ -e "$locked/.r.wf.tus2wf-commit" ]; do sleep 0.05; done
    sleep 0.2
    "$cli" "${inputs[@]}" --worldforge "$locked/r.wf" --new-tus "$locked/n.scp" 2>err.txt &
    run=$!
    sleep 1.5
    grep -qF "Waiting for another run to finish in '$locked'..." err.txt ||
        fail "no line on stderr says what the run waits for: $(cat err.txt)"
    stop_run "$run"
    expect_exit 143 $? "SIGTERM while waiting for another user's journal"
    cmp -s old "$locked/r.wf" && cmp -s old "$locked/n.scp" &&
        [ "$(listing "$locked")" = ".r.wf.tus2wf-commit n.scp r.wf " ] ||
        fail "a stopped wait touched the folder: $(ls -la "$locked")"
    kill "${pids[-1]}"

    # One folder under two paths is one folder.
    mkdir one two
    if mount --bind one two; then
        mounts+=("$work/two")
        timeout 20 "$cli" "${inputs[@]}" --worldforge one/r.wf --new-tus two/n.scp
        expect_exit 0 $? "one folder under two paths"
        new_pair one && [ "$(listing one)" = "n.scp r.wf " ] ||
            fail "one folder under two paths: $(ls -la one)"
        umount two && mounts=()
    else
        skip "one folder under two paths: mount --bind is not allowed here"
    fi
fi

# A loop of the user's own links is refused.
mkdir loop && ln -s a.wf loop/b.wf && ln -s b.wf loop/a.wf
"$cli" "${inputs[@]}" --worldforge loop/a.wf --new-tus loop/n.scp 2>err.txt
expect_exit 1 $? "link loop"
says loop/a.wf "Too many levels of symbolic links" && [ "$(listing loop)" = "a.wf b.wf " ] ||
    fail "link loop: $(cat err.txt)"

# Streams of the process are written in place: appending stays appending, and a pipe works.
printf 'first line\n' >log
"$cli" "${inputs[@]}" --worldforge /dev/stdout --new-tus streamed.scp >>log
expect_exit 0 $? "record file to standard output appended to a log"
cat <(printf 'first line\n') expected.wf | cmp -s - log || fail "appended log: $(cat log)"
"$cli" "${inputs[@]}" --worldforge >(gzip >r.gz) --new-tus streamed.scp
expect_exit 0 $? "record file to a pipe"
wait $!
zcat r.gz | cmp -s - expected.wf || fail "record file through a pipe differs"

# A FIFO whose reader never reads does not hold off SIGTERM.
mkdir stalled && cp old stalled/r.wf && mkfifo stalled/out.fifo
awk 'BEGIN { for (i = 0; i < 300000; i++) printf "[WORLDITEM %x]\r\nP=1,2,3\r\n\r\n", i }' >big.scp
sleep 60 <stalled/out.fifo &
pids+=($!)
"$cli" --quiet --tus big.scp --id-list ids.txt --worldforge stalled/r.wf \
    --new-tus stalled/out.fifo &
run=$!
sleep 1
stop_run "$run"
expect_exit 143 $? "SIGTERM while the FIFO's reader stalls"
cmp -s old stalled/r.wf && [ "$(listing stalled)" = "out.fifo r.wf " ] ||
    fail "a stopped write to a FIFO touched the folder: $(ls -la stalled)"

# In a shared folder another user's link anywhere along the path is not followed, and their
# FIFO is not written to; a FIFO of the user's own is, if someone reads it.
if [ "$(id -u)" -eq 0 ] && command -v setpriv >/dev/null; then
    S=$(mktemp -d -p "$work") && chmod 1777 "$S" && mkdir -m 700 rootdir && old_pair rootdir
    "${as_nobody[@]}" ln -s "$work/rootdir" "$S/dl"
    "$cli" "${inputs[@]}" --worldforge "$S/r.wf" --new-tus "$S/dl/n.scp" 2>err.txt
    expect_exit 1 $? "another user's linked folder"
    says "$S/dl/n.scp" "The symbolic link 'dl' belongs to another user of a shared folder and is not followed" &&
        cmp -s old rootdir/n.scp && [ "$(listing rootdir)$(listing "$S")" = "n.scp r.wf dl " ] ||
        fail "another user's linked folder: $(cat err.txt; ls -A rootdir "$S")"

    "${as_nobody[@]}" mkfifo -m 622 "$S/r2.wf"
    timeout 20 "${as_nobody[@]}" cat "$S/r2.wf" >stolen &
    reader=$!
    for _ in $(seq 50); do # until the reader waits for a writer, as far as the kernel tells
        [ "$(cat "/proc/$(pgrep -P $reader)/wchan" 2>/dev/null)" = wait_for_partner ] && break || sleep 0.1
    done
    "$cli" "${inputs[@]}" --worldforge "$S/r2.wf" --new-tus "$S/n.scp" 2>err.txt
    expect_exit 1 $? "another user's FIFO"
    timeout 5 bash -c ': >"$1"' - "$S/r2.wf" # lets the reader go, if it still waits
    wait "$reader"
    says "$S/r2.wf" "The file 'r2.wf' belongs to another user of a shared folder and is not written to" &&
        [ ! -s stolen ] && [ "$(listing "$S")" = "dl r2.wf " ] ||
        fail "another user's FIFO: $(cat err.txt; wc -c stolen; ls -A "$S")"

    mkfifo -m 666 "$S/mine.fifo"
    "$cli" "${inputs[@]}" --worldforge "$S/mine.fifo" --new-tus "$S/n.scp" 2>err.txt
    expect_exit 1 $? "a FIFO nobody reads"
    says "$S/mine.fifo" "Nothing is reading 'mine.fifo'" || fail "a FIFO nobody reads: $(cat err.txt)"
    # Another user holds it open without reading: Ctrl+C still stops the run.
    timeout 60 "${as_nobody[@]}" bash -c 'exec <>"$1" && echo >&2 && exec sleep 60' - "$S/mine.fifo" 2>held &
    pids+=($!)
    for _ in $(seq 100); do [ -s held ] && break || sleep 0.1; done
    "$cli" --quiet --tus big.scp --id-list ids.txt --worldforge "$S/r.wf" --new-tus "$S/mine.fifo" &
    run=$!
    for _ in $(seq 100); do ls -l "/proc/$run/fd" | grep -q mine.fifo && break || sleep 0.1; done
    stop_run "$run" INT
    expect_exit 130 $? "Ctrl+C while another user holds the FIFO unread"
    [ "$(listing "$S")" = "dl mine.fifo r2.wf " ] || fail "a stopped write to a FIFO left $(ls -A "$S")"
fi

# A folder deeper than any absolute path the system takes, reached step by step.
long=$(printf 'd%.0s' $(seq 200))
mkdir deep
(cd deep && for _ in $(seq 21); do mkdir "$long" && cd "$long" || exit 1; done &&
    "$cli" "${inputs[@]}" --worldforge r.wf --new-tus n.scp 2>"$work/err.txt" &&
    cmp -s r.wf "$work/expected.wf" && cmp -s n.scp "$work/expected.scp" &&
    [ "$(listing .)" = "n.scp r.wf " ]) || fail "outputs in a deep folder: $(cat err.txt)"

# Outputs named relative to a current folder deleted meanwhile: the message says so.
mkdir gone
(cd gone && rmdir "$work/gone" &&
    "$cli" "${inputs[@]}" --worldforge r.wf --new-tus n.scp 2>"$work/err.txt")
expect_exit 1 $? "outputs in a deleted current folder"
[ "$(cat err.txt)" = "tus2wf-cli: Cannot write file 'r.wf'!
Its folder has been deleted" ] || fail "deleted current folder: $(cat err.txt)"

# Outputs whose names are as long as a name may be, replaced as a pair: their journals' names
# are made short enough.
mkdir longname
long_wf=$(printf 'r%.0s' {1..250}).wf long_scp=$(printf 'n%.0s' {1..249}).scp
cp old "longname/$long_wf" && cp old "longname/$long_scp"
"$cli" "${inputs[@]}" --worldforge "longname/$long_wf" --new-tus "longname/$long_scp" 2>err.txt
expect_exit 0 $? "outputs with the longest names: $(cat err.txt)"
cmp -s "longname/$long_wf" expected.wf && cmp -s "longname/$long_scp" expected.scp &&
    [ "$(listing longname)" = "$long_scp $long_wf " ] || fail "longest names: $(ls -A longname)"

# A replaced file keeps its extended attributes and its access control list.
if command -v setfattr >/dev/null && command -v setfacl >/dev/null; then
    old_pair kept && setfattr -n user.note -v x kept/r.wf && setfacl -m u:65534:r kept/r.wf
    getfacl -n kept/r.wf >acl.before
    "$cli" "${inputs[@]}" --worldforge kept/r.wf --new-tus kept/n.scp
    expect_exit 0 $? "replacing a file with attributes"
    new_pair kept && [ "$(getfattr --only-values -n user.note kept/r.wf)" = x ] &&
        getfacl -n kept/r.wf | cmp -s acl.before - ||
        fail "attributes lost: $(getfattr -d kept/r.wf; getfacl -n kept/r.wf)"
else
    skip "attributes: setfattr or setfacl is missing (packages attr, acl)"
fi

# A socket is refused, and says why.
mkdir sock && perl -MSocket -e 'socket(S, PF_UNIX, SOCK_STREAM, 0) && bind(S, pack_sockaddr_un($ARGV[0])) || die' \
    sock/s.wf
"$cli" "${inputs[@]}" --worldforge sock/s.wf --new-tus sock/n.scp 2>err.txt
expect_exit 1 $? "socket as the record file"
says sock/s.wf "It is a socket, which this program does not write to" &&
    [ "$(listing sock)" = "s.wf " ] || fail "socket as the record file: $(cat err.txt)"

# A socket as an input says so too.
"$cli" --quiet --tus sock/s.wf --id-list ids.txt --worldforge sock/r.wf --new-tus sock/n.scp \
    2>err.txt
expect_exit 1 $? "socket as the world script"
verb=read says sock/s.wf "It is a socket, which this program does not read" &&
    [ "$(listing sock)" = "s.wf " ] || fail "socket as the world script: $(cat err.txt)"

# An endless stream as the ID list is read only until it holds more lines than the list can.
if [ -n "${ASAN_OPTIONS:-}" ]; then
    skip "an endless ID list: a sanitized build needs more address space than the limit leaves"
else
    (ulimit -v 65536 && exec "$cli" --quiet --tus world.scp --id-list /dev/urandom \
        --worldforge endless.wf --new-tus endless.scp) 2>err.txt
    expect_exit 1 $? "an endless ID list"
    printf "tus2wf-cli: File '/dev/urandom' is too long!\nIt has more than 25001 lines.\n" |
        cmp -s - err.txt && [ ! -e endless.wf ] && [ ! -e endless.scp ] ||
        fail "an endless ID list: $(cat err.txt)"
fi

# The second replacement and the putting back of the old record file both fail: the old file
# stays under the name the message gives, and the next run settles the folder.
if command -v strace >/dev/null && strace -o /dev/null true 2>/dev/null; then
    old_pair failing
    # The leak check of a sanitized build cannot run under a tracer.
    ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" \
        strace -f -o /dev/null -e inject=renameat:error=EIO:when=2+ \
        "$cli" "${inputs[@]}" --worldforge failing/r.wf --new-tus failing/n.scp 2>err.txt
    expect_exit 1 $? "failing renames"
    kept=$(sed -n "3s/^The previous record file is kept as '\(.*\)'\.$/\1/p" err.txt)
    head -2 err.txt | cmp -s - <(printf "tus2wf-cli: Cannot write file 'failing/n.scp'!\nInput/output error\n") &&
        [[ $kept =~ ^$work/failing/\.tus2wf-[a-z0-9]{16}\.old$ ]] && cmp -s old "$kept" ||
        fail "failing renames: $(cat err.txt)"
    "$cli" "${inputs[@]}" --worldforge failing/r.wf --new-tus failing/n.scp
    expect_exit 0 $? "run after failing renames"
    new_pair failing && [ "$(listing failing)" = "n.scp r.wf " ] ||
        fail "run after failing renames: $(ls -la failing)"
else
    skip "failing renames: strace is missing or may not trace here"
fi

# Killed at the second rename, then the new record file edited: runs that write either name are
# refused with what to do, runs that write other names in the folder go on.
if command -v strace >/dev/null && strace -o /dev/null true 2>/dev/null; then
    old_pair edited
    (ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" \
        strace -f -o /dev/null -e inject=renameat:signal=KILL:when=2 \
        "$cli" "${inputs[@]}" --worldforge edited/r.wf --new-tus edited/n.scp) 2>/dev/null
    echo edit >>edited/r.wf
    "$cli" "${inputs[@]}" --worldforge edited/other.wf --new-tus edited/other.scp
    expect_exit 0 $? "run beside an unfinished commit of other names"
    "$cli" "${inputs[@]}" --worldforge edited/x.wf --new-tus edited/n.scp 2>err.txt
    expect_exit 1 $? "run over an unfinished commit whose record file changed"
    journals="'$work/edited/.r.wf.tus2wf-commit', '$work/edited/.n.scp.tus2wf-commit'"
    kept=$(ls -A edited | grep '^\.tus2wf-.*\.old$')
    [ "$(cat err.txt)" = "tus2wf-cli: Cannot write file 'edited/n.scp'!
'$work/edited/.n.scp.tus2wf-commit' holds an unfinished commit of this program, left as it is: \
'$work/edited/r.wf' has changed since. The record file from before it is kept as \
'$work/edited/$kept'. Removing its journals ($journals) lets runs write these names again and \
leaves every file as it is now" ] && cmp -s old "edited/$kept" && cmp -s old edited/n.scp ||
        fail "unfinished commit whose record file changed: $(cat err.txt)"
else
    skip "edited after a killed commit: strace is missing or may not trace here"
fi

# A record file in a folder deeper than a path the system spells in one piece, the new world
# script elsewhere, killed between the two renames: the next run that writes the new world script
# settles it from the other folder.
if command -v strace >/dev/null && strace -f -o /dev/null true 2>/dev/null; then
    mkdir -p parted/b && cp old parted/b/n.scp
    part=$(printf 'd%.0s' {1..200})
    (
        cd parted || exit 1
        for _ in $(seq 30); do mkdir "$part" && cd "$part" || exit 1; done
        cp "$work/old" r.wf
        strace -f -o /dev/null -e inject=renameat:signal=KILL:when=2 \
            "$cli" "${inputs[@]}" --worldforge r.wf --new-tus "$work/parted/b/n.scp"
        [ -e .r.wf.tus2wf-commit ] || echo "no journal" >&2
    ) 2>/dev/null
    "$cli" "${inputs[@]}" --worldforge parted/b/r.wf --new-tus parted/b/n.scp
    expect_exit 0 $? "run after a deep folder's commit was killed"
    (
        cd parted || exit 1
        for _ in $(seq 30); do cd "$part" || exit 1; done
        cmp -s "$work/old" r.wf && [ "$(ls -A)" = r.wf ]
    ) && new_pair parted/b && [ "$(listing parted/b)" = "n.scp r.wf " ] ||
        fail "deep folder's commit was not undone: $(ls -A parted/b)"
    rm -rf parted
else
    skip "deep folder killed between renames: strace is missing or may not trace here"
fi

# Another user's file, link or folder under a target's journal name in a shared folder fails a
# run that writes that target at once with the name, and never makes it wait; runs that write
# other names there go on.
if [ "$(id -u)" -eq 0 ] && command -v setpriv >/dev/null; then
    shared=$(mktemp -d -p "$work") && chmod 1777 "$shared"
    for plant in "ln -s /nonexistent" "install -m 600 /dev/null" "mkdir" "tee"; do
        echo garbage | "${as_nobody[@]}" $plant "$shared/.r.wf.tus2wf-commit" >/dev/null
        start=$(date +%s)
        "$cli" "${inputs[@]}" --worldforge "$shared/r.wf" --new-tus "$shared/n.scp" 2>err.txt
        expect_exit 1 $? "planted journal ($plant)"
        [ $(($(date +%s) - start)) -lt 4 ] || fail "planted journal ($plant) made the run wait"
        grep -qF "'$shared/.r.wf.tus2wf-commit' is " err.txt ||
            fail "planted journal ($plant): $(cat err.txt)"
        "$cli" "${inputs[@]}" --worldforge "$shared/o.wf" --new-tus "$shared/n.scp" 2>err.txt
        expect_exit 0 $? "run beside another name's planted journal ($plant): $(cat err.txt)"
        rm -rf "${shared:?}/.r.wf.tus2wf-commit"
    done
    [ "$(listing "$shared")" = "n.scp o.wf " ] || fail "planted journals: $(ls -la "$shared")"

    # Another user's file there as the record file, writable by all: refused by name before
    # anything is made, so nothing is left for its owner's next run to trip over.
    chmod 666 "$shared/o.wf" && cp "$shared/o.wf" o.before
    "${as_nobody[@]}" "$cli" "${inputs[@]}" --worldforge "$shared/o.wf" --new-tus "$shared/nb.scp" \
        2>err.txt
    expect_exit 1 $? "another user's file in a shared folder as the record file"
    says "$shared/o.wf" \
        "The file 'o.wf' belongs to another user of a shared folder, where only they can replace it" &&
        cmp -s o.before "$shared/o.wf" && [ "$(listing "$shared")" = "n.scp o.wf " ] ||
        fail "another user's file in a shared folder: $(cat err.txt; ls -la "$shared")"
fi

# An output that opens one of the other files through a descriptor of this process is refused as
# that file's second name is, before anything is read or written.
mkdir same && cp world.scp same/w.scp && cp ids.txt same/ids
for redirected in '--worldforge /dev/fd/3 --new-tus n 3<>w.scp' \
    '--worldforge /proc/self/fd/3 --new-tus n 3<>w.scp' '--worldforge /dev/stdout --new-tus n >>w.scp' \
    '--worldforge w.scp --new-tus n --tus /dev/fd/3 3<w.scp' '--worldforge r --new-tus /dev/fd/3 3<>ids' \
    '--worldforge ids --new-tus n --id-list /dev/fd/3 3<ids' '--worldforge /dev/fd/3 --new-tus /dev/fd/4 3>>r 4>>r'; do
    (cd same && eval "\"\$cli\" -q --tus w.scp --id-list ids $redirected") 2>err.txt
    expect_exit 1 $? "$redirected"
    grep -q "are the same file!$" err.txt || fail "$redirected: $(cat err.txt)"
    [ ! -s same/r ] && rm -f same/r || fail "$redirected wrote into r"
    cmp -s same/w.scp world.scp && cmp -s same/ids ids.txt && [ "$(listing same)" = "ids w.scp " ] ||
        fail "$redirected changed the folder: $(listing same)"
done

# A regular file reached through a descriptor that does not append is replaced as its name would
# be, never written over from where the descriptor stands; one without a name is refused.
for via in /dev/fd/3 /proc/self/fd/3; do
    (cd same && printf '%s\n' "a longer old text than the new world script" >r &&
        "$cli" -q --tus w.scp --id-list ids --worldforge o --new-tus $via 3<>r)
    expect_exit 0 $? "new world script through $via"
    cmp -s same/r expected.scp || fail "new world script through $via: $(od -c same/r | head)"
    rm -f same/r same/o
done
(cd same && exec 3<>gone && rm gone &&
    "$cli" -q --tus w.scp --id-list ids --worldforge o --new-tus /dev/fd/3) 2>err.txt
expect_exit 1 $? "new world script through a descriptor of a removed file"
says /dev/fd/3 "The file has no name to be replaced under" && [ "$(listing same)" = "ids w.scp " ] ||
    fail "a descriptor of a removed file: $(cat err.txt; listing same)"

# Limits of the address space from start-up to a whole run, finely where start-up runs out: the run goes through, or a
# message says what there was no memory for and leaves the outputs as they were, or the system's
# loader refuses to start the program. Never an abort.
if [ -n "${ASAN_OPTIONS:-}" ]; then
    skip "memory limits: a sanitized build needs more address space than any limit leaves"
else
    for ((kb = 4096; kb <= 102400; kb += kb >= 5120 && kb < 9216 ? 64 : kb < 24576 ? 512 : 8192)); do
        old_pair mem
        (ulimit -v "$kb" && exec "$cli" "${inputs[@]}" --worldforge mem/r.wf --new-tus mem/n.scp) \
            2>err.txt
        status=$?
        if [ "$status" -eq 0 ]; then
            new_pair mem || fail "memory limit $kb KB: wrong outputs"
        elif [ "$status" -eq 1 ] && grep -qx "tus2wf-cli: Not enough memory to \(run\|read '$work/[a-z.]*'\|write 'mem/r.wf'\)" err.txt; then
            cmp -s mem/r.wf old && cmp -s mem/n.scp old || fail "memory limit $kb KB: outputs changed"
        elif [ "$status" -ne 127 ] || grep -q "^tus2wf-cli:" err.txt; then
            fail "memory limit $kb KB: exit $status: $(cat err.txt)"
        fi
        [ "$(listing mem)" = "n.scp r.wf " ] || fail "memory limit $kb KB left $(listing mem)"
    done
fi

# A FUSE mount that knows no rename that never replaces.
if [ "$(id -u)" -eq 0 ] && command -v bindfs >/dev/null && [ -e /dev/fuse ]; then
    mkdir -p fuse-under fuse && old_pair fuse-under
    if bindfs fuse-under fuse 2>/dev/null; then
        mounts+=("$work/fuse")
        "$cli" "${inputs[@]}" --worldforge fuse/r.wf --new-tus fuse/n.scp 2>err.txt
        expect_exit 0 $? "outputs on FUSE: $(cat err.txt)"
        new_pair fuse && [ "$(listing fuse)" = "n.scp r.wf " ] || fail "outputs on FUSE: $(ls -A fuse)"
    else
        skip "bindfs could not mount here"
    fi
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "cli hostile: all checks passed"
