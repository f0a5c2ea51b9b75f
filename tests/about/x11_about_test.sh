#!/usr/bin/env bash
# Help, About on a real X display (Xvfb, openbox): the box opens modal over
# the main window and owned by it; Ctrl+E opens nothing while it is open;
# Enter and Esc close it, and the main window takes its keys again.
# Usage: x11_about_test.sh PATH/TO/tramsel
set -euo pipefail
program=$1
. "$(dirname "$0")/../support/x11_session.sh"

"$program" >"$work/tramsel.log" 2>&1 &
pids+=($!)

visible() { xdotool search --onlyvisible --name "$1" | head -n 1 | grep .; }
gone() { ! visible "$1"; }
wait_until 60 visible '^Tramsel V\. 2\.0$' || { cat "$work/tramsel.log"; fail "the main window did not show"; }
main=$(visible '^Tramsel V\. 2\.0$')

show_about() {
    xdotool windowactivate --sync "$main"
    xdotool key --clearmodifiers --delay 300 alt+h a
    wait_until 20 visible '^About Tramsel$' || fail "Help, About did not show the box"
}

show_about
about=$(visible '^About Tramsel$')
xprop -id "$about" WM_TRANSIENT_FOR | grep -qi "$(printf '0x%x' "$main")" ||
    fail "the box is not owned by the main window"
xprop -id "$about" _NET_WM_STATE | grep -q _NET_WM_STATE_MODAL || fail "the box is not modal"
echo "ok: Help, About shows the box, modal and owned by the main window"

# Ctrl+E in the box, then after a click into the main window's report area.
xdotool key --clearmodifiers ctrl+e
xdotool mousemove --window "$main" 150 150 click 1
xdotool key --clearmodifiers ctrl+e
sleep 1
gone '^Enter User$' || fail "Ctrl+E opened the entry dialog while the box was open"
visible '^About Tramsel$' >/dev/null || fail "the box closed by itself"
echo "ok: Ctrl+E does nothing while the box is open"

xdotool key Return
wait_until 20 gone '^About Tramsel$' || fail "Enter did not close the box"
show_about
xdotool key Escape
wait_until 20 gone '^About Tramsel$' || fail "Esc did not close the box"
echo "ok: Enter and Esc close the box"

xdotool windowactivate --sync "$main"
xdotool key --clearmodifiers ctrl+e
wait_until 20 visible '^Enter User$' || fail "Ctrl+E did nothing after the box had closed"
echo "ok: the main window takes its shortcuts again"
