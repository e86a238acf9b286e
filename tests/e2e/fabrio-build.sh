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
source "$(dirname "${BASH_SOURCE[0]}")/xvfb-session.sh"
require_tools Xvfb xdotool xdpyinfo import python3
start_session 1280x900
title="$work/built title.fca"

"$fabrio" --no-splash >"$work/fabrio.log" 2>&1 &
editor=$!
window=$(wait_for_window 100 '^Fabrio - Fabrio1' --onlyvisible)
[ -n "$window" ] || {
  echo "the main window did not appear"
  cat "$work/fabrio.log"
  display_report
  exit 1
}
activate "$window"
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
card=$(black_card_origin "$window" 400)
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
dialog=$(wait_for_window 50 'Save|Guardar' --onlyvisible)
[ -n "$dialog" ] || { shot 4-no-dialog; echo "the Save as dialog did not appear"; exit 1; }
sleep 0.5
xdotool key ctrl+a
xdotool type --delay 20 "$title"
sleep 0.3
shot 4-save-as
xdotool key Return
wait_for 50 test -s "$title" || true
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
