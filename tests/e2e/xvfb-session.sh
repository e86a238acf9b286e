# The session every end-to-end test runs in, sourced by each: a scratch folder, an Xvfb display of its
# own, the programs' settings, data and runtime folders inside the scratch folder (so that a run never
# touches those of the person running the tests), and the helpers that wait for windows and take
# screenshots. Everything the test started is ended when it exits, whatever way it exits.

# Skips the test (exit code 77) when one of the tools it needs is missing.
require_tools() {
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
  done
}

# The programs a test starts keep their process ids in `editor` and `player`; a test that ends one itself
# clears the variable.
end_session() {
  [ -n "${editor:-}" ] && kill "$editor" 2>/dev/null || true
  [ -n "${player:-}" ] && kill "$player" 2>/dev/null || true
  # The display is gone, its lock and sockets removed, before the next test may pick its number.
  [ -n "${server:-}" ] && kill "$server" 2>/dev/null && wait "$server" 2>/dev/null || true
  rm -rf "$work"
}

# Starts the display at SIZE (such as 1024x768) and waits until it answers. Xvfb picks a free display
# number itself and writes it once it is ready, so that runs side by side never share a display. By
# default an X server resets itself when its last client leaves, and refuses a client that comes in the
# middle of it: the program started right after the check below would then fail to connect.
start_session() {
  work=$(mktemp -d)
  trap end_session EXIT
  Xvfb -displayfd 3 -screen 0 "$1x24" -nolisten tcp -noreset 3>"$work/display" >"$work/xvfb.log" 2>&1 &
  server=$!
  wait_for 100 test -s "$work/display" || { echo "the display did not start"; cat "$work/xvfb.log"; exit 1; }
  mkdir -m 700 "$work/runtime"
  export DISPLAY=:$(head -1 "$work/display") SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM=xcb
  export XDG_RUNTIME_DIR=$work/runtime XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
  wait_for 50 xdpyinfo || { echo "the display $DISPLAY does not answer"; cat "$work/xvfb.log"; exit 1; }
}

# Runs COMMAND every tenth of a second until it succeeds, at most TRIES times; fails when it never did.
wait_for() {
  local tries=$1
  shift
  for _ in $(seq "$tries"); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}

# What the X server said, and whether it still runs: printed when a program could not show itself.
display_report() {
  has_ended "$server" && echo "the X server on $DISPLAY has ended"
  cat "$work/xvfb.log"
}

# Whether the process PID has ended.
has_ended() {
  ! kill -0 "$1" 2>/dev/null
}

# Prints the first window whose name matches PATTERN, waiting for it at most TRIES tenths of a second;
# prints nothing when none came. Further arguments go to `xdotool search` (such as --onlyvisible).
wait_for_window() {
  local tries=$1 pattern=$2
  shift 2
  local window=
  for _ in $(seq "$tries"); do
    window=$(xdotool search "$@" --name "$pattern" 2>/dev/null | head -1 || true)
    [ -n "$window" ] && break
    sleep 0.1
  done
  echo "$window"
}

# Gives WINDOW the keyboard; without a window manager activation may be refused, focus is not.
activate() {
  xdotool windowactivate --sync "$1" 2>/dev/null || xdotool windowfocus --sync "$1"
}

# The whole screen as $work/NAME.png, copied into $FABRIO_E2E_SHOTS when that is set.
shot() {
  import -window root "$work/$1.png"
  [ -n "${FABRIO_E2E_SHOTS:-}" ] && cp "$work/$1.png" "$FABRIO_E2E_SHOTS/" || true
}

# Prints "X Y", the screen position of the first row of WINDOW that holds RUN black pixels in a row: the
# top left of an empty black card, since without a window manager nothing else in the frame is that dark.
# Prints nothing when there is no such row.
black_card_origin() {
  import -window root -depth 8 "$work/find.ppm"
  python3 - "$work/find.ppm" "$(xdotool getwindowgeometry --shell "$1" | tr '\n' ' ')" "$2" <<'PY'
import re, sys
data = open(sys.argv[1], "rb").read()
fields = re.match(rb"P6\s+(\d+)\s+(\d+)\s+(\d+)\s", data)
width, height = int(fields.group(1)), int(fields.group(2))
pixels = data[fields.end():]
geometry = dict(re.findall(r"(\w+)=(\d+)", sys.argv[2]))
left, top = int(geometry["X"]), int(geometry["Y"])
right, bottom = left + int(geometry["WIDTH"]), top + int(geometry["HEIGHT"])
length = int(sys.argv[3])
run = b"\0" * 3 * length
for y in range(top, min(bottom, height)):
    row = pixels[y * width * 3:(y + 1) * width * 3]
    x = row.find(run, left * 3)
    while x >= 0 and x % 3:
        x = row.find(run, x + 1)
    if 0 <= x and x // 3 + length <= right:
        print(x // 3, y)
        break
PY
}
