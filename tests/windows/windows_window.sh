#!/usr/bin/env bash
# The Windows window under wine, on a virtual X screen with a window
# manager: `tempyra.exe FOLDER` starts, lists the folder (four files, one
# with a name outside ASCII) and shows it; Project > Analyze Files from the
# keyboard runs to the save dialog, whose log has the four tempi in 80-byte
# CR LF lines; Help > About shows the About box, which Escape closes; the
# screenshots are kept in the build folder; Escape closes the window and the
# program ends with status 0.
# `tempyra.exe --version` prints the version on a pipe.
#
# First the unit tests that make windows (WINDOW_TESTS_EXE) on that screen.
#
#   windows_window.sh TEMPYRA_EXE WINDOW_TESTS_EXE PROBE_EXE SCREEN_GRAB DEMO_FOLDER OUT_FOLDER
#
# Needs the wine prefix of run_wine_tests.sh, Xvfb, openbox and xdotool;
# without the X tools it is skipped (status 77).
set -uo pipefail
exe=$1
unit_tests=$2
probe=$3
grab=$4
demo=$5
out=$6
here=$(cd "$(dirname "$0")" && pwd)
wine_run=$here/../../tools/windows/wine_run.sh
for tool in Xvfb openbox xdotool; do
  if ! command -v "$tool" > /dev/null 2>&1; then
    echo "skipped: $tool is not installed"
    exit 77
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/tempyra-window-XXXXXX")
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2> /dev/null; done
  wait 2> /dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*"
  cat "$work/run.log" 2> /dev/null
  # What the screen showed, to see why.
  if [ -n "${DISPLAY:-}" ] && mkdir -p "$out" && "$grab" "$out/windows-window-failed.png"; then
    echo "screen: $out/windows-window-failed.png"
  fi
  exit 1
}

# Polls a condition every half second, up to $1 seconds.
wait_for() {
  local seconds=$1
  shift
  local tries=$((seconds * 2))
  while ((tries-- > 0)); do
    "$@" && return 0
    sleep 0.5
  done
  return 1
}

mkdir "$work/music"
cp "$demo"/*.mp3 "$work/music/"
cp "$demo/house-128bpm.mp3" "$work/music/Café Ωmega.mp3"
folder="Z:$(printf '%s' "$work/music" | tr / '\\')"

exec 5> "$work/display"
Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp > "$work/xvfb.log" 2>&1 &
pids+=($!)
wait_for 20 test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=":$(head -n 1 "$work/display")"
openbox > "$work/openbox.log" 2>&1 &
pids+=($!)

# Wine's desktop process draws on the screen of the program that started
# it: wait until the prefix's other programs have ended (and with them a
# desktop started without a screen), so that this run starts its own here.
wineserver=$(dirname "$(command -v "${TEMPYRA_WINE:-wine64}")")/wineserver
[ -x "$wineserver" ] || wineserver=wineserver
"$wineserver" -w

"$wine_run" "$unit_tests" --gtest_brief=1 || fail "the window's unit tests failed"

version=$("$wine_run" "$exe" --version | tr -d '\r')
[[ $version =~ ^tempyra\ [0-9] ]] || fail "--version printed '$version'"

"$wine_run" "$exe" "$folder" > "$work/run.log" 2>&1 &
program=$!

rows_listed() {
  [ "$("$wine_run" "$probe" rows 2> /dev/null | tr -d '\r')" = 4 ]
}
wait_for 30 rows_listed ||
  fail "the window did not list four rows (the list has: $("$wine_run" "$probe" rows 2>&1))"
path=$("$wine_run" "$probe" path | tr -d '\r')
[ "$path" = "$folder" ] || fail "the path shows '$path', not '$folder'"

mkdir -p "$out"
"$grab" "$out/windows-window.png" || fail "no screenshot"
echo "screenshot: $out/windows-window.png"

window=$(xdotool search --name '^Tempyra$' | head -n 1)
[ -n "$window" ] || fail "no window named Tempyra on the screen"

# Project > Analyze Files from the keyboard: the worker's posted messages
# carry the run to its end, which offers the log in the save dialog.
xdotool windowactivate --sync "$window" key alt+p
sleep 0.5  # the menu's own loop takes the next key; give it time to open
xdotool key a
save=$(timeout 120 xdotool search --sync --name '^Would you like to save a log file\?$' | head -n 1)
[ -n "$save" ] || fail "no save dialog within 120 s of Analyze Files"
log="Z:$(printf '%s' "$work/bpmlog" | tr / '\\')"
for attempt in 1 2 3; do
  xdotool windowactivate --sync "$save"
  sleep 0.5
  xdotool key ctrl+a
  xdotool type --delay 20 "$log"
  xdotool key Return
  wait_for 10 test -s "$work/bpmlog.txt" && break
done
[ -s "$work/bpmlog.txt" ] || fail "no log written at $work/bpmlog.txt (the default extension added)"
# One line per file in row order, the tempo with no decimals, each line 80
# bytes before CR LF.
expected=$(printf '%s\n' "Café Ωmega.mp3 128" "breaks-174bpm.mp3 174" "house-128bpm.mp3 128" \
  "steady-140bpm.mp3 140")
got=$(tr -d '\r' < "$work/bpmlog.txt" | sed 's/  */ /g')
[ "$got" = "$expected" ] || fail "log lines: $(cat -A "$work/bpmlog.txt")"
[ "$(grep -c $'\r$' "$work/bpmlog.txt")" -eq 4 ] || fail "log lines do not end in CR LF"
LC_ALL=C awk '{ if (length($0) != 81) exit 1 }' "$work/bpmlog.txt" ||
  fail "a log line is not 80 bytes before CR LF: $(cat -A "$work/bpmlog.txt")"
"$grab" "$out/windows-window-analysed.png" && echo "screenshot: $out/windows-window-analysed.png"

# Help > About Tempyra...: the box from its table, closed by Escape.
xdotool windowactivate --sync "$window" key alt+h
sleep 0.5  # as for the Project menu
xdotool key a
about=$(timeout 30 xdotool search --sync --name '^About Tempyra$' | head -n 1)
[ -n "$about" ] || fail "no About box"
sleep 0.5  # drawn
"$grab" "$out/windows-about.png" && echo "screenshot: $out/windows-about.png"
xdotool windowactivate --sync "$about" key Escape
about_closed() { [ -z "$(xdotool search --name '^About Tempyra$' 2> /dev/null)" ]; }
wait_for 20 about_closed || fail "Escape did not close the About box"

xdotool windowactivate --sync "$window" key Escape
ended() { ! kill -0 "$program" 2> /dev/null; }
wait_for 30 ended || fail "Escape did not close the window"
wait "$program"
status=$?
[ "$status" = 0 ] || fail "tempyra.exe ended with status $status"
echo "window listed, shown and closed"
