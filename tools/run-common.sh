# Shared by the run scripts (sourced): the packages, the build folder's first
# configuration, and a virtual screen over VNC when there is no display.
# Expects top and build; sets headless and pids, kills pids on exit.

headless=0
[ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ] && headless=1
if ((headless)); then bash "$top/tools/setup.sh" run display; else bash "$top/tools/setup.sh" run; fi

if [ ! -f "$build/CMakeCache.txt" ]; then
  # A fresh folder: the tests and benchmarks only where their packages are
  # there (tools/test-all.sh turns both on).
  have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
  tests=OFF bench=OFF
  have libgtest-dev && tests=ON
  have libbenchmark-dev && bench=ON
  cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DORVO_TESTS=$tests -DORVO_BENCH=$bench >/dev/null
fi

pids=()
run_cleanup() {
  local p
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
}
trap run_cleanup EXIT

# name: starts the virtual screen when there is no display, and says where
# the program named shows itself.
run_virtual_screen() {
  ((headless)) || return 0
  local n=99 port=5900
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  while (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; do port=$((port + 1)); done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  pids+=($!)
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  export DISPLAY=":$n"
  # A window manager, so that the windows carry their titles; this one
  # leaves out the title-bar buttons that a form's hints leave out.
  metacity --replace >/dev/null 2>&1 &
  pids+=($!)
  x11vnc -display ":$n" -localhost -rfbport "$port" -forever -shared -nopw -noxdamage -quiet >/dev/null 2>&1 &
  pids+=($!)
  echo "No display: $1 shows itself over VNC on 127.0.0.1:$port (loopback only)."
  echo "  View it with a VNC viewer, e.g.: vncviewer 127.0.0.1:$port   (Debian package tigervnc-viewer)"
  echo "  From another machine: ssh -L $port:127.0.0.1:$port this-host, then view 127.0.0.1:$port there."
}
