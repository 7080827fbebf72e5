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

# ORVO runs once per user: a second one ends at once, silently. Say which
# ORVO holds the lock, before anything is installed, built or started.
# The lock as the program names it: the main window's class in the runtime
# folder, else in the temporary folder with the user id.
orvo_lock() {
  if [ -n "${XDG_RUNTIME_DIR:-}" ] && [ -d "$XDG_RUNTIME_DIR" ]; then
    echo "${XDG_RUNTIME_DIR%/}/TMain_Frm.lock"
  else
    local t=${TMPDIR:-/tmp}
    echo "${t%/}/TMain_Frm-$(id -u).lock"
  fi
}
lock_holder() {  # path: the id of the process holding a flock on it, if any
  local dev ino id
  read -r dev ino < <(stat -L -c '%d %i' "$1" 2>/dev/null) || return 0
  # /proc/locks names the file as major:minor:inode, the numbers in hex.
  id=$(printf '%02x:%02x:%d' $(((dev >> 8) & 0xfff | ((dev >> 32) & ~0xfff))) \
         $(((dev & 0xff) | ((dev >> 12) & ~0xff))) "$ino")
  awk -v id="$id" '$2 == "FLOCK" && $6 == id { print $5; exit }' /proc/locks
}
lock=$(orvo_lock)
holder=$(lock_holder "$lock")
if [ -n "$holder" ]; then
  folder=unknown
  exe=$(readlink "/proc/$holder/exe" 2>/dev/null || true)
  [ -n "$exe" ] && folder=$(dirname "${exe% (deleted)}")/
  echo "run-orvo: ORVO already runs for this user (process $holder, folder $folder); ORVO runs once per user, so nothing was started." >&2
  exit 1
fi

# A second run would take the first one's COM1 link and UDP port: refuse
# before touching anything. The run lock is held by this script and the
# fake exchange it starts, no other process, and names them, so nothing has
# to look through every process for them.
mkdir -p "$build"
runlock="$build/.run-orvo.lock"
exec 9>>"$runlock"
if ! flock -n 9; then
  read -r -a held <"$runlock" || true
  echo "run-orvo: already running from this folder (run-orvo.sh and its fake exchange, process ${held[*]:-unknown}); nothing started." >&2
  exit 1
fi
echo $$ >"$runlock"

# The fake exchange serves COM1 as a link at ports/com1, made at its start
# and removed at its end. A ports/com1 this command did not make is the
# dealer's way to a port (a real one, or a pseudo-terminal that may well
# have the number an earlier fake had): it is never touched. So the run
# records the very link it made, by its file's identity and time with its
# target, and drops the record when the run ends or the link is gone.
com1="$prog/ports/com1"
made="$build/.run-orvo.com1"
link_id() { echo "$(stat -c '%d %i %.9Y' -- "$1" 2>/dev/null) $(readlink -- "$1" 2>/dev/null)"; }
if [ -e "$com1" ] || [ -L "$com1" ]; then
  if [ "$(link_id "$com1")" != "$(cat "$made" 2>/dev/null)" ]; then
    echo "run-orvo: $com1 was not made by run-orvo.sh (a link to a real port?) and is left as it is; nothing started: start $prog/ORVO itself to use it, or move it away to try ORVO with the fake exchange." >&2
    exit 1
  fi
  rm -f "$com1"  # this command's own, left by a run that was killed with its fake
fi
rm -f "$made"
# At the end the link goes with the run: the fake removes it, and what a
# fake that was killed left is removed here while it is still the same.
forget_com1() {
  [ -f "$made" ] || return 0
  [ "$(link_id "$com1")" = "$(cat "$made")" ] && rm -f "$com1"
  rm -f "$made"
}

source "$top/tools/run-common.sh"
trap 'run_cleanup; forget_com1' EXIT
run_build ORVO sample_folders fake_exchange_run
echo "Program folder: $prog"

# The sample settings point ORVO at UDP port 11000 on loopback (Ethernet) and
# at COM1, which the fake links to its pseudo-terminal in the program folder.
# The fake holds the run lock with this script, and ends with it.
password=1234
"${with_script[@]}" "$fake" --serial --dir "$prog" --com 1 --udp 11000 --password "$password" &
pids+=($!)
echo "$$ ${pids[0]}" >"$runlock"
for _ in $(seq 50); do
  [ -L "$com1" ] || ! kill -0 "${pids[0]}" 2>/dev/null && break
  sleep 0.1
done
if ! kill -0 "${pids[0]}" 2>/dev/null; then
  echo "run-orvo: the fake exchange did not start (is UDP port 11000 in use?)." >&2
  exit 1
fi
[ -L "$com1" ] && link_id "$com1" >"$made"
echo "Fake exchange: UDP 127.0.0.1:11000 and COM1 (a pseudo-terminal). Log-in password: $password"

run_virtual_screen ORVO
# ORVO keeps its own lock; the run lock is not left to what it may start.
"${with_script[@]}" "$prog/ORVO" 9>&-
