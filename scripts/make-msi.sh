#!/usr/bin/env bash
# Builds the Windows installer from packaging/tus2wf.wxs with wixl: the files of the zip
# (FILES_DIR), the icon, and VERSION (numeric, as in the project's version) as the product version.
#
# usage: make-msi.sh FILES_DIR VERSION OUTPUT_MSI
set -euo pipefail
cd "$(dirname "$0")/.."
files_dir=$(realpath "${1:?usage: make-msi.sh FILES_DIR VERSION OUTPUT_MSI}")
version=${2:?}
output=$(realpath -m "${3:?}")

# Windows Installer compares only the first three numbers of a version, so the product code
# comes from those: a GUID made from their SHA-1 hash, the same for every build of a version.
hash=$(printf 'tus2wf %s' "$(echo "$version" | cut -d. -f1-3)" | sha1sum | tr a-f A-F)
variant=$(printf '%X' $(((0x${hash:16:1} & 3) | 8)))
product_code=${hash:0:8}-${hash:8:4}-5${hash:13:3}-$variant${hash:17:3}-${hash:20:12}

size_kb=$(find "$files_dir" -maxdepth 1 -type f -printf '%s\n' |
    awk '{ bytes += $1 } END { print int((bytes + 1023) / 1024) }')

# wixl finds the sources in the folder it runs in.
work=$output.files
rm -rf "$work"
mkdir -p "$work"
cp "$files_dir"/* app/tus2wf.ico "$work/"
(cd "$work" && wixl --arch x64 -D Version="$version" -D ProductCode="$product_code" \
    -D SizeKb="$size_kb" -o "$output" "$OLDPWD/packaging/tus2wf.wxs")
rm -rf "$work"

# What wixl cannot say goes straight into the tables: the optional PATH entry and the condition
# on it.
msibuild "$output" -i packaging/Environment.idt \
    -q "UPDATE Component SET Condition = 'ADDTOPATH = 1' WHERE Component = 'SystemPath'" \
    -q "INSERT INTO InstallExecuteSequence (Action, Sequence) VALUES ('RemoveEnvironmentStrings', 3300)" \
    -q "INSERT INTO InstallExecuteSequence (Action, Sequence) VALUES ('WriteEnvironmentStrings', 5200)"
