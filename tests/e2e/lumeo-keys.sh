#!/usr/bin/env bash
# The real lumeo under Xvfb, driven by real X key presses: F12 writes the card beside the title, pixel
# for pixel as fcatool renders it (card 1 of the demo, which has no animated sprite); Tab and Enter click a
# sprite, and the trace says so.
# Usage: lumeo-keys.sh LUMEO FCATOOL EXAMPLES_DIR (absolute paths)
set -euo pipefail
lumeo=$1 fcatool=$2 examples=$3
source "$(dirname "${BASH_SOURCE[0]}")/xvfb-session.sh"
require_tools Xvfb xdotool compare xdpyinfo
start_session 1024x768
# A copy of the demo, so that the pictures land in a folder of the test's own.
cp -r "$examples" "$work/title"
cd "$work/title"
"$lumeo" --no-credits --trace --card 1 demo.fca 2>"$work/trace.log" &
player=$!
wait_for 100 grep -q '"event":"card"' "$work/trace.log" || true
sleep 0.5
window=$(wait_for_window 50 '^Lumeo$')
[ -n "$window" ] || { echo "no Lumeo window"; cat "$work/trace.log"; exit 1; }
xdotool windowfocus --sync "$window" 2>/dev/null || true
xdotool key --window "$window" F12
wait_for 50 test -f demo-card1-1.png || { echo "F12 wrote no picture"; cat "$work/trace.log"; exit 1; }
"$fcatool" render demo.fca --card 1 -o "$work/expected.png"
different=$(compare -metric AE "$work/expected.png" demo-card1-1.png "$work/diff.png" 2>&1 || true)
echo "pixels of the F12 picture that differ from fcatool render: $different"
xdotool key --window "$window" Tab
sleep 0.3
xdotool key --window "$window" Return
wait_for 30 grep -q '"event":"click"' "$work/trace.log" || true
grep -q '"event":"screenshot","file":"[^"]*demo-card1-1.png","saved":1' "$work/trace.log" ||
  { echo "no screenshot event"; cat "$work/trace.log"; exit 1; }
grep -q '"event":"click"' "$work/trace.log" || { echo "Tab and Enter clicked nothing"; cat "$work/trace.log"; exit 1; }
# KEEP_E2E=FOLDER keeps the two pictures and their difference when they differ.
[ "$different" = 0 ] || { [ -n "${KEEP_E2E:-}" ] && cp "$work/expected.png" "$work/title/demo-card1-1.png" "$work/diff.png" "$KEEP_E2E"/; exit 1; }
