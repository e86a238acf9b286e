#!/usr/bin/env bash
# The real lumeo under Xvfb, driven by real X key presses: F12 writes the card beside the title, pixel
# for pixel as fcatool renders it (card 1 of the demo, which has no animated sprite); Tab and Enter click a
# sprite, and the trace says so.
# Usage: lumeo-keys.sh LUMEO FCATOOL EXAMPLES_DIR (absolute paths)
set -euo pipefail
lumeo=$1 fcatool=$2 examples=$3
for tool in Xvfb xdotool compare xdpyinfo; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
work=$(mktemp -d)
display=:$((100 + RANDOM % 400))
cleanup() {
  [ -n "${player:-}" ] && kill "$player" 2>/dev/null || true
  [ -n "${server:-}" ] && kill "$server" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
server=$!
export DISPLAY=$display SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$work
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
# A copy of the demo, so that the pictures land in a folder of the test's own.
cp -r "$examples" "$work/title"
cd "$work/title"
"$lumeo" --no-credits --trace --card 1 demo.fca 2>"$work/trace.log" &
player=$!
for _ in $(seq 100); do grep -q '"event":"card"' "$work/trace.log" 2>/dev/null && break; sleep 0.1; done
sleep 0.5
window=
for _ in $(seq 50); do
  window=$(xdotool search --name '^Lumeo$' 2>/dev/null | head -1 || true)
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "no Lumeo window"; cat "$work/trace.log"; exit 1; }
xdotool windowfocus --sync "$window" 2>/dev/null || true
xdotool key --window "$window" F12
for _ in $(seq 50); do [ -f demo-card1-1.png ] && break; sleep 0.1; done
[ -f demo-card1-1.png ] || { echo "F12 wrote no picture"; cat "$work/trace.log"; exit 1; }
"$fcatool" render demo.fca --card 1 -o "$work/expected.png"
different=$(compare -metric AE "$work/expected.png" demo-card1-1.png "$work/diff.png" 2>&1 || true)
echo "pixels of the F12 picture that differ from fcatool render: $different"
xdotool key --window "$window" Tab
sleep 0.3
xdotool key --window "$window" Return
for _ in $(seq 30); do grep -q '"event":"click"' "$work/trace.log" && break; sleep 0.1; done
grep -q '"event":"screenshot","file":"[^"]*demo-card1-1.png","saved":1' "$work/trace.log" ||
  { echo "no screenshot event"; cat "$work/trace.log"; exit 1; }
grep -q '"event":"click"' "$work/trace.log" || { echo "Tab and Enter clicked nothing"; cat "$work/trace.log"; exit 1; }
# KEEP_E2E=FOLDER keeps the two pictures and their difference when they differ.
[ "$different" = 0 ] || { [ -n "${KEEP_E2E:-}" ] && cp "$work/expected.png" "$work/title/demo-card1-1.png" "$work/diff.png" "$KEEP_E2E"/; exit 1; }
