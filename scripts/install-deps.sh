#!/usr/bin/env bash
# Installs whichever of the build's Debian packages are missing. Needs root (or sudo) only when
# something is actually missing.
set -euo pipefail

packages=(cmake make g++ libgtest-dev qt6-base-dev qt6-qpa-plugins "$@")

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
run_as_root=()
if [ "$(id -u)" -ne 0 ]; then
    run_as_root=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${run_as_root[@]}" apt-get install -y --no-install-recommends "${missing[@]}" ||
    { "${run_as_root[@]}" apt-get update && "${run_as_root[@]}" apt-get install -y --no-install-recommends "${missing[@]}"; }
