#!/usr/bin/env bash
# The notification icon with real mouse and keyboard input (xdotool on an Xvfb of its own):
# left click shows the window, the menu's first item hides it, its last item ends the program.
# Usage: real_tray.sh <folder with TalvexCfg.exe and uidriver.exe>
set -euo pipefail
bin=$1
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/../../scripts/lib/wine-prefix.sh"

export WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/talvex-tray.XXXXXX") WINEDEBUG=-all
xvfb_pid=""
cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$WINEPREFIX"
}
trap cleanup EXIT
talvex_copy_prefix "$(talvex_wine_template)" "$WINEPREFIX"
bin=$(talvex_program_folder "$bin" "$WINEPREFIX")
talvex_start_xvfb

key='HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\NetworkCards\1'
wine reg add "$key" /v Title /d "Talvex Fast Ethernet Adapter" /f >/dev/null
wine reg add "$key" /v ProductName /d TVR8Q /f >/dev/null
wine reg add "$key" /v ServiceName /d TVR8Q1 /f >/dev/null

step() { # step NAME [ARG]: the program reaches that state, or the test fails
    wine "$bin/uidriver.exe" "$@" || { echo "FAILED: program did not reach '$*'"; exit 1; }
}

wine "$bin/TalvexCfg.exe" &
app=$!
step wait
step hidden

# Wine's tray window holds the icon at its left end, 10 pixels in.
tray=""
for _ in $(seq 1 100); do
    tray=$(xdotool search --name '^Wine System Tray$' 2>/dev/null | head -n 1) && [ -n "$tray" ] && break
    sleep 0.1
done
[ -n "$tray" ] || { echo "FAILED: no notification area"; exit 1; }
eval "$(xdotool getwindowgeometry --shell "$tray")"
icon_x=$((X + 10)) icon_y=$((Y + 10))

xdotool mousemove "$icon_x" "$icon_y" click 1
step visible

menu_choice() { # right-click the icon, then pick an item with the keys given
    xdotool mousemove "$icon_x" "$icon_y" click 3
    step menu
    xdotool key "$@"
}
menu_choice Down Return
step hidden
menu_choice Up Return
step gone
wait "$app"
echo "real tray: passed"
