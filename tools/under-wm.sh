#!/usr/bin/env bash
# Runs a command on a virtual screen of its own (Xvfb, 1280x1024) under a
# real window manager (metacity), which frames the windows and places
# transient dialogs itself: the form tests of window placement run there as
# the dealer's desktop would show them.
#   under-wm.sh command [arguments...]
# Sets DISPLAY, QT_QPA_PLATFORM=xcb and ORVO_UNDER_WM=1 for the command; fails
# (never skips) when the screen or the window manager cannot be had.
set -euo pipefail
for tool in Xvfb metacity xprop; do
  command -v "$tool" >/dev/null || { echo "under-wm: $tool is not installed (tools/setup.sh installs it)" >&2; exit 1; }
done
tmp=$(mktemp -d)
pids=()
cleanup() {
  local p
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
  rm -rf "$tmp"
}
trap cleanup EXIT

# The server picks a free display number and writes it to the descriptor.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$tmp/display" >"$tmp/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.1; done
[ -s "$tmp/display" ] || { echo "under-wm: Xvfb did not start" >&2; cat "$tmp/xvfb.log" >&2; exit 1; }
export DISPLAY=":$(head -1 "$tmp/display")"

metacity --replace --sm-disable >"$tmp/wm.log" 2>&1 &
pids+=($!)
# Managing once it announces itself on the root window.
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.1
done
xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' ||
  { echo "under-wm: the window manager did not start" >&2; cat "$tmp/wm.log" >&2; exit 1; }

export QT_QPA_PLATFORM=xcb ORVO_UNDER_WM=1
"$@"
