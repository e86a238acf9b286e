#!/usr/bin/env bash
# The real fabrio under Xvfb, driven as a person drives it, with real X key presses and mouse moves: a
# new title gets a second card through Screen > Card > Add card, a text through Screen > Insert > Text...
# and a rectangle dragged on that card, is saved with Ctrl+G (typing its path into the Save as dialog),
# and `fcatool dump` must then read from that path a title of two cards with the text "Texto" on the
# second, where it was drawn. Screenshots of each
# step are left in $FABRIO_E2E_SHOTS when that is set.
# Usage: fabrio-build.sh FABRIO FCATOOL
set -euo pipefail
fabrio=$1 fcatool=$2
for tool in Xvfb xdotool xdpyinfo import python3; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
work=$(mktemp -d)
display=:$((100 + RANDOM % 400))
cleanup() {
  [ -n "${editor:-}" ] && kill "$editor" 2>/dev/null || true
  [ -n "${server:-}" ] && kill "$server" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
Xvfb "$display" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
server=$!
mkdir -m 700 "$work/runtime"
export DISPLAY=$display SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$work/runtime
# A settings folder of its own, so that the recent files of the person running the tests stay as they are,
# and a data folder of its own for the recovery copies.
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
shot() { import -window root "$work/$1.png"; [ -n "${FABRIO_E2E_SHOTS:-}" ] && cp "$work/$1.png" "$FABRIO_E2E_SHOTS/" || true; }
title="$work/built title.fca"

"$fabrio" --no-splash >"$work/fabrio.log" 2>&1 &
editor=$!
window=
for _ in $(seq 100); do
  window=$(xdotool search --sync --onlyvisible --name '^Fabrio - Fabrio1' 2>/dev/null | head -1 || true)
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "the main window did not appear"; cat "$work/fabrio.log"; exit 1; }
xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
sleep 0.5
shot 1-new

# Screen > Card > Add card, by the menus' mnemonics.
xdotool key --delay 150 alt+s c a
sleep 0.5
shot 2-card-added

# Screen > Insert > Text..., then a rectangle dragged on the card with the mouse. Without a window
# manager the frame sits at the screen's top left; the card is the black 640 x 480 area inside it.
xdotool key --delay 150 alt+s i t
sleep 0.3
import -window root -depth 8 "$work/find.ppm"
card=$(python3 - "$work/find.ppm" "$(xdotool getwindowgeometry --shell "$window" | tr '\n' ' ')" <<'PY'
import re, sys
data = open(sys.argv[1], "rb").read()
fields = re.match(rb"P6\s+(\d+)\s+(\d+)\s+(\d+)\s", data)
width, height = int(fields.group(1)), int(fields.group(2))
pixels = data[fields.end():]
geometry = dict(re.findall(r"(\w+)=(\d+)", sys.argv[2]))
left, top = int(geometry["X"]), int(geometry["Y"])
right, bottom = left + int(geometry["WIDTH"]), top + int(geometry["HEIGHT"])
run = b"\0" * 3 * 400
for y in range(top, min(bottom, height)):
    row = pixels[y * width * 3:(y + 1) * width * 3]
    x = row.find(run, left * 3)
    while x >= 0 and x % 3:
        x = row.find(run, x + 1)
    if 0 <= x and x // 3 + 400 <= right:
        print(x // 3, y)
        break
PY
)
[ -n "$card" ] || { shot 3-no-card; echo "the card is not on the screen"; exit 1; }
read -r cardx cardy <<<"$card"
echo "the card's top left on the screen: $cardx,$cardy"
xdotool mousemove $((cardx + 100)) $((cardy + 120)) mousedown 1
for step in 1 2 3 4 5; do
  xdotool mousemove $((cardx + 100 + step * 30)) $((cardy + 120 + step * 12))
  sleep 0.05
done
xdotool mouseup 1
sleep 0.5
shot 3-text-drawn
# The new text is the current one: its tracker shows around it on the black card.
bright=$(convert "$work/3-text-drawn.png" -crop 150x5+$((cardx + 100))+$((cardy + 116)) -format '%[fx:maxima]' info:)
[ "$bright" = 1 ] || { echo "no tracker shows around the drawn text (brightest: $bright)"; exit 1; }

# Ctrl+G on a new title opens Save as; its name field has the focus.
xdotool key ctrl+g
dialog=
for _ in $(seq 50); do
  dialog=$(xdotool search --onlyvisible --name 'Save|Guardar' 2>/dev/null | head -1 || true)
  [ -n "$dialog" ] && break
  sleep 0.1
done
[ -n "$dialog" ] || { shot 4-no-dialog; echo "the Save as dialog did not appear"; exit 1; }
sleep 0.5
xdotool key ctrl+a
xdotool type --delay 20 "$title"
sleep 0.3
shot 4-save-as
xdotool key Return
for _ in $(seq 50); do [ -s "$title" ] && break; sleep 0.1; done
sleep 0.5
shot 5-saved
[ -s "$title" ] || { echo "nothing was saved at $title"; cat "$work/fabrio.log"; exit 1; }
xdotool search --onlyvisible --name '^Fabrio - built title.fca' >/dev/null ||
  { echo "the window's title does not name the saved title"; exit 1; }

"$fcatool" dump "$title" >"$work/dump.json"
cards=$(grep -o '"version"' "$work/dump.json" | wc -l)
echo "cards in the saved title: $cards"
kill -0 "$editor" || { echo "fabrio ended early"; cat "$work/fabrio.log"; exit 1; }
[ "$cards" = 2 ]
# The text is on the second card, the one shown while it was drawn, where the mouse drew it: from the
# press at (100, 120) to the release at (250, 180) in card coordinates, give or take a pixel or two.
python3 - "$work/dump.json" <<'PY'
import json, sys
cards = json.load(open(sys.argv[1]))["cards"]
assert not cards[0]["texts"], "the first card got a text: %s" % cards[0]["texts"]
texts = cards[1]["texts"]
assert len(texts) == 1, "the second card has %d texts" % len(texts)
assert texts[0]["text"] == "Texto", texts[0]["text"]
expected = [100, 120, 250, 180]
assert all(abs(a - b) <= 2 for a, b in zip(texts[0]["rect"], expected)), texts[0]["rect"]
print("the text on card 2:", texts[0]["rect"])
PY
