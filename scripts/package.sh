#!/usr/bin/env bash
# Builds the Debian package and the tarball with Debian's build flags, checks the .deb with
# lintian (no errors allowed) and runs the CLI from the unpacked .deb.
set -euo pipefail
build_dir=${1:-build-package}
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
# Given on the command line, not through the environment, so that they hold on every re-run.
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DTUS2WF_WERROR=ON \
    -DTUS2WF_BUILD_TESTS=OFF -DCMAKE_INSTALL_PREFIX=/usr \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)"
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
