#!/usr/bin/env bash
# Builds ORVO_ADMIN and starts it on its program folder, which holds the
# modem list and the help files that its data-set copy takes by default.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/tools/setup.sh"
cmake -S "$top" -B "$top/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
ninja -C "$top/build" ORVO_ADMIN sample_folders
prog="$top/build/ORVO_ADMIN"
echo "Program folder: $prog"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display: ORVO_ADMIN shows itself over VNC on localhost:5900."
  export QT_QPA_PLATFORM="vnc:size=1024x768:port=5900"
fi
exec "$prog/ORVO_ADMIN"
