#!/usr/bin/env bash
# The real window, as a user drives it (run under xvfb-run): `tempyra FOLDER`
# on MP3 files made at test time with tempyra-beatgen and lame; Project >
# Analyze Files from the keyboard; the rows' tempi; the real save dialog
# answered with a typed name (the default extension is added); the written
# log checked line by line; F1 handing the help document to xdg-open (a
# stand-in that records what it is given); Help > About Tempyra... from the
# keyboard and Escape closing it; screenshots saved; Escape ends the
# program with status 0. Fails loudly when the window does not come up.
#
#   window_end_to_end.sh TEMPYRA TEMPYRA_BEATGEN SCREEN_GRAB OUT_DIR
set -uo pipefail
tempyra=$1
beatgen=$2
grab=$3
out=$4
mkdir -p "$out"
# No accessibility bus and no settings daemon under Xvfb.
export NO_AT_BRIDGE=1 GSETTINGS_BACKEND=memory

die() {
  echo "FAIL: $*"
  [ -n "${pid:-}" ] && [ -n "${DISPLAY:-}" ] && list_windows
  [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null
  [ -s "${work:-/nonexistent}/stderr" ] && { echo "tempyra's standard error:"; cat "$work/stderr"; }
  exit 1
}
for tool in xdotool lame; do
  command -v "$tool" >/dev/null || die "$tool is missing (make test installs it)"
done
[ -n "${DISPLAY:-}" ] || die "no display: run this under xvfb-run"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

source "$(dirname "$0")/window_support.sh"

# The command line is checked before any window opens.
"$tempyra" "$work" "$work" 2>"$work/err"
[ $? -eq 2 ] || die "two arguments do not exit with status 2"
[ "$(wc -l <"$work/err")" -eq 1 ] || die "two arguments: not one error line: $(cat "$work/err")"
"$tempyra" "$work/missing" 2>"$work/err"
[ $? -eq 2 ] || die "a missing folder does not exit with status 2"
grep -q "missing" "$work/err" || die "the error does not name the path: $(cat "$work/err")"

# The folder: two beat streams (120 and 90 beats per minute; the second
# reads as 179.60, its double), a file that is no MP3 at all, a WAV file
# (listed, passed over) and a text file (not listed).
music="$work/music"
mkdir -p "$music/sub"
"$beatgen" "$work/b120.wav" 44100 22050 2690100 1 || die "beatgen"
"$beatgen" "$work/b90.wav" 44100 29400 2690100 1 || die "beatgen"
lame --quiet -b 128 "$work/b120.wav" "$music/beats120.mp3" || die "lame"
lame --quiet -b 128 "$work/b90.wav" "$music/sub/beats90.mp3" || die "lame"
printf 'not audio at all' >"$music/broken.mp3"
cp "$work/b120.wav" "$music/click.wav"
echo "notes" >"$music/notes.txt"

# The desktop's opener: a stand-in that writes down what it was given.
stand_in_opener
start_window "$music"
kill -0 "$pid" 2>/dev/null || die "tempyra ended at start"
screenshot "$win" "$out/tempyra-listed.png"

# Project > Analyze Files, from the keyboard: Alt+P opens the menu (its
# popup is a second window of the program), A chooses the item.
open_menu alt+p
xdotool key a

# The run ends with the log offer; answer it with a name without extension.
save=$(timeout 180 xdotool search --sync --onlyvisible --name '^Would you like to save a log file\?$' |
  head -1)
[ -n "$save" ] || die "no save dialog within 180 s of Go!"
# The name field has the focus; a typed path replaces "bpmlog.txt". Typed
# again if the dialog was not ready for the keys.
for attempt in 1 2 3; do
  xdotool windowfocus --sync "$save"
  sleep 0.5
  xdotool key ctrl+a
  xdotool type --delay 20 "$work/bpmlog"
  xdotool key Return
  wait_for 20 test -s "$work/bpmlog.txt" && break
done
test -s "$work/bpmlog.txt" || die "no log written at $work/bpmlog.txt"
wait_for 30 bash -c "! xdotool search --onlyvisible --name '^Would you like' >/dev/null" ||
  die "the save dialog did not close"
sleep 1
screenshot "$win" "$out/tempyra-analysed.png"

# The log: the four rows of the run in row order, D = 0 decimals, each line
# 80 characters before CR LF: beats120 ~119.77 -> 120, beats90 179.60 -> 180,
# broken and the WAV file 0.
expected=$(printf '%s\n' "beats120.mp3 120" "broken.mp3 0" "click.wav 0" "beats90.mp3 180")
got=$(tr -d '\r' <"$work/bpmlog.txt" | awk '{print $1, $2}')
[ "$got" = "$expected" ] || die "log lines: $(cat -A "$work/bpmlog.txt")"
[ "$(grep -c $'\r$' "$work/bpmlog.txt")" -eq 4 ] || die "lines do not end in CR LF"
awk '{ if (length($0) != 81) exit 1 }' "$work/bpmlog.txt" ||
  die "a line is not 80 characters before CR LF: $(cat -A "$work/bpmlog.txt")"

# F1 opens the help document with the desktop's opener: the copy the build
# put beside the program (nothing in the current folder).
xdotool windowfocus --sync "$win"
xdotool key F1
wait_for 30 test -s "$work/opened" || die "F1 opened nothing"
help=$(head -1 "$work/opened")
[ "$(basename "$help")" = help.html ] && [ -s "$help" ] || die "F1 opened '$help'"

# Help > About Tempyra... from the keyboard (Alt+H, then A); Escape closes
# the box and leaves the window.
open_menu alt+h
xdotool key a
about=$(timeout 30 xdotool search --sync --onlyvisible --name '^About Tempyra$' | head -1)
[ -n "$about" ] || die "the About box did not open"
xdotool windowfocus --sync "$about"
xdotool key Escape
wait_for 30 bash -c "! xdotool search --onlyvisible --name '^About Tempyra$' >/dev/null" ||
  die "Escape did not close the About box"
kill -0 "$pid" 2>/dev/null || die "closing the About box ended the program"
[ "$(wc -l <"$work/opened")" -eq 1 ] || die "more was opened: $(cat "$work/opened")"

# Escape ends the program.
xdotool windowfocus --sync "$win"
xdotool key Escape
wait_for 30 bash -c "! kill -0 $pid 2>/dev/null" || die "Escape did not end the program"
wait "$pid"
status=$?
[ "$status" -eq 0 ] || die "tempyra exited with status $status"
echo "window end to end: passed"
