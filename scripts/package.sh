#!/usr/bin/env bash
# Builds the Debian package and the tarball with Debian's build flags, checks the .deb with
# lintian (no errors allowed) and runs the CLI from the unpacked .deb.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-build-package}
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
# The preset sets them as cache variables on every configure, so that they hold on every re-run.
TUS2WF_DEB_CXXFLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    TUS2WF_DEB_LDFLAGS="$(dpkg-buildflags --get LDFLAGS)" cmake --preset package -B "$build_dir"
cmake --build "$build_dir" -j "$(nproc)"
rm -f "$build_dir"/tus2wf*.deb "$build_dir"/tus2wf*.tar.gz
(cd "$build_dir" && cpack -G "DEB;TGZ")
deb=$(ls "$build_dir"/tus2wf_*.deb)
lintian --fail-on error --info "$deb"

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
"$unpacked/usr/bin/tus2wf-cli" --version
echo
echo "Packages: $deb $(ls "$build_dir"/tus2wf-*.tar.gz)"
