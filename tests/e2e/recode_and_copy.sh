#!/usr/bin/env bash
# Starts the real program on a virtual X display, types a Russian word with real key events,
# recodes it with Enter, copies the result with the Copy button, and reads the clipboard.
set -euo pipefail
program=$(realpath "$1")
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

for display in $(seq $((200 + RANDOM % 500)) 999); do
  [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ] || break
done
export DISPLAY=:$display
Xvfb "$DISPLAY" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 & pids+=($!)
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

cd "$work"  # no settings.ini here: the built-in design set applies
"$program" >"$work/log" 2>&1 & pids+=($!)
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Lettermorph$' | head -n 1) || {
  echo "the main window did not appear" >&2
  cat "$work/log" >&2
  exit 1
}
xdotool windowfocus --sync "$window"
sleep 0.5

xdotool key --clearmodifiers ctrl+a
xdotool type --delay 150 'Жук'
xdotool key Return
# From the input box the Tab key reaches txtOut, cmdOptions, cmdClear, then cmdClCopy.
xdotool key Tab Tab Tab Tab space
sleep 0.5

copied=$(timeout 5 xclip -o -selection clipboard)
expected='}|{yk'
if [ "$copied" != "$expected" ]; then
  echo "clipboard holds '$copied', expected '$expected'" >&2
  cat "$work/log" >&2
  exit 1
fi
echo "clipboard holds '$copied'"
