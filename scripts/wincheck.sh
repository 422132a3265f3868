#!/usr/bin/env bash
# Cross-builds the Windows programs and test suites with MinGW-w64 and runs them all under Wine:
# the GoogleTest suites, the command-line converter end to end, the window, driven on a virtual
# display, and the installer that windist.sh makes. With --build-only it stops once everything
# is built.
#
# usage: wincheck.sh [BUILD_DIR] [--build-only]
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=$(realpath -m "${1:-build-win}")
toolchain=$PWD/cmake/mingw-w64-x86_64.cmake
jobs=${JOBS:-$(nproc)}
export WINEDEBUG=-all WINEPREFIX="${WINEPREFIX:-$build_dir/wineprefix}" LC_ALL=C.UTF-8

# GoogleTest from Debian's sources (package googletest), built once with the same toolchain.
gtest=$build_dir/googletest
if [ ! -f "$gtest/install/lib/cmake/GTest/GTestConfig.cmake" ]; then
    cmake -S /usr/src/googletest -B "$gtest/build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release -DBUILD_GMOCK=OFF -DCMAKE_INSTALL_PREFIX="$gtest/install"
    cmake --build "$gtest/build" -j "$jobs"
    cmake --install "$gtest/build"
fi

cmake --preset mingw -B "$build_dir" -DGTest_DIR="$gtest/install/lib/cmake/GTest"
cmake --build "$build_dir" -j "$jobs"
[ "${2:-}" = --build-only ] && exit 0

# A Wine prefix of this build's own, made once (about 10 s).
[ -d "$WINEPREFIX" ] || /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1

ctest --preset mingw --test-dir "$build_dir"

runner=$build_dir/tus2wf-cli-wine
cat >"$runner" <<WRAPPER
#!/usr/bin/env bash
export WINEDEBUG=-all WINEPREFIX="$WINEPREFIX" LC_ALL=C.UTF-8
exec /usr/lib/wine/wine64 "$build_dir/cli/tus2wf-cli.exe" "\$@"
WRAPPER
chmod +x "$runner"
TUS2WF_TEXT_MODE_STDOUT=1 bash tests/cli_end_to_end.sh "$runner"

bash tests/win32/window_test.sh "$build_dir/app/tus2wf.exe" "$build_dir/window-test" \
    "$build_dir/screenshot.png" "$build_dir/tests/tus2wf-accessible-names.exe" \
    "$build_dir/tests/tus2wf-layout-check.exe"

bash scripts/windist.sh "$build_dir"
bash tests/win32/msi_test.sh "$build_dir" "$build_dir/msi-test"
