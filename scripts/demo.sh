#!/usr/bin/env bash
# Converts the sample files in examples/ with the command-line converter.
set -euo pipefail
build_dir=${1:-build}
out_dir="$build_dir/demo"
mkdir -p "$out_dir"
"$build_dir/cli/tus2wf-cli" --tus examples/world.scp --id-list examples/idlist.txt \
    --worldforge "$out_dir/world.wf" --new-tus "$out_dir/world-new.scp"
echo
echo "Record file:      $out_dir/world.wf"
echo "New world script: $out_dir/world-new.scp"
