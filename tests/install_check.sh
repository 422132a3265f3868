#!/usr/bin/env bash
# Installs the build into a scratch folder and checks what arrived: the whole listing, the desktop
# entry and the AppStream metadata through their validators, the man pages through man, the size
# of every icon, the shell completion and the installed CLI.
set -u

build=${1:?usage: install_check.sh BUILD_DIR WITH_WINDOW}
with_window=${2:?usage: install_check.sh BUILD_DIR WITH_WINDOW}
for tool in desktop-file-validate appstreamcli man; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null || fail "cmake --install"
usr=$root/usr
app_id=org.tus2wf.tus2wf
sizes="16 24 32 48 64 128 256"

expected=(
    bin/tus2wf-cli
    share/bash-completion/completions/tus2wf-cli
    share/doc/tus2wf/CHANGELOG.md share/doc/tus2wf/LICENSE share/doc/tus2wf/README.md
    share/doc/tus2wf/docs/benchmark.md share/doc/tus2wf/docs/building.md
    share/doc/tus2wf/docs/file-safety.md share/doc/tus2wf/docs/window.md
    share/doc/tus2wf/docs/window.png share/doc/tus2wf/docs/windows.md
    share/doc/tus2wf/changelog.gz share/doc/tus2wf/copyright
    share/man/man1/tus2wf-cli.1.gz
)
if [ "$with_window" = 1 ]; then
    expected+=(bin/tus2wf share/applications/$app_id.desktop share/metainfo/$app_id.metainfo.xml
        share/man/man1/tus2wf.1.gz share/icons/hicolor/scalable/apps/tus2wf.svg)
    for size in $sizes; do expected+=("share/icons/hicolor/${size}x$size/apps/tus2wf.png"); done
fi
diff <(printf '%s\n' "${expected[@]}" | sort) <(cd "$usr" && find . -type f | cut -c3- | sort) ||
    fail "installed files differ from the list (< expected, > installed)"

# Every man page renders without a warning from the formatter.
for page in "$usr"/share/man/man1/*.1.gz; do
    name=$(basename "$page" .1.gz)
    text=$(MANWIDTH=80 LC_ALL=C.UTF-8 man --warnings -l "$page" 2>"$root/man.err")
    [ -s "$root/man.err" ] && fail "$name.1 warns: $(cat "$root/man.err")"
    grep -q "^NAME" <<<"$text" && grep -Eq "^ *$name +- " <<<"$text" || fail "$name.1 renders no NAME"
done

"$usr/bin/tus2wf-cli" --version >"$root/version" || fail "installed CLI does not run"
[ "$(cat "$root/version")" = "tus2wf-cli 1.01" ] || fail "installed CLI version: $(cat "$root/version")"

# Completion: options after a dash, files after an option that names one.
completion=/usr/share/bash-completion/bash_completion
if [ -f "$completion" ]; then
    complete_line() {
        bash -c 'source "$1"; source "$2"; cd "$3"; shift 3
                 COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"
                 COMP_POINT=${#COMP_LINE}; _tus2wf_cli; printf "%s\n" "${COMPREPLY[@]}" | sort' \
            _ "$completion" "$usr/share/bash-completion/completions/tus2wf-cli" "$root" "$@"
    }
    [ "$(complete_line tus2wf-cli --u)" = "--unmatched" ] || fail "completion of --u"
    [ "$(complete_line tus2wf-cli --tus u)" = "usr" ] || fail "completion after --tus"
else
    fail "bash-completion is not installed"
fi

if [ "$with_window" = 1 ]; then
    desktop-file-validate "$usr/share/applications/$app_id.desktop" || fail "desktop entry"
    appstreamcli validate --no-net "$usr/share/metainfo/$app_id.metainfo.xml" >"$root/as.out" ||
        fail "AppStream metadata: $(cat "$root/as.out")"
    # A PNG's width and height stand as 32-bit numbers from byte 16 on.
    for size in $sizes; do
        icon=$usr/share/icons/hicolor/${size}x$size/apps/tus2wf.png
        [ "$(od -An -tu1 -j16 -N8 "$icon" | tr -s ' ')" = \
            " 0 0 $((size >> 8)) $((size & 255)) 0 0 $((size >> 8)) $((size & 255))" ] ||
            fail "icon $size is not ${size}x$size"
    done
    grep -q '<svg .*viewBox="0 0 32 32"' "$usr/share/icons/hicolor/scalable/apps/tus2wf.svg" ||
        fail "scalable icon"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "install check: all checks passed"
