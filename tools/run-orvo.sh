#!/usr/bin/env bash
# Builds ORVO and starts it on its program folder, with the fake exchange
# listening on loopback so that connect, save and load work at once.
# Builds only what running needs: ORVO, its program folder and the fake
# exchange's program. Without a display ORVO is shown on a virtual screen
# served over VNC on the loopback address only.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build"
prog="$build/ORVO"
fake="$build/tests/exchange/fake_exchange_run"

# A second run would take the first one's COM1 link and UDP port: refuse
# before touching anything.
running() {  # path of an executable: the ids of the processes that run it
  local p exe
  for p in /proc/[0-9]*; do
    exe=$(readlink "$p/exe" 2>/dev/null) || continue
    # A binary rebuilt while it runs reads "... (deleted)".
    [ "$exe" = "$1" ] || [ "$exe" = "$1 (deleted)" ] && echo "${p#/proc/}"
  done
  return 0
}
for exe in "$prog/ORVO" "$fake"; do
  pids=$(running "$exe" | tr '\n' ' ')
  if [ -n "$pids" ]; then
    echo "run-orvo: already running from this folder: $exe (process $pids); nothing started." >&2
    exit 1
  fi
done
mkdir -p "$build"
exec 9>"$build/.run-orvo.lock"
if ! flock -n 9; then
  echo "run-orvo: another run-orvo.sh of this folder is starting; nothing started." >&2
  exit 1
fi

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
ninja -C "$build" ORVO sample_folders fake_exchange_run
echo "Program folder: $prog"

pids=()
cleanup() {
  local p
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
}
trap cleanup EXIT

# The sample settings point ORVO at UDP port 11000 on loopback (Ethernet) and
# at COM1, which the fake links to its pseudo-terminal in the program folder.
password=1234
"$fake" --serial --dir "$prog" --com 1 --udp 11000 --password "$password" &
pids+=($!)
sleep 0.3
if ! kill -0 "${pids[0]}" 2>/dev/null; then
  echo "run-orvo: the fake exchange did not start (is UDP port 11000 in use?)." >&2
  exit 1
fi
echo "Fake exchange: UDP 127.0.0.1:11000 and COM1 (a pseudo-terminal). Log-in password: $password"

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
  # A window manager, so that the windows carry their titles; this one
  # leaves out the title-bar buttons that a form's hints leave out.
  metacity --replace >/dev/null 2>&1 &
  pids+=($!)
  x11vnc -display ":$n" -localhost -rfbport "$port" -forever -shared -nopw -noxdamage -quiet >/dev/null 2>&1 &
  pids+=($!)
  echo "No display: ORVO shows itself over VNC on 127.0.0.1:$port (loopback only)."
  echo "  View it with a VNC viewer, e.g.: vncviewer 127.0.0.1:$port   (Debian package tigervnc-viewer)"
  echo "  From another machine: ssh -L $port:127.0.0.1:$port this-host, then view 127.0.0.1:$port there."
fi
"$prog/ORVO"
