# What the shell tests of the window share, sourced after they have set
# $grab (the screen grab tool) and, before windows_shown is called, $pid
# (the program under test).

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
