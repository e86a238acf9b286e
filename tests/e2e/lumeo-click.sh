#!/usr/bin/env bash
# The real lumeo under Xvfb: a real X click on the demo's "Siguiente" button must show card 1 centred on
# a 1024 x 768 screen, pixel for pixel as fcatool renders the same card.
# Usage: lumeo-click.sh LUMEO FCATOOL EXAMPLES_DIR
set -euo pipefail
lumeo=$1 fcatool=$2 examples=$3
for tool in Xvfb xdotool import compare; do
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
# The player keeps its volume in its settings: the run keeps them in its scratch folder.
export DISPLAY=$display SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$work XDG_CONFIG_HOME=$work
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
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
import -window root "$work/screen.png"
convert "$work/screen.png" -crop 640x480+192+144 +repage "$work/card.png"
"$fcatool" render demo.fca --card 1 -o "$work/expected.png"
different=$(compare -metric AE "$work/expected.png" "$work/card.png" "$work/diff.png" 2>&1 || true)
# The black bands around the card.
band=$(convert "$work/screen.png" -crop 192x768+0+0 -format '%[fx:maxima]' info:)
echo "pixels that differ from fcatool render: $different; left band maximum: $band"
kill -0 "$player" || { echo "lumeo ended early"; cat "$work/lumeo.log"; exit 1; }
# The system can end the program: a terminate signal is not swallowed by the sound library.
kill -TERM "$player"
for _ in $(seq 50); do kill -0 "$player" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$player" 2>/dev/null; then echo "lumeo did not end on SIGTERM"; exit 1; fi
player=
[ "$different" = 0 ] && [ "$band" = 0 ]
