#!/usr/bin/env bash
# The real fabrio under Xvfb, driven as a person drives it, with real X key presses: a new title gets a
# second card through Screen > Card > Add card, is saved with Ctrl+G (typing its path into the Save as
# dialog), and `fcatool dump` must then read a title of two cards from that path. Screenshots of each
# step are left in $FABRIO_E2E_SHOTS when that is set.
# Usage: fabrio-build.sh FABRIO FCATOOL
set -euo pipefail
fabrio=$1 fcatool=$2
for tool in Xvfb xdotool xdpyinfo import; do
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
# A settings folder of its own, so that the recent files of the person running the tests stay as they are.
export XDG_CONFIG_HOME=$work/config
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

# --- The text step goes here once the card view inserts texts: choose the text tool on the insert bar,
# --- drag a rectangle on the card, and check the text "Texto" on card 2 in the dump below.

# Ctrl+G on a new title opens Save as; its name field has the focus.
xdotool key ctrl+g
dialog=
for _ in $(seq 50); do
  dialog=$(xdotool search --onlyvisible --name 'Save|Guardar' 2>/dev/null | head -1 || true)
  [ -n "$dialog" ] && break
  sleep 0.1
done
[ -n "$dialog" ] || { shot 3-no-dialog; echo "the Save as dialog did not appear"; exit 1; }
sleep 0.5
xdotool key ctrl+a
xdotool type --delay 20 "$title"
sleep 0.3
shot 3-save-as
xdotool key Return
for _ in $(seq 50); do [ -s "$title" ] && break; sleep 0.1; done
sleep 0.5
shot 4-saved
[ -s "$title" ] || { echo "nothing was saved at $title"; cat "$work/fabrio.log"; exit 1; }
xdotool search --onlyvisible --name '^Fabrio - built title.fca' >/dev/null ||
  { echo "the window's title does not name the saved title"; exit 1; }

"$fcatool" dump "$title" >"$work/dump.json"
cards=$(grep -o '"version"' "$work/dump.json" | wc -l)
echo "cards in the saved title: $cards"
kill -0 "$editor" || { echo "fabrio ended early"; cat "$work/fabrio.log"; exit 1; }
[ "$cards" = 2 ]
