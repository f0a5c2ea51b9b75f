#!/usr/bin/env bash
# What a real X display and window manager add to tst_frmAbout: Help, About
# (typed as Alt+H, A) opens a box the window manager knows as modal and owned
# by the main window, and a click into the main window does not get Ctrl+E
# past it.
# Usage: x11_about_test.sh PATH/TO/tramsel
set -euo pipefail
program=$1
. "$(dirname "$0")/../support/x11_session.sh"

start "$program"
main=$(main_window)
activate "$main"
xdotool key --clearmodifiers --delay 300 alt+h a
wait_until 20 visible '^About Tramsel$' || fail "Help, About did not show the box"
about=$(visible '^About Tramsel$')
xprop -id "$about" WM_TRANSIENT_FOR | grep -qi "$(printf '0x%x' "$main")" ||
    fail "the box is not owned by the main window"
xprop -id "$about" _NET_WM_STATE | grep -q _NET_WM_STATE_MODAL || fail "the box is not modal"
echo "ok: Help, About shows the box, modal and owned by the main window"

xdotool mousemove --window "$main" 150 150 click 1
xdotool key --clearmodifiers ctrl+e
# For two seconds: no entry dialog, and the box still open.
box_alone() { gone '^Enter User$' && visible '^About Tramsel$'; }
holds 2 box_alone || fail "Ctrl+E opened the entry dialog, or the box closed, while the box was open"
echo "ok: Ctrl+E does nothing while the box is open"
