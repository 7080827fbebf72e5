#!/usr/bin/env bash
# Builds ORVO_ADMIN and starts it on its program folder, which holds the
# modem list and the help files that its data-set copy takes by default.
# Builds only what running needs. Without a display ORVO_ADMIN is shown on a
# virtual screen served over VNC on the loopback address only.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build"
prog="$build/ORVO_ADMIN"

source "$top/tools/run-common.sh"
run_build ORVO_ADMIN sample_folders
echo "Program folder: $prog"

run_virtual_screen ORVO_ADMIN
# A second ORVO_ADMIN ends at once, without a window, while one runs.
"${with_script[@]}" "$prog/ORVO_ADMIN"
