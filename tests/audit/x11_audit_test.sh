#!/usr/bin/env bash
# The audit window by keys on a real X display: Ctrl+U opens it, List lists
# a --root tree, Ctrl+C copies the rows, a header sorts them, and Save As writes the bytes that
# `tramsel --audit --root TREE --format csv` prints.
# Usage: x11_audit_test.sh PATH/TO/tramsel
set -euo pipefail
program=$1
. "$(dirname "$0")/../support/x11_session.sh"
python3 "$(dirname "$0")/../../bench/make_linux_tree.py" "$work/tree" 400 files 40 >/dev/null

start "$program" --root "$work/tree"
activate "$(main_window)"
xdotool key --clearmodifiers ctrl+u
wait_until 20 visible '^Tramsel - Audit Accounts$' || fail "Ctrl+U did not show the audit window"
activate "$(visible '^Tramsel - Audit Accounts$')"
xdotool key --clearmodifiers alt+l

# The table's rows, once listed: a header line and 44 accounts.
copied() { xdotool key --clearmodifiers alt+f Tab ctrl+a ctrl+c; [ "$(clipboard | wc -l)" -eq 45 ]; }
wait_until 30 copied || { clipboard | head; fail "the listed rows were not copied"; }
[ "$(clipboard | head -n 1)" = $'account\tfullName\tlastLogin\tlastFailedLogin\tbadLoginCount\tpasswordExpires\tdisabled\tlocked\r' ] ||
    fail "the copied header is $(clipboard | head -n 1 | od -c)"
echo "ok: Ctrl+U, List and Ctrl+C copy every row with a header line"

xdotool key --clearmodifiers alt+s
wait_until 20 visible '^Save As$' || fail "Save As did not ask for a file"
activate "$(visible '^Save As$')"
xdotool type --delay 10 "$work/saved"
xdotool key Return
wait_until 20 test -s "$work/saved.csv" || fail "Save As wrote no saved.csv"
"$program" --audit --root "$work/tree" --format csv >"$work/printed.csv"
cmp "$work/saved.csv" "$work/printed.csv" || fail "Save As and --audit --format csv differ"
echo "ok: Save As writes the command line's CSV byte for byte"

# A header click sorts by its column and the next the other way, in the order
# --sort gives (the second click further along, so as not to be a double-click).
order() { "$program" --audit --root "$work/tree" --format csv --sort "$1" | tr -d '\r' | cut -d, -f1; }
sorted_by() { copied && [ "$(clipboard | tr -d '\r' | cut -f1)" = "$(order "$1")" ]; }
wait_until 20 gone '^Save As$' || fail "the Save dialog stayed open"
activate "$(visible '^Tramsel - Audit Accounts$')"
for click in 'lastLogin 280' '-lastLogin 340'; do
    xdotool mousemove --window "$(visible '^Tramsel - Audit Accounts$')" "${click#* }" 103 click 1
    wait_until 30 sorted_by "${click% *}" || fail "a click on lastLogin's header did not sort as --sort ${click% *}"
done
echo "ok: lastLogin's header sorts as --sort lastLogin, then as --sort -lastLogin"
quit
