#!/usr/bin/env bash
# Builds KV_EDIT and starts it with its sample data folder as the current
# directory, which is where it looks for data files at start.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/tools/setup.sh"
cmake -S "$top" -B "$top/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
ninja -C "$top/build" KV_EDIT sample_folders
data="$top/build/KV_EDIT/data"
echo "Data folder: $data"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display: KV_EDIT shows itself over VNC on localhost:5900."
  export QT_QPA_PLATFORM="vnc:size=1024x768:port=5900"
fi
cd "$data"
exec "$top/build/KV_EDIT/KV_EDIT"
