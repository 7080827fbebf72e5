#!/usr/bin/env bash
# Builds ORVO and starts it on its program folder, with the fake exchange
# listening on loopback so that connect, save and load work at once.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/tools/setup.sh"
cmake -S "$top" -B "$top/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
ninja -C "$top/build"
prog="$top/build/ORVO"
echo "Program folder: $prog"

fake_pid=""
if [ -x "$top/build/tests/exchange/fake_exchange_run" ]; then
  "$top/build/tests/exchange/fake_exchange_run" --program-dir "$prog" --udp 53000 --password 1234 &
  fake_pid=$!
  echo "Fake exchange on 127.0.0.1 (UDP 53000). Log-in password: 1234"
fi
trap '[ -n "$fake_pid" ] && kill "$fake_pid" 2>/dev/null || true' EXIT

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display: ORVO shows itself over VNC on localhost:5900."
  export QT_QPA_PLATFORM="vnc:size=1024x768:port=5900"
fi
"$prog/ORVO"
