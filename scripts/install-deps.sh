#!/usr/bin/env bash
# Installs whichever of the build's Debian packages are missing. Needs root (or sudo) only when
# something is actually missing. With TUS2WF_INSTALL_DEPS=0 it only names what is missing.
set -euo pipefail

# The build, the tools the install check runs over what it installs, and those the hostile
# end-to-end test works with (a second user, locks, attributes and access control lists).
packages=(cmake make g++ libgtest-dev qt6-base-dev qt6-qpa-plugins
    desktop-file-utils appstream man-db bash-completion util-linux attr acl "$@")

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0
if [ "${TUS2WF_INSTALL_DEPS:-1}" = 0 ]; then
    echo "Not installing (TUS2WF_INSTALL_DEPS=0): ${missing[*]}"
    exit 0
fi

echo "Installing: ${missing[*]}"
run_as_root=()
if [ "$(id -u)" -ne 0 ]; then
    run_as_root=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${run_as_root[@]}" apt-get install -y --no-install-recommends "${missing[@]}" ||
    { "${run_as_root[@]}" apt-get update && "${run_as_root[@]}" apt-get install -y --no-install-recommends "${missing[@]}"; }
