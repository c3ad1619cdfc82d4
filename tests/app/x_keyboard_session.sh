#!/usr/bin/env bash
# Runs under xvfb-run: starts the program, waits for its window to map, types
# Alt+R, waits for the recording to grow, types Ctrl+Alt+S and waits for the
# log to say the recording stopped.
#   x_keyboard_session.sh <program> <recording path> <log path>
set -u
program=$1 recording=$2 log=$3
"$program" &
pid=$!
trap 'kill $pid 2>/dev/null; wait $pid 2>/dev/null' EXIT

window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Plumora$' | head -1)
[ -n "$window" ] || { echo "the window never mapped"; exit 2; }
# Without a window manager the keyboard follows the pointer.
xdotool mousemove --window "$window" 300 150
sleep 1
xdotool key alt+r
for _ in $(seq 300); do
  [ "$(stat -c %s "$recording" 2>/dev/null || echo 0)" -gt 100000 ] && break
  sleep 0.1
done
[ "$(stat -c %s "$recording" 2>/dev/null || echo 0)" -gt 100000 ] || { echo "Alt+R recorded nothing"; exit 3; }
xdotool key ctrl+alt+s
for _ in $(seq 300); do
  grep -q "stop record" "$log" 2>/dev/null && exit 0
  sleep 0.1
done
echo "Ctrl+Alt+S did not stop the recording"
exit 4
