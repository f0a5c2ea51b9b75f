#!/usr/bin/env bash
# Tramsel on a real X display (Xvfb, openbox), driven by keystrokes: Ctrl+E,
# an account typed into the dialog, Enter; the report area read back through
# the clipboard; then Ctrl+L and Ctrl+Q, each with the focus in Text1.
# Usage: x11_keystrokes_test.sh PATH/TO/tramsel
set -euo pipefail
program=$1
. "$(dirname "$0")/../support/x11_session.sh"

"$program" >"$work/tramsel.log" 2>&1 &
tramsel=$!
pids+=("$tramsel")

visible() { xdotool search --onlyvisible --name "$1"; }
main_window() { xdotool search --onlyvisible --name '^Tramsel V\. 2\.0$' | head -n 1; }
clipboard() { xclip -o -selection clipboard 2>/dev/null; }
# The whole text of Text1, through select-all and copy.
copy_report() {
    xdotool windowactivate --sync "$(main_window)"
    xdotool key --clearmodifiers ctrl+a ctrl+c
}

wait_until 60 main_window || { cat "$work/tramsel.log"; fail "the main window did not show"; }
xdotool windowactivate --sync "$(main_window)"

# Ctrl+E with the focus in Text1 (the window's only focusable control).
xdotool key --clearmodifiers ctrl+e
wait_until 20 visible '^Enter User$' || fail "Ctrl+E did not show the dialog"
xdotool windowactivate --sync "$(visible '^Enter User$')"
xdotool type --delay 20 'sales'
xdotool key Tab
xdotool type --delay 20 'nobody'
xdotool key Return
wait_until 20 bash -c "! xdotool search --onlyvisible --name '^Enter User\$'" ||
    fail "OK did not hide the dialog"

expected=$(printf '\nNo such NT account: '"'"'SALES\\nobody'"'"',\nor ADSI is not installed on your computer.\nYou need to install ADSI:\nhttp://download.microsoft.com/ntserver/downloads/bin/nts/adsx86.exe\nor use Windows 2000\n\nx')
expected=${expected%x}
report_is_expected() { [ "$(clipboard; echo x)" = "${expected}x" ]; }
copy_report
wait_until 10 report_is_expected || {
    echo "--- Text1 holds:"; clipboard | od -c | head -n 40
    fail "Text1 does not hold the failure text"
}
echo "ok: Ctrl+E, an entry and Enter show the failure text in Text1"

# Ctrl+E again brings the hidden dialog back with its texts: Enter reports again.
printf 'before' | xclip -i -selection clipboard 2>/dev/null
xdotool key --clearmodifiers ctrl+e
wait_until 20 visible '^Enter User$' || fail "the second Ctrl+E did not show the dialog"
xdotool windowactivate --sync "$(visible '^Enter User$')"
xdotool key Return
wait_until 20 bash -c "! xdotool search --onlyvisible --name '^Enter User\$'" ||
    fail "the dialog did not keep its texts"
copy_report
wait_until 10 report_is_expected || fail "the second report differs"
echo "ok: the dialog came back with its texts"

# Ctrl+L empties Text1: select-all and copy (just seen to work) find nothing to copy.
printf 'sentinel' | xclip -i -selection clipboard 2>/dev/null
xdotool windowactivate --sync "$(main_window)"
xdotool key --clearmodifiers ctrl+l
copy_report
sleep 1
[ "$(clipboard)" = sentinel ] || fail "Ctrl+L did not empty Text1 (it holds: $(clipboard))"
echo "ok: Ctrl+L empties Text1"

# Ctrl+Q ends the program, hidden dialog and all.
xdotool key --clearmodifiers ctrl+q
wait_until 30 bash -c "! kill -0 $tramsel" || fail "Ctrl+Q did not end the program"
status=0
wait "$tramsel" || status=$?
[ "$status" -eq 0 ] || { cat "$work/tramsel.log"; fail "the program ended with status $status"; }
echo "ok: Ctrl+Q ends the program"
