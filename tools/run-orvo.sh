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

# The sample settings point ORVO at UDP port 11000 on loopback (Ethernet) and
# at COM1, which the fake links to its pseudo-terminal in the program folder.
password=1234
"$top/build/tests/exchange/fake_exchange_run" --serial --dir "$prog" --com 1 \
  --udp 11000 --password "$password" &
fake_pid=$!
echo "Fake exchange: UDP 127.0.0.1:11000 and COM1 (a pseudo-terminal). Log-in password: $password"
trap '[ -n "$fake_pid" ] && kill "$fake_pid" 2>/dev/null || true' EXIT

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display: ORVO shows itself over VNC on localhost:5900."
  export QT_QPA_PLATFORM="vnc:size=1024x768:port=5900"
fi
"$prog/ORVO"
