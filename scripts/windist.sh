#!/usr/bin/env bash
# Writes BUILD_DIR/tus2wf-VERSION-win64.zip, both Windows programs, the README with the pages it
# links to and the licence,
# and BUILD_DIR/tus2wf-VERSION-win64.msi, the installer of the same files, from a build made by
# wincheck.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=$(realpath -m "${1:-build-win}")
version=$(cat "$build_dir/version-text")
name=tus2wf-$version-win64
staging=$build_dir/dist/$name
rm -rf "$build_dir/dist"
mkdir -p "$staging"
cp "$build_dir/app/tus2wf.exe" "$build_dir/cli/tus2wf-cli.exe" README.md "$staging/"
cp -r docs "$staging/"
# Without their symbols the programs are a fraction of the size.
x86_64-w64-mingw32-strip "$staging/tus2wf.exe" "$staging/tus2wf-cli.exe"
for licence in LICENSE LICENSE.txt COPYING; do
    [ -f "$licence" ] && cp "$licence" "$staging/"
done
rm -f "$build_dir/$name.zip"
(cd "$build_dir/dist" && cmake -E tar cf "$build_dir/$name.zip" --format=zip "$name")
echo "wrote $build_dir/$name.zip"

# The installer's version is the project's own, in numbers, as CMake read it.
numeric_version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build_dir/CMakeCache.txt")
bash scripts/make-msi.sh "$staging" "$numeric_version" "$build_dir/$name.msi"
echo "wrote $build_dir/$name.msi"
