#!/usr/bin/env bash
# Cross-builds the Windows command-line converter with MinGW-w64 and runs the end-to-end checks
# on it under Wine.
set -euo pipefail
build_dir=${1:-build-win}
cmake -S . -B "$build_dir" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DTUS2WF_BUILD_UI=OFF -DTUS2WF_BUILD_TESTS=OFF -DTUS2WF_WERROR=ON
cmake --build "$build_dir" -j "$(nproc)" --target tus2wf-cli
runner="$(cd "$build_dir" && pwd)/tus2wf-cli-wine"
cat >"$runner" <<WRAPPER
#!/usr/bin/env bash
export WINEDEBUG=-all WINEPREFIX="\${WINEPREFIX:-$(cd "$build_dir" && pwd)/wineprefix}"
exec /usr/lib/wine/wine64 "$(cd "$build_dir" && pwd)/cli/tus2wf-cli.exe" "\$@"
WRAPPER
chmod +x "$runner"
"$runner" --version >/dev/null 2>&1 || true  # lets Wine set up its prefix first
TUS2WF_TEXT_MODE_STDOUT=1 bash tests/cli_end_to_end.sh "$runner"
