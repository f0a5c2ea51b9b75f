#!/usr/bin/env bash
# The command line without a display: --print, --help, --version and bad
# command lines, with their output and exit status.
# Usage: command_line_test.sh PATH/TO/tramsel
set -uo pipefail
program=$1
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM XDG_SESSION_TYPE
failures=0
out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT

# check NAME STATUS STDOUT STDERR -- ARGS...: exact stdout and stderr.
check() {
    local name=$1 status=$2 stdout=$3 stderr=$4
    shift 5
    "$program" "$@" >"$out" 2>"$err"
    local got=$?
    if [ "$got" -ne "$status" ] || [ "$(cat "$out"; echo x)" != "$stdout"x ] ||
        [ "$(cat "$err"; echo x)" != "$stderr"x ]; then
        echo "FAIL: $name: status $got (want $status)"
        echo "--- stdout:"; cat "$out"; echo "--- stderr:"; cat "$err"
        failures=$((failures + 1))
    else
        echo "ok: $name"
    fi
}

# The failure text for a display name, with its line ends intact.
failure() {
    local text
    text=$(printf '\nNo such NT account: '"'"'%s'"'"',\nor ADSI is not installed on your computer.\nYou need to install ADSI:\nhttp://download.microsoft.com/ntserver/downloads/bin/nts/adsx86.exe\nor use Windows 2000\n\nx' "$1")
    printf '%s' "${text%x}"
}

# How arguments are split and checked: tests/behaviour/command_line_test.cpp.
# Here, what the program makes of them: its output and exit status.
nobody=$(failure 'SALES\nobody'; echo x)
pc=$(failure 'PC\jdoe'; echo x)
# A domain this machine's configuration does not name fails at once, before
# any DNS query, and says why on standard error.
unknown=$'no DNS domain known for SALES: set realm in smb.conf, or name a domain controller with --server\n'
check "missing account" 1 "${nobody%x}" "$unknown" -- --print 'sales\nobody'
check "root carried through" 1 "${pc%x}" $'no user jdoe on PC\n' -- --root /nonexistent -p 'pc\jdoe'
# Domain and host names upper-case as ASCII, whatever the locale: not to
# "MARKETİNG" under a Turkish one.
marketing=$(failure 'MARKETING\jdoe'; echo x)
if locale -a | grep -qix 'tr_TR.utf8'; then
    LC_ALL=tr_TR.UTF-8 check "Turkish locale" 1 "${marketing%x}" $'no user jdoe on MARKETING\n' \
        -- --root /nonexistent -p 'marketing\jdoe'
else
    echo "FAIL: the locale tr_TR.UTF-8 is missing (scripts/test generates it)"
    failures=$((failures + 1))
fi
check "bad user name" 2 "" $'Wrong User Name\n' -- --print 'sales\j doe'
check "bad command line" 2 "" $'--print needs an account, as DOMAIN\\user.\n' -- --print
check "version" 0 $'Tramsel 2.0\n' "" -- --version
"$program" --help | grep -q -- '--print' && echo "ok: help" || { echo "FAIL: help"; failures=$((failures + 1)); }

# The window with nowhere to show it: no display at all, or one that does
# not answer (Qt itself would abort).
nodisplay=$'tramsel: no display; use --print to get the report on standard output\n'
check "no display" 2 "" "$nodisplay" -- 'vm\tuser1'
DISPLAY=/nonexistent/x11:0 check "display that does not answer" 2 "" "$nodisplay" -- 'vm\tuser1'

[ "$failures" -eq 0 ]
