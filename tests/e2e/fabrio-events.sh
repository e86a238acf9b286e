#!/usr/bin/env bash
# The real fabrio and lumeo under one Xvfb display, driven with real X key presses and clicks: a title of
# two cards has a sprite that does nothing; in fabrio the sprite is clicked, Enter opens its property
# sheet, Ctrl+Tab brings the Events page, Alt+C goes to the click action and "C" picks "Cards - Next
# card", Enter confirms and Ctrl+G saves. `fcatool dump` must find click action 2 in the saved title, and
# lumeo, playing it, must report card 1 after a click on the sprite. Screenshots of each step are left in
# $FABRIO_E2E_SHOTS when that is set.
# Usage: fabrio-events.sh FABRIO LUMEO FCATOOL DEMO_SOURCES
set -euo pipefail
fabrio=$(realpath "$1") lumeo=$(realpath "$2") fcatool=$(realpath "$3") demo=$(realpath "$4")
source "$(dirname "${BASH_SOURCE[0]}")/xvfb-session.sh"
require_tools Xvfb xdotool xdpyinfo import convert python3
start_session 1280x900
fail() { echo "$1"; shot "failed"; cat "$work"/*.log 2>/dev/null || true; exit 1; }

# The title: a black background, two empty cards and the demo's "Ficha anterior" button as sprite 1 at
# (200, 180), hit anywhere in its rectangle and doing nothing yet.
convert -size 640x480 xc:black "$work/black.jpg"
python3 - "$demo" "$work" <<'PY'
import json, shutil, sys
demo, work = sys.argv[1], sys.argv[2]
source = json.load(open(demo + "/demo.json"))
sprite = dict(next(s for s in source["sprites"] if s["number"] == 1))
shutil.copy(demo + "/" + sprite["file"], work + "/button.pcx")
sprite.update(x=200, y=180, number=1, text="button", sensible_rect=1, click_action=0,
              click_args=["", "", "", ""], move_action=0, move_args=["", "", "", ""],
              file="button.pcx")
video = {"leading_word": 0, "file": "", "x": 0, "y": 0, "loop": 0, "automatic_init": 0,
         "close_when_finishes": 0, "activate_on_close": ""}
card = {"version": 3, "video": video, "activation_list": "", "deactivation_list": "", "pictures": [], "texts": []}
title = {key: source[key] for key in ("leading_word", "background_music", "loop_music", "stop_previous_music")}
title.update(identifier="events", description="", work_directory="", caption_field="", sprites=[sprite],
             background={"width": 640, "height": 480, "bits": 24, "file": "black.jpg"},
             cards=[card, dict(card)])
json.dump(title, open(work + "/manifest.json", "w"))
PY
title="$work/events.fca"
"$fcatool" build "$work/manifest.json" -o "$title" >"$work/build.log" 2>&1 || fail "fcatool could not build the title"

"$fabrio" --no-splash "$title" >"$work/fabrio.log" 2>&1 &
editor=$!
window=$(wait_for_window 100 '^Fabrio - events.fca' --onlyvisible)
[ -n "$window" ] || fail "the main window did not appear"
activate "$window"
sleep 0.5
shot 1-opened

# The card is the black 640 x 480 area of the window; without a window manager the frame is at the top left.
card=$(black_card_origin "$window" 180)
[ -n "$card" ] || fail "the card is not on the screen"
read -r cardx cardy <<<"$card"
echo "the card's top left on the screen: $cardx,$cardy"

# A click selects the sprite; Enter opens its property sheet.
xdotool mousemove $((cardx + 250)) $((cardy + 198)) click 1
sleep 0.5
xdotool key Return
sheet_closed() { ! xdotool search --onlyvisible --name '^Sprite properties$' >/dev/null 2>&1; }
sheet=$(wait_for_window 50 '^Sprite properties$' --onlyvisible)
[ -n "$sheet" ] || fail "the sprite's property sheet did not open"
sleep 0.5
xdotool key --delay 200 ctrl+Tab alt+c c
sleep 0.3
shot 2-events
xdotool key Return
wait_for 50 sheet_closed || fail "the sheet stayed open"
before=$(stat -c %.Y "$title")
sleep 1.1
# Without a window manager the closed sheet hands the keyboard back to nobody.
activate "$window"
xdotool key ctrl+g
saved() { [ "$(stat -c %.Y "$title")" != "$before" ]; }
wait_for 50 saved || fail "Ctrl+G did not save the title"
shot 3-saved
kill -0 "$editor" || fail "fabrio ended early"
kill "$editor"
editor=

"$fcatool" dump "$title" >"$work/dump.json"
python3 - "$work/dump.json" <<'PY'
import json, sys
sprite = json.load(open(sys.argv[1]))["sprites"][0]
assert sprite["click_action"] == 2, "click action %d" % sprite["click_action"]
print("the saved sprite's click action:", sprite["click_action"])
PY

# Lumeo on the whole 1280 x 900 screen shows the card at its own size in the middle, at (320, 210).
cd "$work"
"$lumeo" --no-credits --trace events.fca 2>"$work/trace.log" &
player=$!
wait_for 100 grep -q '"event":"card"' "$work/trace.log" || true
grep -q '"event":"card".*"card":0' "$work/trace.log" || fail "lumeo did not show card 0"
sleep 0.5
xdotool mousemove $((320 + 250)) $((210 + 198)) click 1
wait_for 30 grep -q '"event":"card".*"card":1' "$work/trace.log" || true
shot 4-played
grep -q '"event":"card".*"card":1' "$work/trace.log" || fail "the click did not bring card 1"
echo "lumeo went to card 1 on the click"
