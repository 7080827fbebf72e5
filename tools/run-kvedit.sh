#!/usr/bin/env bash
# Builds KV_EDIT and starts it with its sample data folder as the current
# directory, where it looks for data files at start. Without a display it is
# shown on a virtual screen served over VNC on the loopback address only.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build"
exe="$build/KV_EDIT/KV_EDIT"

source "$top/tools/run-common.sh"
run_build KV_EDIT sample_folders
data="$build/KV_EDIT/data"
echo "Program folder: $build/KV_EDIT   data folder (current directory): $data"

run_virtual_screen KV_EDIT
cd "$data"
# A KV_EDIT that already runs keeps the screen: this start ends at once.
"${with_script[@]}" "$exe"
