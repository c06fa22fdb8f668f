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
# Conditions for wait_for, counted at each poll (an argument "$(...)" to
# wait_for would be counted once, before the first).
shown_more_than() { [ "$(windows_shown)" -gt "$1" ]; }
shown_exactly() { [ "$(windows_shown)" -eq "$1" ]; }

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

# Runs the command after the time-out $1 (a click or keys that open a
# menu) up to three times, until the program shows one window more (the
# menu's popup) than just before that try; $before is left at that count.
# Each try counts afresh, so that a menu that a slow try opened late (and
# this try closed again), or a window gone meanwhile, cannot spoil it.
try_open_menu() {
  local seconds=$1 attempt
  shift
  for attempt in 1 2 3; do
    before=$(windows_shown)
    "$@"
    wait_for "$seconds" shown_more_than "$before" && return 0
  done
  return 1
}

# The key $1 (alt+p, alt+h) pressed in the window.
key_in_window() {
  xdotool windowfocus --sync "$win" || die "cannot focus the window"
  xdotool key "$1"
}

# Opens a menu with the key $1.
open_menu() {
  try_open_menu 10 key_in_window "$1" || die "$1 did not open its menu"
}

# The program's visible windows, for a failure's report.
list_windows() {
  local w
  for w in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
    echo "window $w: $(xdotool getwindowname "$w" 2>/dev/null)" \
      "$(xdotool getwindowgeometry "$w" 2>/dev/null | tr '\n' ' ')"
  done
}
