# What the shell tests of the window share, sourced after they have set
# $grab (the screen grab tool), $work (the test's folder) and $tempyra
# (the program under test); start_window sets $pid and $win.

# Waits up to $1 seconds for the command after it to succeed.
wait_for() {
  local seconds=$1
  shift
  local deadline=$((SECONDS + seconds))
  until "$@"; do
    [ $SECONDS -ge $deadline ] && return 1
    sleep 0.2
  done
}

# Saves the window $1 (its area of the screen) as $2.
screenshot() {
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$1")"
  "$grab" "$2" "$X" "$Y" "$WIDTH" "$HEIGHT" || die "screenshot $2"
  echo "screenshot: $2"
}

# How many windows of the program are on the screen (a menu's popup counts).
windows_shown() { xdotool search --onlyvisible --pid "$pid" 2>/dev/null | wc -l; }

# The desktop's opener: a stand-in on $work/bin, first on the PATH of a
# window started with start_window, that writes down what it was given in
# $work/opened.
stand_in_opener() {
  mkdir -p "$work/bin"
  printf '#!/bin/sh\nprintf "%%s\\n" "$*" >>"%s/opened"\n' "$work" >"$work/bin/xdg-open"
  chmod +x "$work/bin/xdg-open"
}

# Starts the program on the folder $1 ("--" ends the options, as a script
# that guards its folder names would start it) and waits for its window.
start_window() {
  PATH="$work/bin:$PATH" "$tempyra" -- "$1" 2>"$work/stderr" &
  pid=$!
  win=$(timeout 60 xdotool search --sync --onlyvisible --name '^Tempyra$' | head -1)
  [ -n "$win" ] || die "the window did not come up within 60 s"
}

# Opens a menu with the key $1 (alt+p, alt+h): its popup is one more window
# of the program. Pressed again after a long wait only: a second press
# would close a menu that was only slow to show.
open_menu() {
  local before
  before=$(windows_shown)
  for attempt in 1 2 3; do
    xdotool windowfocus --sync "$win" || die "cannot focus the window"
    xdotool key "$1"
    wait_for 10 test "$(windows_shown)" -gt "$before" && return 0
  done
  die "$1 did not open its menu"
}
