#!/usr/bin/env bash
# The real sweepora.exe inside a Wine desktop (which brings the taskbar and the tray),
# driven from outside with real input: the tray icon, its menu, stealth, panic and both
# hotkeys. Logging off and shutting down are only written down
# (SWEEPORA_RECORD_SESSION_END), never done.
#   tray-e2e.sh BIN_DIR SANDBOX_DIR
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
bin=$1; sb=$2
ws="$root/tools/wine-sandbox"
"$ws" "$sb" --init
export DISPLAY=":$(tr -d '\n' < "$sb/display")"
program="$sb/prefix/drive_c/Sweepora"
mkdir -p "$program"
cp "$bin/sweepora.exe" "$bin/iea.exe" "$bin/close-window.exe" "$program/"
cp -r "$bin/plugins" "$bin/help" "$program/"
record="$program/session.txt"
export SWEEPORA_RECORD_SESSION_END='C:\Sweepora\session.txt'
failures=0

setting() { "$ws" "$sb" --wine reg add "HKCU\\Software\\Sweepora\\$1" /v "$2" /d "$3" /f >/dev/null 2>&1; }
check() { # check WHAT COMMAND...: one line per expectation
  local what=$1; shift
  if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}
shown() { [ -n "$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null)" ]; }
hidden() { ! shown "$1"; }
wait_for() { # wait_for shown|hidden TITLE
  for _ in $(seq 40); do "$1" "$2" && return 0; sleep 0.25; done
  return 1
}
recorded() {
  local got
  got=$(tr -d '\r' < "$record" 2>/dev/null | paste -sd,)
  [ "$got" = "$1" ] || { echo "     recorded: $got"; return 1; }
}
desktop=""
focus() { xdotool windowfocus --sync "$desktop" 2>/dev/null; }
hotkey() { # hotkey LETTERS HOLD_SECONDS
  focus
  xdotool keydown ctrl alt $1; sleep "$2"; xdotool keyup $(echo "$1" | rev) alt ctrl
  sleep 0.5
}
tray_click() { focus; xdotool mousemove --window "$desktop" 1016 758 click "$1"; sleep 0.7; }
# The visible menu (a nameless window of a menu's shape; the icon's tooltip is a small one):
# its top edge. Positions inside a Wine desktop come doubled.
menu_top() {
  for w in $(xdotool search --onlyvisible --name '^$' 2>/dev/null); do xdotool getwindowgeometry "$w"; done |
    tr '\n' ' ' | sed 's/Window /\n/g' |
    sed -n 's/.*Position: [0-9]*,\([0-9]*\).*Geometry: \([0-9]*\)x\([0-9]*\).*/\1 \2 \3/p' |
    awk '$2 < 600 && $3 > 100 { print int($1 / 2); exit }'
}
# menu_item N SEPARATORS: clicks the tray menu's Nth item (from 0) below that many
# separators. Items are 17 pixels high, separators 9.
menu_item() {
  local top
  top=$(menu_top)
  [ -n "$top" ] || return 1
  xdotool mousemove --window "$desktop" 900 $((top + 3 + $1 * 17 + $2 * 9 + 8)) click 1
  sleep 1
}
menu_shown() { [ -n "$(menu_top)" ]; }
no_menu() { ! menu_shown; }
# A minimised window is a small title bar at the foot of the Wine desktop.
minimised() {
  local w
  w=$(xdotool search --name "^$1\$" 2>/dev/null | head -1)
  [ -n "$w" ] && [ "$(xdotool getwindowgeometry "$w" | sed -n 's/.*Geometry: [0-9]*x\([0-9]*\)/\1/p')" -lt 40 ]
}
running() { pgrep -f 'C:.Sweepora.sweepora.exe' >/dev/null; }
launch() { # launch [ARG]: the program in the tray, as a start-up entry starts it ("m"), or shown ("")
  "$ws" "$sb" --wine explorer /desktop=Sweepora,1024x768 'C:\Sweepora\sweepora.exe' ${1-m} </dev/null >/dev/null 2>&1 &
  for _ in $(seq 80); do
    desktop=$(xdotool search --name '^Sweepora - Wine desktop$' 2>/dev/null | head -1)
    [ -n "$desktop" ] && break
    sleep 0.25
  done
  sleep 4
}
quit() { # quit: Alt+F4 on the shown window, as a user closes it
  local w
  w=$(xdotool search --onlyvisible --name '^Sweepora$' | head -1)
  xdotool windowfocus --sync "$w" 2>/dev/null; xdotool key alt+F4
  ended
}
ended() { # ended: true once the program has exited
  for _ in $(seq 40); do running || break; sleep 0.25; done
  sleep 1
  ! running
}

for s in "Hide 1" "PerformCleaning 0" "MinimizeWindows 1" "Logoff 1" "Shutdown 1"; do setting HotKeyActions $s; done
setting Startup DonotShowMessBox 1
launch
check "started with \"m\": in the tray only" hidden Sweepora
tray_click 3
check "right click in the tray shows the menu" menu_shown
menu_item 0 0 # "Open"
check "the menu's Open shows the window" wait_for shown Sweepora
tray_click 3
check "right click while the window is open shows no menu" no_menu
xdotool key Escape

hotkey h 1.5
check "CTRL+ALT+H hides the window" wait_for hidden Sweepora
check "a held CTRL+ALT+H minimises, then logs off, once each, and never shuts down" \
  recorded "MinimizeAllWindows 0,ExitWindowsSession 0"
hotkey u 0.3
check "CTRL+ALT+U brings the window back" wait_for shown Sweepora
hotkey "u h" 0.3
check "both combinations at once only unhide" shown Sweepora
check "... and run no action" recorded "MinimizeAllWindows 0,ExitWindowsSession 0"
quit

# From here on CTRL+ALT+H only minimises all windows, which takes the program's own too.
for s in Hide Logoff Shutdown; do setting HotKeyActions $s 0; done
: > "$record"
launch
tray_click 1
check "left click on the icon opens the window" wait_for shown Sweepora
hotkey h 0.3
check "CTRL+ALT+H with only minimising ticked sends the window to the tray" wait_for hidden Sweepora
check "... through the desktop" recorded "MinimizeAllWindows 0"
tray_click 3
menu_item 4 1 # "Hide Sweepora"
check "Hide without the notice: no notice" hidden "HotKey Information"
tray_click 3
check "Hide: no icon left to click" no_menu
xdotool key Escape
check "Hide: the window stays hidden" hidden Sweepora
hotkey u 0.3
check "CTRL+ALT+U ends stealth" wait_for shown Sweepora
hotkey h 0.3
wait_for hidden Sweepora
tray_click 3
check "... and brings the icon back" menu_shown
menu_item 0 0 # "Open"
quit

# Hide with the notice; the notice is read from the settings each time. It is modal over
# the main window, and closing that window under it (as a task manager does) ends the program.
setting Startup DonotShowMessBox 0
launch
tray_click 3
menu_item 4 1 # "Hide Sweepora"
check "Hide with the notice: \"HotKey Information\" shows" wait_for shown "HotKey Information"
check "... while the window is already hidden" hidden Sweepora
hotkey u 0.3
check "CTRL+ALT+U with the notice up brings the window back" wait_for shown Sweepora
check "... and the notice stays" shown "HotKey Information"
# In the program's desktop: another desktop's windows are out of its sight.
"$ws" "$sb" --wine explorer /desktop=Sweepora,1024x768 'C:\Sweepora\close-window.exe' Sweepora.main \
  </dev/null >/dev/null 2>&1 &
check "closing the window under the notice ends the program" ended

# Panic with another program's window open.
setting Startup DonotShowMessBox 1
launch ""
check "a second start opens the window" wait_for shown Sweepora
hotkey h 0.3 # only minimising is ticked: the window goes to the tray
wait_for hidden Sweepora
: > "$record"
"$ws" "$sb" --wine explorer /desktop=Sweepora,1024x768 notepad </dev/null >/dev/null 2>&1 &
wait_for shown "Untitled - Notepad" || true
tray_click 3
menu_item 3 1 # "Hide Sweepora/Minimize all windows"
check "panic minimises all windows, through the desktop" recorded "MinimizeAllWindows 0"
check "panic minimises another program's window" wait_for minimised "Untitled - Notepad"
check "panic leaves the program hidden" hidden Sweepora
hotkey u 0.3
check "CTRL+ALT+U after panic" wait_for shown Sweepora
quit

"$ws" "$sb" --stop
echo "$failures failure(s)"
[ "$failures" -eq 0 ]
