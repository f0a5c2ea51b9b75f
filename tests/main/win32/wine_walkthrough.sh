#!/usr/bin/env bash
# tramsel.exe under Wine on a real X display (Xvfb, openbox), driven by
# keystrokes: the entry dialog and its checks, the report read back through
# the clipboard, the about box and Exit, the audit window over a
# WinNT container of generated users (fake_winnt.dll, registered as Wine's
# WinNT provider); then the console answers and input at the edges. Wine
# runs in a prefix of its own, removed afterwards. With SCREENSHOTS=DIR, the
# audit window is also saved there as X window dumps.
# Usage: wine_walkthrough.sh PATH/TO/tramsel.exe PATH/TO/fake_winnt.dll
set -euo pipefail
exe=$(realpath "$1")
fake=$(realpath "$2")
for tool in wine wineserver Xvfb openbox xdotool xclip xprop; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
. "$(dirname "$0")/../../support/x11_session.sh"

export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
stop_wine() { wineserver -k 2>/dev/null || true; wineserver -w 2>/dev/null || true; cleanup; }
trap stop_wine EXIT
wineboot --init >/dev/null 2>&1 || fail "wineboot did not set up the prefix"
# Wine does not look for Debian's fonts-wine: the dialog font (Tahoma), the
# about box's MS Sans Serif and the title bar symbols (Marlett).
for font in tahoma.ttf tahomabd.ttf sserife.fon marlett.ttf; do
    cp "/usr/share/wine/fonts/$font" "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
done

# The fake WinNT provider, as ADSI finds providers: by the path's prefix.
dll=$(winepath -w "$fake")
cat >"$work/winnt.reg" <<REG
REGEDIT4

[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\ADs\\Providers\\WinNT]
@="TramselTest.WinNT"

[HKEY_CLASSES_ROOT\\TramselTest.WinNT\\CLSID]
@="{5A1C0C4E-7E0D-4F43-9D6A-3F1B2C4D5E6F}"

[HKEY_CLASSES_ROOT\\CLSID\\{5A1C0C4E-7E0D-4F43-9D6A-3F1B2C4D5E6F}\\InprocServer32]
@="${dll//\\/\\\\}"
"ThreadingModel"="Both"
REG
wine regedit /S "$work/winnt.reg" || fail "the fake WinNT provider could not be registered"
screenshot() { [ -z "${SCREENSHOTS:-}" ] || xwd -root -silent >"$SCREENSHOTS/$1.xwd"; }

# An open menu is a nameless window of the program's class.
menu_open() {
    local id name
    for id in $(x_search --onlyvisible --classname '^tramsel\.exe$'); do
        name=$(xdotool getwindowname "$id") && [ -z "$name" ] && return 0
    done
    return 1
}
# The whole text of Text1, through Ctrl+A and Ctrl+C (the clipboard turns CR LF into LF).
copy_report() { activate "$(main_window)"; xdotool key --clearmodifiers ctrl+a ctrl+c; }
# expect_report NAME WHY: Text1 holds the failure text for NAME. Copied until
# it reads back: the report may still be on its way into Text1, and Wine
# hands a copy on to the X clipboard a moment later.
expect_report() {
    expected=$(failure_text "$1"; echo x)
    copied_report_is() { copy_report && wait_until 2 clipboard_is "${expected%x}"; }
    wait_until 30 copied_report_is || { clipboard | od -c | head -n 20; fail "$2"; }
}
# open_dialog WHY: Ctrl+E in the main window, and the entry dialog gets the keyboard.
open_dialog() {
    activate "$(main_window)"
    xdotool key --clearmodifiers ctrl+e
    wait_until 20 visible '^Enter User$' || fail "$1"
    activate "$(visible '^Enter User$')"
}
# answer_message WHY: a message box shows, and Enter closes it.
answer_message() {
    wait_until 20 visible '^Tramsel - Error$' || fail "$1"
    activate "$(visible '^Tramsel - Error$')"
    xdotool key Return
    wait_until 20 gone '^Tramsel - Error$' || fail "the message box did not close"
}
started=$SECONDS
start wine "$exe"

# 1-2: Ctrl+E opens the dialog with the caret in Domain: Tab, a user name and
# Enter find the domain empty; after OK on the message the caret is back in Domain.
open_dialog "Ctrl+E did not show the dialog"
# Without owner, yet out of the task bar: Wine tells the window manager so.
main_id=$(printf '0x%x' "$(main_window)")
dialog_props=$(xprop -id "$(visible '^Enter User$')" _NET_WM_STATE WM_TRANSIENT_FOR)
grep -q _NET_WM_STATE_SKIP_TASKBAR <<<"$dialog_props" || fail "the dialog shows in the task bar"
! grep -q "# $main_id\$" <<<"$dialog_props" || fail "the dialog is owned by the main window"
xdotool key Tab
xdotool type --delay 20 'nobody'
xdotool key Return
answer_message "an empty domain got no message box"
activate "$(visible '^Enter User$')"
echo "ok: Ctrl+E opens the dialog; an empty domain is refused"

# 3: the domain typed where the caret went back; Enter hides the dialog and
# Text1 holds the failure text (Wine's ADSI has no WinNT provider).
xdotool type --delay 20 'sales'
xdotool key Return
wait_until 20 gone '^Enter User$' || fail "OK did not hide the dialog"
activate "$(main_window)"
expect_report 'SALES\nobody' "Text1 does not hold the failure text for SALES\\nobody"
echo "ok: sales, nobody and Enter write the failure text to Text1"

# 5: Esc discards the dialog: the next one starts empty, so OK finds no domain.
open_dialog "Ctrl+E did not show the dialog again"
xdotool key Escape
wait_until 20 destroyed '^Enter User$' || fail "Esc did not discard the dialog"
open_dialog "Ctrl+E did not load a new dialog"
xdotool key Return
answer_message "the new dialog kept a domain"
activate "$(visible '^Enter User$')"
xdotool key Escape
wait_until 20 gone '^Enter User$' || fail "Esc did not close the new dialog"
echo "ok: Esc discards the dialog and its texts"

# 6: Help, About shows the about box; Enter closes it.
activate "$(main_window)"
xdotool key --clearmodifiers alt+h
wait_until 20 menu_open || fail "Alt+H did not open the Help menu"
xdotool key a
wait_until 20 visible '^About Tramsel$' || fail "Help, About did not show the about box"
activate "$(visible '^About Tramsel$')"
xdotool key Return
wait_until 20 gone '^About Tramsel$' || fail "Enter did not close the about box"
echo "ok: Help, About shows the about box and Enter closes it"

# 9: Ctrl+U opens the audit window with the domain last typed, selected;
# Enter lists the container's 300 users (Ctrl+A, Ctrl+C in the table copies
# them under a header line).
audit_window() { visible '^Tramsel - Audit Accounts$'; }
rows_copied() { xdotool mousemove --window "$audit" 300 300 click 1 key --clearmodifiers ctrl+a ctrl+c; }
# first_row TEXT: the copied rows start with TEXT's row.
first_row() { want=$1; rows_copied && wait_until 2 eval '[ "$(clipboard | sed -n 2p | cut -f1)" = "$want" ]'; }
activate "$(main_window)"
xdotool key --clearmodifiers ctrl+u
wait_until 30 audit_window || fail "Ctrl+U did not show the audit window"
audit=$(audit_window)
activate "$audit"
set_clipboard before
xdotool key --clearmodifiers ctrl+c
wait_until 20 clipboard_is sales || fail "txtDomain does not start with the domain last typed (it holds: $(clipboard))"
xdotool key Return
listed() { rows_copied && wait_until 2 eval '[ "$(clipboard | wc -l)" = 301 ]'; }
wait_until 90 listed || fail "List did not show the 300 users (copied: $(clipboard | head -n 3))"
screenshot audit-listed
echo "ok: Ctrl+U opens the audit window with the last domain; Enter lists it"

# 10: lastLogin's header sorts up, then down (its arrow with it), as --sort does
# (the second click further along, so as not to be a double-click).
header_click() { xdotool mousemove --window "$audit" "$1" 110 click 1; }
for click in 'lastLogin 220' '-lastLogin 280'; do
    wine "$exe" --audit sales --format csv --sort "${click% *}" >"$work/cli.csv" 2>"$work/cli.err" ||
        fail "--audit sales failed: $(cat "$work/cli.err")"
    header_click "${click#* }"
    wait_until 60 first_row "$(sed -n 2p "$work/cli.csv" | cut -d, -f1)" ||
        fail "a click on lastLogin's header did not sort as --sort ${click% *} (copied: $(clipboard | sed -n 2p))"
done
screenshot audit-sorted
echo "ok: lastLogin's header sorts as --sort lastLogin, then as --sort -lastLogin"

# 11: Save As, CSV chosen: a name without extension gets .csv, and the file
# holds what --audit prints for the same container and order, byte for byte.
[ "$(wc -l <"$work/cli.csv")" = 301 ] || fail "--audit sales did not print the 300 users"
activate "$audit"
xdotool key --clearmodifiers alt+s
wait_until 30 visible '^Save As$' || fail "Save As did not show the Save dialog"
activate "$(visible '^Save As$')"
screenshot audit-save
xdotool type --delay 20 "$(winepath -w "$work/saved")"
xdotool key Return
wait_until 30 cmp -s "$work/saved.csv" "$work/cli.csv" ||
    { diff "$work/cli.csv" "$work/saved.csv" | head; fail "the saved CSV differs from --audit's"; }
echo "ok: Save As writes the CSV --audit prints"

# 12: Enter on the first row shows its report in the main window; Esc closes
# the audit window. Asked again until it shows: the same report each time.
first=$(sed -n 2p "$work/cli.csv" | cut -d, -f1)
account_reported() {
    activate "$audit"
    xdotool mousemove --window "$audit" 300 300 click 1 key Home Return
    copy_report && wait_until 5 eval 'clipboard | grep -qF "$first"'
}
wait_until 60 account_reported || fail "Enter on a row did not show its report (Text1: $(clipboard | head -n 3))"
activate "$audit"
xdotool key Escape
wait_until 20 destroyed '^Tramsel - Audit Accounts$' || fail "Esc did not close the audit window"
echo "ok: Enter reports the row's account; Esc closes the audit window"

# 8: Ctrl+Q ends the program, the hidden dialog and all.
quit
echo "ok: Ctrl+Q ends the program while the dialog is hidden"

# A user name the dialog would refuse, on the command line: the window, then the message.
start wine "$exe" 'sales\no body'
answer_message "a bad account on the command line got no message box"
quit
echo "ok: a bad account on the command line gets a message box"

# The console: the report through a pipe, byte for byte, with CR LF line
# ends and status 1; a non-ASCII account read from the UTF-16 command line.
# (The texts of other command lines: command_line_test.sh.)
for user in nobody jösé; do
    got=0
    wine "$exe" --print "sales\\$user" 2>/dev/null | cat >"$work/out" || got=${PIPESTATUS[0]}
    want=$(failure_text "SALES\\$user"; echo x)
    [ "$got" = 1 ] && [ "$(cat "$work/out"; echo x)" = "${want//$'\n'/$'\r\n'}" ] ||
        { od -c "$work/out" | head; fail "--print 'sales\\$user' answered status $got and another text"; }
done
echo "ok: --print answers on the console"
echo "walk-through: $((SECONDS - started)) s"
