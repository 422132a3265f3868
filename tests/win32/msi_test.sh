#!/usr/bin/env bash
# Installs the MSI that windist.sh made under Wine, in a scratch prefix of its own, as an
# administrator would: quietly over a build of a lower version (an upgrade), again over itself,
# over the lower version installed into another folder with ADDTOPATH=1, and into a folder whose
# parents it makes, and uninstalls it each time. Checks the files, the Start-menu shortcut, the
# uninstall entry, the programs started from where they were installed, and that an uninstall
# leaves nothing behind, the folders it made included.
#
# usage: msi_test.sh BUILD_DIR WORK_FOLDER
set -u
cd "$(dirname "$0")/../.." || exit 1

build_dir=$(realpath "${1:?usage: msi_test.sh BUILD_DIR WORK_FOLDER}")
work=$(realpath -m "${2:?}")
version_text=$(cat "$build_dir/version-text")
msi=$build_dir/tus2wf-$version_text-win64.msi
files=$build_dir/dist/tus2wf-$version_text-win64
title='TUS TO WORLDFORGE COMPATIBLE FORMAT'
started=$(date +%s)
. tests/lib/display.sh

rm -rf "$work"
mkdir -p "$work"
# A display of its own from the start: Wine's desktop process, started by the first program,
# serves every window after it.
trap 'kill "$xvfb" 2>/dev/null; "$wineserver" -k 2>/dev/null' EXIT
start_display "$work"
# No menu entries in the user's own desktop, and no offer to install Mono or Gecko.
export WINEPREFIX=$work/prefix WINEDEBUG=-all
export WINEDLLOVERRIDES='winemenubuilder.exe,mscoree,mshtml=d'
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
drive_c=$WINEPREFIX/drive_c
"$wine" wineboot -i >/dev/null 2>&1

windows_path() { local path=${1//\//\\}; echo "Z:$path"; }
msiexec() { "$wine" msiexec "$@" /qn >/dev/null 2>&1; }
# The text a program printed, without Windows' line ends.
run() { "$wine" "$@" 2>/dev/null | tr -d '\r'; }

msi_property() {
    msiinfo export "$1" Property | tr -d '\r' | awk -F '\t' -v name="$2" '$1 == name { print $2 }'
}
# The form in which the installer's own registry keys name a GUID.
packed_guid() {
    local hex=${1//[-\{\}]/}
    echo "$(rev <<<"${hex:0:8}")$(rev <<<"${hex:8:4}")$(rev <<<"${hex:12:4}")$(
        sed 's/\(.\)\(.\)/\2\1/g' <<<"${hex:16}")"
}

uninstall_key='HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall'
environment_key='HKLM\System\CurrentControlSet\Control\Session Manager\Environment'
registry_value() {
    run reg query "$1" /v "$2" |
        awk -v name="$2" '$1 == name { sub(/^ *[^ ]+ +[^ ]+ +/, ""); print }'
}
expect_value() {
    local actual
    actual=$(registry_value "$1" "$2")
    [ "$actual" = "$3" ] || fail "$2 of $1 is '$actual', expected '$3'"
}
# The uninstall entries named tus2wf, one key a line.
entries() {
    run reg query "$uninstall_key" /s |
        awk '/^HKEY/ { key = $0 } $1 == "DisplayName" && $3 == "tus2wf" { print key }'
}
installed_files() { (cd "$1" 2>/dev/null && find . -type f | sort | tr '\n' ' '); }
shortcuts() { find "$drive_c" -name tus2wf.lnk -path '*/Start Menu/Programs/*'; }

# What an uninstall must leave: no folder, no shortcut, no cached icon, and no registry key or
# value that names the product, its codes or its folder.
check_nothing_left() {
    local when=$1 folder=$2 code patterns=(-e tus2wf)
    [ ! -e "$folder" ] || fail "$when: still there: $folder: $(installed_files "$folder")"
    [ -z "$(shortcuts)" ] || fail "$when: shortcut left: $(shortcuts)"
    [ -z "$(entries)" ] || fail "$when: uninstall entry left: $(entries)"
    [ -z "$(ls "$drive_c/windows/Installer")" ] ||
        fail "$when: left in the installer's cache: $(ls "$drive_c/windows/Installer")"
    # The registry reaches its files when Wine's server has ended.
    "$wineserver" -w
    for code in "$product_code" "$older_code" "$upgrade_code"; do
        patterns+=(-e "${code//[\{\}]/}" -e "$(packed_guid "$code")")
    done
    if grep -i -n -F "${patterns[@]}" "$WINEPREFIX"/*.reg >"$work/registry-left"; then
        fail "$when: left in the registry: $(cat "$work/registry-left")"
    fi
}

# The window, started through the Start-menu shortcut on a display of its own, must come from
# the installed program.
check_window_from_shortcut() {
    local window pid
    "$wine" start /unix "$1" >/dev/null 2>&1
    if wait_for eval 'window=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null |
            head -n 1); [ -n "$window" ]'; then
        pid=$(xdotool getwindowpid "$window")
        tr '\0' ' ' <"/proc/$pid/cmdline" | grep -q -F 'C:\Program Files\tus2wf\tus2wf.exe' ||
            fail "the window came from $(tr '\0' ' ' <"/proc/$pid/cmdline")"
        xdotool windowfocus --sync "$window" key alt+q
        wait_for eval '! kill -0 "$pid" 2>/dev/null' || fail "the window did not end"
    else
        fail "the shortcut started no window"
    fi
}

# A build one major version lower, from the same files.
version=$(msi_property "$msi" ProductVersion)
older_version="$((${version%%.*} - 1)).0.0.0"
bash scripts/make-msi.sh "$files" "$older_version" "$work/older.msi"
product_code=$(msi_property "$msi" ProductCode)
older_code=$(msi_property "$work/older.msi" ProductCode)
upgrade_code=$(msi_property "$msi" UpgradeCode)
entry="$uninstall_key\\$product_code"
program_files="$drive_c/Program Files/tus2wf"
path_before=$(registry_value "$environment_key" PATH)

# For every user of the machine, into the 64-bit Program Files. (Wine puts the shortcut into the
# installing user's Start menu even so.)
[ "$(msi_property "$msi" ALLUSERS)" = 1 ] || fail "not installed for all users"
msiinfo suminfo "$msi" | grep -q -x 'Template: x64;1033' || fail "not a 64-bit package"

# --- The lower version, then this one over it.
msiexec /i "$(windows_path "$work/older.msi")" || fail "installing $older_version failed"
[ "$(entries)" = "$uninstall_key\\$older_code" ] ||
    fail "after installing $older_version: entries $(entries)"
msiexec /i "$(windows_path "$msi")" || fail "upgrading to $version failed"
[ "$(entries)" = "$entry" ] || fail "after the upgrade: entries $(entries), expected only $entry"

# --- What it installed.
[ "$(installed_files "$program_files")" = "$(installed_files "$files")" ] ||
    fail "installed $(installed_files "$program_files"), expected $(installed_files "$files")"
for file in $(cd "$files" && find . -type f); do
    cmp -s "$files/$file" "$program_files/$file" || fail "installed $file differs"
done
expect_value "$entry" DisplayName tus2wf
expect_value "$entry" DisplayVersion "$version"
expect_value "$entry" Publisher "The tus2wf developers"
expect_value "$entry" InstallLocation 'C:\Program Files\tus2wf\'
expect_value "$entry" Size $((($(find "$files" -type f -exec cat {} + | wc -c) + 1023) / 1024))
[ "$(msi_property "$msi" ARPPRODUCTICON)" = tus2wf.ico ] || fail "no icon for the entry"
# The entry points to no address: the project has no home page of its own to name.
expect_value "$entry" URLInfoAbout ''
[ -z "$(msi_property "$msi" ARPURLINFOABOUT)" ] || fail "the entry names a home page"
icon="$drive_c/windows/Installer/$product_code/tus2wf.ico"
cmp -s "$icon" app/tus2wf.ico || fail "the product's icon is not the program's"
shortcut=$(shortcuts)
if [ "$(wc -l <<<"$shortcut")" = 1 ] && [ -n "$shortcut" ]; then
    [ "$(basename "$(dirname "$shortcut")")" = Programs ] ||
        fail "shortcut in a folder of its own: $shortcut"
    strings -e l "$shortcut" | grep -q -F "C:\\windows\\Installer\\$product_code\\tus2wf.ico" ||
        fail "the shortcut shows another icon"
    check_window_from_shortcut "$shortcut"
else
    fail "shortcuts: ${shortcut:-none}"
fi
[ "$(run 'C:\Program Files\tus2wf\tus2wf-cli.exe' --version)" = "tus2wf-cli $version_text" ] ||
    fail "installed tus2wf-cli --version: $(run 'C:\Program Files\tus2wf\tus2wf-cli.exe' --version)"
expect_value "$environment_key" PATH "$path_before"

# --- The same version again adds no second entry, and the entry's own command removes it.
msiexec /i "$(windows_path "$msi")" || fail "installing $version again failed"
[ "$(entries)" = "$entry" ] || fail "after installing $version again: entries $(entries)"
expect_value "$entry" UninstallString "MsiExec.exe /X$product_code"
msiexec /x "$product_code" || fail "uninstalling failed"
check_nothing_left "after uninstalling" "$program_files"

# --- Another folder, on the system PATH, chosen for the lower version and kept by the upgrade.
other='C:\Tools\tus 2wf\'
msiexec /i "$(windows_path "$work/older.msi")" INSTALLDIR="$other" ADDTOPATH=1 ||
    fail "installing $older_version into $other failed"
expect_value "$environment_key" PATH "$path_before;$other"
[ "$(cd "$work" && run cmd /c tus2wf-cli --version)" = "tus2wf-cli $version_text" ] ||
    fail "tus2wf-cli from the PATH: $(cd "$work" && run cmd /c tus2wf-cli --version)"
msiexec /i "$(windows_path "$msi")" || fail "upgrading in $other failed"
[ "$(entries)" = "$entry" ] || fail "after the upgrade in $other: entries $(entries)"
[ "$(installed_files "$drive_c/Tools/tus 2wf")" = "$(installed_files "$files")" ] ||
    fail "installed into $other: $(installed_files "$drive_c/Tools/tus 2wf")"
[ ! -e "$program_files" ] || fail "the upgrade went into Program Files"
# Wine's uninstall, the one inside an upgrade too, leaves the separator of the entry it removes.
path_entries() { registry_value "$environment_key" PATH | tr -s ';' | sed 's/;$//'; }
[ "$(path_entries)" = "$path_before;$other" ] || fail "PATH after the upgrade: $(path_entries)"
msiexec /x "$product_code" || fail "uninstalling from $other failed"
[ "$(path_entries)" = "$path_before" ] || fail "PATH after uninstalling: $(path_entries)"
# C:\Tools was made by the first install; the upgrade's uninstall of it made it again.
check_nothing_left "after uninstalling from $other" "$drive_c/Tools"

# --- A folder with two new parents, inside one that was there before and is empty: the uninstall
# removes the parents it made and keeps that one.
mkdir -p "$drive_c/Tools"
nested='C:\Tools\Prögramme Neu\Werkzeug\tus2wf\'
nested_unix="$drive_c/Tools/Prögramme Neu/Werkzeug/tus2wf"
msiexec /i "$(windows_path "$msi")" INSTALLDIR="$nested" || fail "installing into $nested failed"
[ "$(installed_files "$nested_unix")" = "$(installed_files "$files")" ] ||
    fail "installed into $nested: $(installed_files "$nested_unix")"
msiexec /x "$product_code" || fail "uninstalling from $nested failed"
check_nothing_left "after uninstalling from $nested" "$drive_c/Tools/Prögramme Neu"
[ "$(find "$drive_c/Tools" 2>&1)" = "$drive_c/Tools" ] ||
    fail "after uninstalling from $nested: C:\\Tools: $(find "$drive_c/Tools" 2>&1)"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "installer under Wine: all checks passed in $(($(date +%s) - started)) s"
