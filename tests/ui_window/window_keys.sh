#!/usr/bin/env bash
# The window's keys as a user meets them, with or without a window manager
# (run under xvfb-run; with "openbox" as the fifth argument a window manager
# runs first):
#   - Escape in a menu opened with the mouse closes the menu and leaves the
#     program running; so does Escape in a menu opened with Alt+H;
#   - after Go! clicked with the mouse, a run to its end and the log offer
#     cancelled, F1 still opens the help and Escape still ends the program
#     (GTK drops the focus of a disabled button; the list takes it);
#   - a double click on a row whose name is Latin-1 (not UTF-8) hands the
#     file's own bytes to the desktop's opener;
#   - `tempyra -- FOLDER` lists the folder.
#
#   window_keys.sh TEMPYRA TEMPYRA_BEATGEN SCREEN_GRAB OUT_DIR [openbox]
set -uo pipefail
tempyra=$1
beatgen=$2
grab=$3
out=$4
manager=${5:-}
mkdir -p "$out"
export NO_AT_BRIDGE=1 GSETTINGS_BACKEND=memory

die() {
  echo "FAIL: $*"
  [ -n "${pid:-}" ] && [ -n "${DISPLAY:-}" ] && list_windows
  [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null
  [ -n "${wm:-}" ] && kill "$wm" 2>/dev/null
  [ -s "${work:-/nonexistent}/stderr" ] && { echo "tempyra's standard error:"; cat "$work/stderr"; }
  exit 1
}
for tool in xdotool $manager; do
  command -v "$tool" >/dev/null || die "$tool is missing (make test installs it)"
done
[ -n "${DISPLAY:-}" ] || die "no display: run this under xvfb-run"

work=$(mktemp -d)
trap 'rm -rf "$work"; [ -n "${wm:-}" ] && kill "$wm" 2>/dev/null' EXIT

source "$(dirname "$0")/window_support.sh"
alive() { kill -0 "$pid" 2>/dev/null; }

if [ -n "$manager" ]; then
  "$manager" >/dev/null 2>&1 &
  wm=$!
  sleep 1
  kill -0 "$wm" 2>/dev/null || die "$manager did not start"
fi

# A folder with one WAV file: listed, passed over by a run, so a run ends
# at once with the log offer. Its name is Latin-1: "café" with the byte E9.
music="$work/music"
mkdir -p "$music"
latin="$music/caf"$'\xe9'".wav"
"$beatgen" "$latin" 44100 22050 441000 1 || die "beatgen"
stand_in_opener
start_window "$music"

# The window takes input once F1 opens the help (a slow start, under a
# sanitizer on a loaded machine, may miss the first keys: F1 again then).
opened_count() { [ -f "$work/opened" ] && wc -l <"$work/opened" || echo 0; }
opened_more_than() { [ "$(opened_count)" -gt "$1" ]; }
for attempt in 1 2 3; do
  xdotool windowfocus --sync "$win"
  xdotool key F1
  wait_for 20 opened_more_than 0 && break
done
[ "$(opened_count)" -ge 1 ] || die "F1 opened nothing"
[ "$(basename "$(head -1 "$work/opened")")" = help.html ] || die "F1 opened $(cat "$work/opened")"

# A menu opened with the mouse (File, at the left of the menu bar), then
# Escape: the menu closes, the program runs on. The menu's popup is one more
# window of the program than before. Escape is pressed once only: a second
# press after the menu has closed would rightly end the program.
click_file() { xdotool mousemove --window "$win" 20 12 click 1; }
try_open_menu 30 click_file || die "a click on File did not open the menu"
sleep 1
xdotool key Escape
wait_for 30 shown_exactly "$before" || die "Escape did not close the menu"
sleep 1
alive || die "Escape in a menu opened with the mouse ended the program"

# The same with Alt+H. A second Alt+H would close a menu that was only slow
# to show: each press gets a long wait.
try_open_menu 30 key_in_window alt+h || die "Alt+H did not open the Help menu"
sleep 1
xdotool key Escape
wait_for 30 shown_exactly "$before" || die "Escape did not close the Help menu"
sleep 1
alive || die "Escape in a menu opened with Alt+H ended the program"

# Go! with the mouse: the button at the bottom left of the window.
eval "$(xdotool getwindowgeometry --shell "$win")"
xdotool mousemove --window "$win" 40 $((HEIGHT - 28)) click 1
save=$(timeout 60 xdotool search --sync --onlyvisible --name '^Would you like to save a log file\?$' |
  head -1)
[ -n "$save" ] || die "Go! clicked with the mouse did not end a run with the log offer"
for attempt in 1 2 3; do
  xdotool windowfocus --sync "$save"
  xdotool key Escape
  wait_for 10 bash -c "! xdotool search --onlyvisible --name '^Would you like' >/dev/null" && break
done
wait_for 10 bash -c "! xdotool search --onlyvisible --name '^Would you like' >/dev/null" ||
  die "the log offer did not close"
sleep 1
screenshot "$win" "$out/tempyra-after-run${manager:+-$manager}.png"

# The keys work with no click in between.
count=$(opened_count)
xdotool windowfocus --sync "$win"
xdotool key F1
wait_for 30 opened_more_than "$count" || die "F1 after the run opened nothing"
[ "$(basename "$(tail -1 "$work/opened")")" = help.html ] || die "F1 opened $(tail -1 "$work/opened")"

# A double click on the row (the first below the list's header) opens the
# file by its own name.
count=$(opened_count)
xdotool mousemove --window "$win" 200 160 click --repeat 2 --delay 80 1
wait_for 30 opened_more_than "$count" || die "a double click on the row opened nothing"
[ "$(tail -1 "$work/opened")" = "$latin" ] ||
  die "the double click opened $(tail -1 "$work/opened" | od -c | head -3)"

xdotool windowfocus --sync "$win"
xdotool key Escape
wait_for 30 bash -c "! kill -0 $pid 2>/dev/null" || die "Escape after the run did not end the program"
wait "$pid"
status=$?
[ "$status" -eq 0 ] || die "tempyra exited with status $status"
echo "window keys${manager:+ with $manager}: passed"
