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

# A GUID made from the SHA-1 hash of a text, the same every time.
guid_of() {
    local hash variant
    hash=$(printf '%s' "$1" | sha1sum | tr a-f A-F)
    variant=$(printf '%X' $(((0x${hash:16:1} & 3) | 8)))
    echo "${hash:0:8}-${hash:8:4}-5${hash:13:3}-$variant${hash:17:3}-${hash:20:12}"
}
# Windows Installer compares only the first three numbers of a version, so the product code
# comes from those, the same for every build of a version.
product_code=$(guid_of "tus2wf $(echo "$version" | cut -d. -f1-3)")

size_kb=$(find "$files_dir" -type f -printf '%s\n' |
    awk '{ bytes += $1 } END { print int((bytes + 1023) / 1024) }')

# wixl finds the sources in the folder it runs in.
work=$output.files
rm -rf "$work"
mkdir -p "$work"
cp -r "$files_dir"/* app/tus2wf.ico "$work/"
(cd "$work" && wixl --arch x64 -D Version="$version" -D ProductCode="$product_code" \
    -D SizeKb="$size_kb" -o "$output" "$OLDPWD/packaging/tus2wf.wxs")
rm -rf "$work"

# The folders above the chosen one that the install makes, up to parent_levels of them, are
# removed again by the uninstall (when empty). PARENTn, the folder n levels above INSTALLDIR, is set
# from it before the folders are resolved, and lies inside PARENTn+1, so that the inner ones go
# first. PARENTnFOUND, searched for before anything is made, says it was there already; only if
# not is the component of PARENTn installed, which notes in the registry that the folder was made
# (read back by later runs as PARENTnMADE: an upgrade removes the older version, and with it the
# folder, before it makes it again) and removes it on uninstall.
parent_levels=4
parents=()
up='\..'
for ((level = 1; level <= parent_levels; level++)); do
    folder=PARENT$level
    made=MadeParent$level
    outer=$([ "$level" = "$parent_levels" ] && echo TARGETDIR || echo "PARENT$((level + 1))")
    parents+=(
        -q "INSERT INTO Directory (Directory, Directory_Parent, DefaultDir) VALUES ('$folder', '$outer', '.')"
        -q "INSERT INTO CustomAction (Action, Type, Source, Target) VALUES ('Set$folder', 51, '$folder', '[INSTALLDIR]$up\\')"
        -q "INSERT INTO InstallExecuteSequence (Action, Condition, Sequence) VALUES ('Set$folder', 'INSTALLDIR', $((950 + level)))"
        -q "INSERT INTO AppSearch (Property, Signature_) VALUES ('${folder}FOUND', 'Find$folder')"
        -q "INSERT INTO DrLocator (Signature_, Path, Depth) VALUES ('Find$folder', '[INSTALLDIR]$up', 0)"
        -q "INSERT INTO AppSearch (Property, Signature_) VALUES ('${folder}MADE', 'Remembered$made')"
        -q "INSERT INTO RegLocator (Signature_, Root, \`Key\`, Name, Type) VALUES ('Remembered$made', 2, 'Software\\tus2wf', '$made', 18)"
        -q "INSERT INTO Component (Component, ComponentId, Directory_, Attributes, Condition, KeyPath) VALUES ('$made', '{$(guid_of "tus2wf $made")}', '$folder', 260, '${folder}MADE OR NOT ${folder}FOUND', '$made')"
        -q "INSERT INTO Registry (Registry, Root, \`Key\`, Name, Value, Component_) VALUES ('$made', 2, 'Software\\tus2wf', '$made', '1', '$made')"
        -q "INSERT INTO CreateFolder (Directory_, Component_) VALUES ('$folder', '$made')"
        -q "INSERT INTO FeatureComponents (Feature_, Component_) VALUES ('Complete', '$made')"
    )
    up='\..'$up
done

# What wixl cannot say goes straight into the tables: the optional PATH entry and the condition
# on it, and the folders above the chosen one.
msibuild "$output" -i packaging/Environment.idt \
    -q "UPDATE Component SET Condition = 'ADDTOPATH = 1' WHERE Component = 'SystemPath'" \
    -q "INSERT INTO InstallExecuteSequence (Action, Sequence) VALUES ('RemoveEnvironmentStrings', 3300)" \
    -q "INSERT INTO InstallExecuteSequence (Action, Sequence) VALUES ('WriteEnvironmentStrings', 5200)" \
    -q "CREATE TABLE DrLocator (Signature_ CHAR(72) NOT NULL, Parent CHAR(72), Path CHAR(255), Depth SHORT PRIMARY KEY Signature_, Parent, Path)" \
    -q "INSERT INTO InstallExecuteSequence (Action, Sequence) VALUES ('RemoveFolders', 3600)" \
    -q "INSERT INTO InstallExecuteSequence (Action, Sequence) VALUES ('CreateFolders', 3700)" \
    "${parents[@]}"
