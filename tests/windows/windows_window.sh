#!/usr/bin/env bash
# The Windows window under wine, on a virtual X screen with a window
# manager, driven with the keyboard and the mouse as a user drives it:
# - `tempyra.exe FOLDER` starts, lists the folder (five files, one with a
#   name outside ASCII, one tagged with a tempo) and shows it;
# - Project > Analyze Files runs to the save dialog, whose log has the five
#   tempi in 80-byte CR LF lines;
# - F1 and the Help menu's three items hand the right documents to the
#   program the shell associates with them (a stand-in that writes down
#   what it was given);
# - tapping on "Tap Beat Here" proposes a tempo, and "Set BPM" writes it;
# - Project > Show Tags adds the "Tag" column with the tempo of a file that
#   another program tagged; the row menu's "Double" doubles a row's tempo;
#   the menu has no "All Audio Formats" (this build decodes MPEG and WAVE);
# - Rename Files refuses a name that another file has: that file and the
#   row's file keep their bytes, the message names both, the other rows'
#   files are renamed;
# - "..." opens the folder chooser, whose choice the window lists; a run
#   there, then Rename Files with "Duplicate" copies the files with their
#   tempi at the end of the names;
# - Help > About shows the About box, which Escape closes;
# - Escape closes the window and the program ends with status 0;
# - at 200 % the window's controls are twice as large; a run over a long
#   mix is not ended by another program's messages that have the numbers
#   of the worker's results (the dialog manager's DM_REPOSITION is 1026);
#   screenshots of the window and the About box.
# Screenshots are kept in the build folder. `tempyra.exe --version` prints
# the version on a pipe.
#
# First the unit tests that make windows (WINDOW_TESTS_EXE) on that screen.
#
#   windows_window.sh TEMPYRA_EXE WINDOW_TESTS_EXE PROBE_EXE RECORDER_EXE SCREEN_GRAB
#                     DEMO_FOLDER OUT_FOLDER
#
# Needs the wine prefix of run_wine_tests.sh, Xvfb, openbox and xdotool;
# without the X tools it is skipped (status 77).
set -uo pipefail
exe=$1
unit_tests=$2
probe=$3
recorder=$4
grab=$5
demo=$6
out=$7
here=$(cd "$(dirname "$0")" && pwd)
wine_run=$here/../../tools/windows/wine_run.sh
for tool in Xvfb openbox xdotool; do
  if ! command -v "$tool" > /dev/null 2>&1; then
    echo "skipped: $tool is not installed"
    exit 77
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/tempyra-window-XXXXXX")
# This run's screenshots only.
mkdir -p "$out"
rm -f "$out"/windows-*.png
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

# The Windows form of a path on this machine (wine's drive Z: is /).
windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }
# The probe's answer; asked again (up to three times) when it finds no
# such window, control or row, or wine could not start it.
probe() {
  local answer attempt
  for attempt in 1 2 3; do
    if answer=$("$wine_run" "$probe" "$@" 2> /dev/null); then
      printf '%s\n' "$answer" | tr -d '\r'
      return 0
    fi
    sleep 0.3
  done
  return 1
}
# Whether the probe prints $1 for the rest of the arguments.
probe_shows() {
  local expected=$1
  shift
  [ "$(probe "$@")" = "$expected" ]
}

mkdir "$work/music"
cp "$demo"/*.mp3 "$work/music/"
cp "$demo/house-128bpm.mp3" "$work/music/Café Ωmega.mp3"
# A file whose tag already holds a tempo, tagged by another program.
ffmpeg -loglevel error -i "$demo/steady-140bpm.mp3" -c copy -metadata TBPM=77 \
  "$work/music/zz-tagged.mp3" || fail "ffmpeg could not tag a file"
folder=$(windows_path "$work/music")

exec 5> "$work/display"
Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp > "$work/xvfb.log" 2>&1 &
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

# The prefix opens the help documents' type with the stand-in, which
# writes each document it is given on a line of $opened.
opened=$work/opened.txt
"$wine_run" reg add 'HKCR\.html' /ve /d TempyraTestDocument /f > /dev/null 2>&1 &&
  "$wine_run" reg add 'HKCR\TempyraTestDocument\shell\open\command' /ve \
    /d "\"$(windows_path "$recorder")\" \"$(windows_path "$opened")\" \"%1\"" /f > /dev/null 2>&1 ||
  fail "could not associate .html with the stand-in"

# 100 % first (a prefix that ran this test before was left at 200 %).
"$wine_run" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f \
  > /dev/null 2>&1 || fail "could not set 100 %"

"$wine_run" "$unit_tests" --gtest_brief=1 || fail "the window's unit tests failed"

version=$("$wine_run" "$exe" --version | tr -d '\r')
[[ $version =~ ^tempyra\ [0-9] ]] || fail "--version printed '$version'"

# Started in a folder without documents: they are found beside the program.
(cd "$work" && exec "$wine_run" "$exe" "$folder") > "$work/run.log" 2>&1 &
program=$!

wait_for 30 probe_shows 5 rows ||
  fail "the window did not list five rows (the list has: $("$wine_run" "$probe" rows 2>&1))"
path=$(probe path)
[ "$path" = "$folder" ] || fail "the path shows '$path', not '$folder'"
go=$(probe rect 1011)

"$grab" "$out/windows-window.png" || fail "no screenshot"
echo "screenshot: $out/windows-window.png"

window=$(xdotool search --name '^Tempyra$' | head -n 1)
[ -n "$window" ] || fail "no window named Tempyra on the screen"

# A menu's item from the keyboard: Alt and the menu's letter, then, once
# the menu shows, the item's letter.
open_menu() {
  local attempt
  for attempt in 1 2 3; do
    xdotool windowactivate --sync "$window" key "alt+$1"
    wait_for 5 probe_shows open menu-open && return 0
  done
  fail "Alt+$1 did not open its menu"
}
menu_command() {
  open_menu "$1"
  xdotool key "$2"
  wait_for 5 probe_shows closed menu-open || fail "the menu stayed open after $2"
}
# A left click in the middle of a rectangle "X Y WIDTH HEIGHT" ($1), or
# $2 pixels from its left edge.
click_in() {
  local x y width height
  read -r x y width height <<< "$1"
  [ -n "$height" ] || fail "no rectangle to click in"
  xdotool mousemove $((x + ${2:-width / 2})) $((y + height / 2)) sleep 0.2 click 1
}

# Project > Analyze Files: the worker's posted messages carry the run to
# its end, which offers the log in the save dialog.
menu_command p a
save=$(timeout 120 xdotool search --sync --name '^Would you like to save a log file\?$' | head -n 1)
[ -n "$save" ] || fail "no save dialog within 120 s of Analyze Files"
log=$(windows_path "$work/bpmlog")
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
  "steady-140bpm.mp3 140" "zz-tagged.mp3 140")
got=$(tr -d '\r' < "$work/bpmlog.txt" | sed 's/  */ /g')
[ "$got" = "$expected" ] || fail "log lines: $(cat -A "$work/bpmlog.txt")"
[ "$(grep -c $'\r$' "$work/bpmlog.txt")" -eq 5 ] || fail "log lines do not end in CR LF"
LC_ALL=C awk '{ if (length($0) != 81) exit 1 }' "$work/bpmlog.txt" ||
  fail "a log line is not 80 bytes before CR LF: $(cat -A "$work/bpmlog.txt")"
tempo=$(probe cell 2 0)
[[ $tempo =~ ^12[0-9]\.[0-9][0-9]$ ]] || fail "row 2 shows '$tempo', not the 128 of its log line"
"$grab" "$out/windows-window-analysed.png" && echo "screenshot: $out/windows-window-analysed.png"

# F1, then Help > Tutorial, Help and EULA: the documents beside the
# program, each handed to the shell's program for it.
# Each is waited for before the next is asked.
opened_count() { [ "$(cat "$opened" 2> /dev/null | wc -l)" -ge "$1" ]; }
xdotool windowactivate --sync "$window" key F1
wait_for 30 opened_count 1 || fail "F1 opened nothing"
menu_command h t
wait_for 30 opened_count 2 || fail "Help > Tutorial opened nothing"
menu_command h h
wait_for 30 opened_count 3 || fail "Help > Help opened nothing"
menu_command h e
wait_for 30 opened_count 4 || fail "Help > EULA opened nothing"
programs=$(windows_path "$(cd "$(dirname "$exe")" && pwd)")
expected=$(printf '%s\n' "$programs\\help.html" "$programs\\tutorial.html" "$programs\\help.html" \
  "$programs\\EULA.html")
[ "$(cat "$opened")" = "$expected" ] || fail "the shell was given $(cat "$opened"), not $expected"
for document in help.html tutorial.html EULA.html; do
  [ -s "$(dirname "$exe")/$document" ] || fail "$document is not beside the program"
done

# Tap tempo on row 2 ("house-128bpm.mp3", about 128): a click on the row
# selects it alone, which enables "Tap Beat Here". Four taps about 680 ms
# apart average near 88 BPM. The proposal depends on the timing the
# program saw, so the test checks its rule rather than a number: it is
# exactly half, double or two thirds of the row's tempo (most often two
# thirds, whose tolerance is 77 to 104 BPM here), or else a tapped tempo
# outside each of those tolerances. The pause after the last tap ends the
# series ("Set BPM = -V-"); "Set BPM" then writes V into the row.
click_in "$(probe row-rect 2)" 40
wait_for 10 probe_shows 1 enabled 1040 || fail "one row selected, and the tap button is disabled"
tap=$(probe rect 1040)
series_ended() { [[ $(probe text 1041) =~ ^Set\ BPM\ =\ -([0-9]+\.[0-9][0-9])-$ ]]; }
for attempt in 1 2 3; do
  # A series that a busy machine broke (its rhythm test) is tapped again.
  click_in "$tap"
  xdotool sleep 0.68 click 1 sleep 0.68 click 1 sleep 0.68 click 1
  wait_for 10 series_ended && break
  sleep 2
done
shown=$(probe text 1041)
[[ $shown =~ ^Set\ BPM\ =\ -([0-9]+\.[0-9][0-9])-$ ]] ||
  fail "after four taps and a pause the set-BPM button shows '$shown'"
proposal=${BASH_REMATCH[1]}
awk -v tempo="$tempo" -v shown="$proposal" 'BEGIN {
  half = sprintf("%.2f", 0.5 * tempo); twice = sprintf("%.2f", 2 * tempo)
  third = sprintf("%.2f", 2 / 3 * tempo)
  if (shown == half || shown == twice || shown == third) exit 0
  d1 = shown - 0.5 * tempo; d2 = shown - 2 * tempo; d3 = shown - 2 / 3 * tempo
  if (d1 < 0) d1 = -d1; if (d2 < 0) d2 = -d2; if (d3 < 0) d3 = -d3
  # A plain tapped tempo (to 0.01) outside every tolerance, and plausible.
  exit !(d1 >= 0.1 * tempo - 0.01 && d2 >= 0.2 * tempo - 0.01 && d3 >= 0.15 * tempo - 0.01 &&
         shown >= 40 && shown <= 200)
}' || fail "taps on a row of $tempo BPM proposed $proposal"
click_in "$(probe rect 1041)"
wait_for 10 probe_shows "$proposal" cell 2 0 || fail "Set BPM wrote '$(probe cell 2 0)' into row 2"
[ "$(probe image 2)" = 3 ] || fail "the tempo set by hand has row image $(probe image 2), not 3"

# The Project menu has the choices for large libraries, but not "All Audio
# Formats": this build has no decoder for the other formats.
# (Another process cannot read wine's menus: the test presses the item's
# letter, F, which would choose it and close the menu.)
open_menu p
"$grab" "$out/windows-project-menu.png" && echo "screenshot: $out/windows-project-menu.png"
xdotool key f
sleep 0.5
[ "$(probe menu-open)" = open ] || fail "the Project menu has an item for F (All Audio Formats)"
xdotool key Escape Escape
wait_for 5 probe_shows closed menu-open || fail "Escape did not close the Project menu"
# Larger, so that every row and column shows in the screenshots.
xdotool windowsize --sync "$window" 960 620 || fail "the window could not be resized"
# Project > Show Tags: a third column, "Tag", with the tempo of the file
# that has one in its tag, read after the menu choice.
[ "$(probe columns)" = 2 ] || fail "the list has $(probe columns) columns before Show Tags"
menu_command p s
wait_for 10 probe_shows 3 columns || fail "Show Tags did not add the Tag column"
wait_for 20 probe_shows 77 cell 4 2 || fail "the tagged file's Tag cell shows '$(probe cell 4 2)'"
[ "$(probe cell 0 2)" = "" ] || fail "an untagged file's Tag cell shows '$(probe cell 0 2)'"

# The row menu: a right click on row 0, which is not selected, makes it the
# only selected row; "Double", the first item, doubles its tempo.
first=$(probe cell 0 0)
read -r x y width height <<< "$(probe row-rect 0)"
[ -n "$height" ] || fail "row 0 has no rectangle"
xdotool mousemove $((x + 40)) $((y + height / 2)) sleep 0.2 click 3
sleep 0.5  # drawn
"$grab" "$out/windows-row-menu.png" && echo "screenshot: $out/windows-row-menu.png"
xdotool key Down Return
doubled=$(awk -v tempo="$first" 'BEGIN { printf "%.2f", 2 * tempo }')
wait_for 10 probe_shows "$doubled" cell 0 0 ||
  fail "Double from the row menu made row 0 '$(probe cell 0 0)', not $doubled"
[ "$(probe image 0)" = 3 ] || fail "a tempo fixed from the row menu has row image $(probe image 0)"
[ "$(probe cell 2 0)" = "$proposal" ] || fail "Double changed row 2, which was not selected"

# Rename Files with "Invert Selection" (every row but row 0 selected), the
# tempo at the beginning of the name and no decimals. "(174)
# breaks-174bpm.mp3" is already there: that rename is refused with a
# message naming both files, and neither file changes; the others go on.
printf 'a file of the user' > "$work/music/(174) breaks-174bpm.mp3"
click_in "$(probe rect 1025)"
menu_command p r
wait_for 20 probe message > /dev/null || fail "no message about the taken name"
message=$(probe message)
old=$(windows_path "$work/music/breaks-174bpm.mp3")
new=$(windows_path "$work/music/(174) breaks-174bpm.mp3")
[ "$message" = "$(printf 'Unable to rename file!\n%s\nto\n%s' "$old" "$new")" ] ||
  fail "the message says: $message"
"$grab" "$out/windows-rename-refused.png"
xdotool key Return
no_message() { ! probe message > /dev/null; }
wait_for 10 no_message || fail "Return did not close the message"
[ "$(cat "$work/music/(174) breaks-174bpm.mp3")" = 'a file of the user' ] ||
  fail "the file that had the name was changed"
cmp -s "$demo/breaks-174bpm.mp3" "$work/music/breaks-174bpm.mp3" ||
  fail "the file whose rename was refused changed"
renamed_all() {
  cmp -s "$demo/house-128bpm.mp3" "$work/music/($(awk -v tempo="$proposal" 'BEGIN { printf "%.0f", tempo }')) house-128bpm.mp3" &&
    cmp -s "$demo/steady-140bpm.mp3" "$work/music/(140) steady-140bpm.mp3" &&
    [ -s "$work/music/(140) zz-tagged.mp3" ]
}
wait_for 10 renamed_all || fail "the other rows' files were not renamed: $(ls "$work/music")"
[ ! -e "$work/music/house-128bpm.mp3" ] && [ ! -e "$work/music/steady-140bpm.mp3" ] &&
  [ -e "$work/music/Café Ωmega.mp3" ] || fail "the folder holds: $(ls "$work/music")"

# The folder chooser: "..." opens it; a folder's path typed into its name
# field and Return choose that folder, which the window lists at once.
mkdir "$work/second"
cp "$demo/steady-140bpm.mp3" "$demo/breaks-174bpm.mp3" "$work/second/"
second=$(windows_path "$work/second")
click_in "$(probe rect 1001)"
chooser=$(timeout 30 xdotool search --sync --name '^Select a folder' | head -n 1)
[ -n "$chooser" ] || fail "\"...\" did not open the folder chooser"
xdotool windowactivate --sync "$chooser"
xdotool type --delay 20 "$second"
xdotool key Return
wait_for 20 probe_shows "$second" path || fail "the path shows '$(probe path)', not '$second'"
wait_for 20 probe_shows 2 rows || fail "the chosen folder shows $(probe rows) rows, not 2"

# Duplicate, with the tempo at the end of the name: after Go! (the run
# leaves no row selected) and Invert Selection, Project > Rename Files
# copies each file beside itself; the files themselves stay as they were.
click_in "$(probe rect 1005)" 8
click_in "$(probe rect 1009)" 8
click_in "$(probe rect 1011)"
save=$(timeout 120 xdotool search --sync --name '^Would you like to save a log file\?$' | head -n 1)
[ -n "$save" ] || fail "the run over the chosen folder did not end"
xdotool windowactivate --sync "$save" key Escape
wait_for 10 probe_shows "" text 1024 || fail "the run over the chosen folder did not end"
click_in "$(probe rect 1025)"
menu_command p r
copied() {
  cmp -s "$demo/breaks-174bpm.mp3" "$work/second/breaks-174bpm (174).mp3" &&
    cmp -s "$demo/steady-140bpm.mp3" "$work/second/steady-140bpm (140).mp3"
}
wait_for 20 copied || fail "the files were not copied with their tempi: $(ls "$work/second")"
cmp -s "$demo/breaks-174bpm.mp3" "$work/second/breaks-174bpm.mp3" &&
  cmp -s "$demo/steady-140bpm.mp3" "$work/second/steady-140bpm.mp3" ||
  fail "a copied file itself changed: $(ls "$work/second")"

# Help > About Tempyra...: the box from its table, its screenshot $1,
# closed by Escape.
about_closed() { [ -z "$(xdotool search --name '^About Tempyra$' 2> /dev/null)" ]; }
about_box() {
  local about
  open_menu h
  xdotool key a
  about=$(timeout 30 xdotool search --sync --name '^About Tempyra$' | head -n 1)
  [ -n "$about" ] || fail "no About box"
  sleep 0.5  # drawn
  "$grab" "$out/$1" && echo "screenshot: $out/$1"
  xdotool windowactivate --sync "$about" key Escape
  wait_for 20 about_closed || fail "Escape did not close the About box"
}
# Escape closes the window, and the program ends with status 0.
ended() { ! kill -0 "$program" 2> /dev/null; }
close_window() {
  local status
  xdotool windowactivate --sync "$window" key Escape
  wait_for 30 ended || fail "Escape did not close the window"
  wait "$program"
  status=$?
  [ "$status" = 0 ] || fail "tempyra.exe ended with status $status"
}
about_box windows-about.png
close_window

# At 200 % (192 pixels per inch), the window and the About box once more,
# for the screenshots: the controls twice as large, not stretched.
read -r _ _ go_width go_height <<< "$go"
"$wine_run" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 192 /f \
  > /dev/null 2>&1 || fail "could not set 200 %"
# A long mix, listed first, for the run below.
for copy in $(seq 10); do echo "file '$demo/house-128bpm.mp3'"; done > "$work/mix.txt"
ffmpeg -loglevel error -f concat -safe 0 -i "$work/mix.txt" -c copy "$work/music/!long-mix.mp3" ||
  fail "ffmpeg could not make the long mix"
(cd "$work" && exec "$wine_run" "$exe" "$folder") >> "$work/run.log" 2>&1 &
program=$!
files=$(find "$work/music" -name '*.mp3' | wc -l)
wait_for 30 probe_shows "$files" rows || fail "the window at 200 % did not list $files rows"
read -r _ _ large_width large_height <<< "$(probe rect 1011)"
[ $((large_height * 10 / go_height)) -ge 18 ] && [ $((large_height * 10 / go_height)) -le 22 ] ||
  fail "Go! is $large_width x $large_height at 200 %, $go_width x $go_height at 100 %"
window=$(xdotool search --name '^Tempyra$' | head -n 1)

# A run starts, and while the long mix (its first file) is analysed another
# program sends the window the dialog manager's DM_REPOSITION, which has
# the number of the worker's result (1026), and 1027: without the worker's
# mark neither is taken for a result, and the run stays on the mix.
mix=$(windows_path "$work/music/!long-mix.mp3")
status=$(probe forge-results)
[ "$status" = "$(printf '%s\n%s' "$mix" "$mix")" ] ||
  fail "the status line before and after the forged results: $status"
save=$(timeout 120 xdotool search --sync --name '^Would you like to save a log file\?$' | head -n 1)
[ -n "$save" ] || fail "the run at 200 % did not end"
xdotool windowactivate --sync "$save" key Escape
wait_for 10 probe_shows "" text 1024 || fail "the run at 200 % did not end"
mix_analysed() { [ "$(probe image 0)" = 1 ] && [[ $(probe cell 0 0) =~ ^12[0-9]\.[0-9][0-9]$ ]]; }
wait_for 10 mix_analysed ||
  fail "the long mix of a 128 BPM track shows '$(probe cell 0 0)', image $(probe image 0)"
sleep 0.5  # drawn
"$grab" "$out/windows-window-200.png" && echo "screenshot: $out/windows-window-200.png"
about_box windows-about-200.png
close_window
echo "window listed, analysed, tapped, renamed, browsed, duplicated and closed; documents opened; shown at 200 %"
