#!/usr/bin/env bash
# Builds KV_EDIT and starts it with its sample data folder as the current
# directory, where it looks for data files at start. Without a display it is
# shown on a virtual screen served over VNC on the loopback address only.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build"
exe="$build/KV_EDIT/KV_EDIT"

headless=0
[ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ] && headless=1
if ((headless)); then bash "$top/tools/setup.sh" run display; else bash "$top/tools/setup.sh" run; fi

if [ ! -f "$build/CMakeCache.txt" ]; then
  have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
  tests=OFF bench=OFF
  have libgtest-dev && tests=ON
  have libbenchmark-dev && bench=ON
  cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DORVO_TESTS=$tests -DORVO_BENCH=$bench >/dev/null
fi
ninja -C "$build" KV_EDIT sample_folders
data="$build/KV_EDIT/data"
echo "Program folder: $build/KV_EDIT   data folder (current directory): $data"

pids=()
cleanup() {
  local p
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
}
trap cleanup EXIT

if ((headless)); then
  # The first free display and VNC port.
  n=99
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  port=5900
  while (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; do port=$((port + 1)); done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  pids+=($!)
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  export DISPLAY=":$n"
  metacity --replace >/dev/null 2>&1 &
  pids+=($!)
  x11vnc -display ":$n" -localhost -rfbport "$port" -forever -shared -nopw -noxdamage -quiet >/dev/null 2>&1 &
  pids+=($!)
  echo "No display: KV_EDIT shows itself over VNC on 127.0.0.1:$port (loopback only)."
  echo "  View it with a VNC viewer, e.g.: vncviewer 127.0.0.1:$port   (Debian package tigervnc-viewer)"
fi
cd "$data"
# A KV_EDIT that already runs keeps the screen: this start ends at once.
"$exe"
