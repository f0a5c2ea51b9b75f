#!/usr/bin/env bash
# What a real X display and window manager add to the window tests: the keys
# reach Text1 through the window manager's focus, the report leaves through
# the X clipboard with its line ends, and Ctrl+Q ends the process (with the
# entry dialog hidden, not closed) with status 0. The commands themselves:
# tst_frmMain and tst_frmEnterUser.
# Usage: x11_keystrokes_test.sh PATH/TO/tramsel
set -euo pipefail
program=$1
. "$(dirname "$0")/../support/x11_session.sh"

start "$program"
activate "$(main_window)"
xdotool key --clearmodifiers ctrl+e
wait_until 20 visible '^Enter User$' || fail "Ctrl+E did not show the dialog"
activate "$(visible '^Enter User$')"
xdotool type --delay 20 'sales'
xdotool key Tab
xdotool type --delay 20 'nobody'
xdotool key Return
wait_until 20 gone '^Enter User$' || fail "OK did not hide the dialog"

# Text1's whole text, through select-all and copy.
expected=$(failure_text 'SALES\nobody'; echo x)
activate "$(main_window)"
xdotool key --clearmodifiers ctrl+a ctrl+c
wait_until 10 clipboard_is "${expected%x}" || { clipboard | od -c | head -n 40; fail "Text1 does not hold the failure text"; }
echo "ok: Ctrl+E, an entry and Enter show the failure text in Text1"

quit
echo "ok: Ctrl+Q ends the program"
