#!/usr/bin/env bash
# The real lumeo under Xvfb: a real X click on the demo's "Siguiente" button must show card 1 centred on
# a 1024 x 768 screen, pixel for pixel as fcatool renders the same card.
# Usage: lumeo-click.sh LUMEO FCATOOL EXAMPLES_DIR
set -euo pipefail
lumeo=$1 fcatool=$2 examples=$3
source "$(dirname "${BASH_SOURCE[0]}")/xvfb-session.sh"
require_tools Xvfb xdotool xdpyinfo import compare
start_session 1024x768
cd "$examples"
"$lumeo" --no-credits demo.fca >"$work/lumeo.log" 2>&1 &
player=$!
# The card is up when the window shows something other than black where the card lies.
for _ in $(seq 100); do
  sleep 0.2
  import -window root "$work/screen.png" 2>/dev/null || continue
  colour=$(convert "$work/screen.png" -crop 1x1+600+600 -format '%[hex:p{0,0}]' info: 2>/dev/null || true)
  [ -n "$colour" ] && [ "$colour" != 000000 ] && break
done
# "Siguiente" lies at (468, 450) of the card; the card at (192, 144) of the screen.
xdotool mousemove 660 594 click 1
sleep 1.5
shot screen
convert "$work/screen.png" -crop 640x480+192+144 +repage "$work/card.png"
"$fcatool" render demo.fca --card 1 -o "$work/expected.png"
different=$(compare -metric AE "$work/expected.png" "$work/card.png" "$work/diff.png" 2>&1 || true)
# The black bands around the card.
band=$(convert "$work/screen.png" -crop 192x768+0+0 -format '%[fx:maxima]' info:)
echo "pixels that differ from fcatool render: $different; left band maximum: $band"
kill -0 "$player" || { echo "lumeo ended early"; cat "$work/lumeo.log"; exit 1; }
# The system can end the program: a terminate signal is not swallowed by the sound library.
kill -TERM "$player"
wait_for 50 has_ended "$player" || { echo "lumeo did not end on SIGTERM"; exit 1; }
player=
[ "$different" = 0 ] && [ "$band" = 0 ]
