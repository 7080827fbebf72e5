# Shared by the run scripts (sourced): the packages, the build folder's first
# configuration, and a virtual screen over VNC when there is no display.
# Expects top and build; sets headless and pids, ends pids on exit.
# Descriptor 9 is run-orvo.sh's run lock: nothing started here gets it.

headless=0
[ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ] && headless=1
if ((headless)); then bash "$top/tools/setup.sh" run display 9>&-; else bash "$top/tools/setup.sh" run 9>&-; fi

if [ ! -f "$build/CMakeCache.txt" ]; then
  # A fresh folder: the tests and benchmarks only where their packages are
  # there (tools/test-all.sh turns both on).
  have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
  tests=OFF bench=OFF
  have libgtest-dev && tests=ON
  have libbenchmark-dev && bench=ON
  cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DORVO_TESTS=$tests -DORVO_BENCH=$bench >/dev/null 9>&-
fi

# Put before a command: it ends (on SIGTERM) when this script ends, even by
# SIGKILL, when no trap runs. An array, not a function, so that a command
# started in the background is this script's own child and its $! is that.
with_script=(setpriv --pdeathsig TERM)

pids=()
run_cleanup() {
  local p
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
}
trap run_cleanup EXIT

# The build of the named targets, stopped with this script.
run_build() { "${with_script[@]}" ninja -C "$build" "$@" 9>&-; }

# Whether the window manager manages the screen: it names its check window
# on the root window once it does.
wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }

# name: starts the virtual screen when there is no display, and says where
# the program named shows itself. Returns once the window manager manages
# the screen, so that the program's first window gets the focus.
run_virtual_screen() {
  ((headless)) || return 0
  local n=99 port=5900
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  while (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; do port=$((port + 1)); done
  "${with_script[@]}" Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 9>&- &
  pids+=($!)
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  export DISPLAY=":$n"
  # A window manager, so that the windows carry their titles; this one
  # leaves out the title-bar buttons that a form's hints leave out.
  "${with_script[@]}" metacity --replace >/dev/null 2>&1 9>&- &
  pids+=($!)
  "${with_script[@]}" x11vnc -display ":$n" -localhost -rfbport "$port" -forever -shared -nopw -noxdamage -quiet \
    >/dev/null 2>&1 9>&- &
  pids+=($!)
  for _ in $(seq 100); do wm_ready && break; sleep 0.1; done
  wm_ready || echo "run: the window manager did not take the screen; $1 starts without it (no focus until a click)." >&2
  echo "No display: $1 shows itself on the virtual screen :$n (DISPLAY=:$n), over VNC on 127.0.0.1:$port (loopback only)."
  echo "  View it with a VNC viewer, e.g.: vncviewer 127.0.0.1:$port   (Debian package tigervnc-viewer)"
  echo "  From another machine: ssh -L $port:127.0.0.1:$port this-host, then view 127.0.0.1:$port there."
}
