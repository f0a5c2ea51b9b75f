#!/usr/bin/env bash
# The command line without a display: --print, --help, --version and bad
# command lines, with their output and exit status.
# Usage: command_line_test.sh PATH/TO/tramsel
set -uo pipefail
program=$1
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM XDG_SESSION_TYPE LANGUAGE
export TZ=UTC LC_ALL=C.UTF-8
failures=0
out=$(mktemp) err=$(mktemp) tree=$(mktemp -d)
trap 'rm -f "$out" "$err"; rm -rf "$tree"' EXIT

# A machine named pc with two users, one of them with a name beyond ASCII.
mkdir -p "$tree/etc"
echo pc >"$tree/etc/hostname"
printf 'jdoe:x:1000:1000:John Doe,,,:/home/jdoe:/bin/sh\nj\303\274rgen:x:1001:1001::/home/j:/bin/sh\n' >"$tree/etc/passwd"
printf 'jdoe:$6$x:20000:0:90:7:::\nj\303\274rgen:!:::::::\n' >"$tree/etc/shadow"
mkdir -p "$tree/var/log" && : >"$tree/var/log/wtmp" && : >"$tree/var/log/btmp"

# check NAME STATUS STDOUT STDERR -- ARGS...: exact stdout and stderr; the
# program runs as "${run[@]}".
run=("$program")
check() {
    local name=$1 status=$2 stdout=$3 stderr=$4
    shift 5
    "${run[@]}" "$@" >"$out" 2>"$err"
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

# Shadow's last change is day 20000, 2024-10-04, and the password lasts 90 days.
jdoe=$'\nHere is how the \'PC\\jdoe\' NT account\nhas been used:\n\nLast Login: \t\tn/a\nLast Logoff: \t\tn/a
Last Failed Login: \t\tn/a\nLast Bad Login Address: \tn/a\nBad Login Count: \t\t0
Password Expiration Date: \t2 Jan 2025\nPassword Max Age (days): \t90\nPassword Last Changed: \t4 Oct 2024\n\n'
check "report, lines ending in LF" 0 "$jdoe" "" -- --print --root "$tree" 'pc\jdoe'
check "a slash separates as a backslash does" 0 "$jdoe" "" -- --print --root "$tree" 'pc/jdoe'
help=$("$program" --help; echo x)
check "help wins" 0 "${help%x}" "" -- --print --help
check "a flag with a value" 2 "" $'Option \'print\' takes no value.\n' -- --print=1 'pc\jdoe'
check "an empty server" 2 "" $'The value of \'--server\' cannot be empty.\n' -- --print --server= 'SALES\x'
check "negative days" 2 "" $'--inactive needs a whole number of days from 0 to 3650000, not \'-1\'.\n' -- --audit --inactive -1
check "unknown format" 2 "" $'Unknown format \'xml\': use table, csv or json.\n' -- --audit --format xml

# Logs that cannot be read leave logins unknown, not "never": no account is
# inactive, and the audit says what it could not read, with status 3.
mv "$tree/var/log" "$tree/var/lost"
heading=$'account,user,fullName,lastLogin,lastLogoff,lastFailedLogin,lastBadLoginAddress,badLoginCount,passwordExpires,passwordMaxAgeDays,passwordLastChanged,disabled,locked,accountExpires,passwordExpired,passwordNeverExpires,created,controllersAnswered,controllersAsked\r\n'
check "logs that cannot be read" 3 "$heading" "$tree/var/log/wtmp: No such file or directory; last logins and last logoffs are unknown
$tree/var/log/btmp: No such file or directory; failed logins are unknown
" -- --audit --root "$tree" --inactive 30 --format csv
check "a report with logs that cannot be read" 0 "${jdoe/Count: $'\t\t'0/Count: $'\t\t'n/a}" "$tree/var/log/wtmp: No such file or directory; last logins and last logoffs are unknown
$tree/var/log/btmp: No such file or directory; failed logins are unknown
" -- --print --root "$tree" 'pc\jdoe'
mv "$tree/var/lost" "$tree/var/log"

# Every exit 1 says why, on one line.
dot=$(failure '.\x'; echo x)
check "a dot for a domain" 1 "${dot%x}" $'not an account name this system can have\n' -- --print '.\x'
domain=$(printf 'D%.0s' $(seq 5000))
long=$(failure "$domain\\x"; echo x)
check "a domain of 5,000 characters" 1 "${long%x}" $'not an account name this system can have\n' -- --print "$domain\\x"

# A full disk is a failure, said as GNU tools say it.
"$program" --print --root "$tree" 'pc\jdoe' >/dev/full 2>"$err"
if [ $? -eq 1 ] && [ "$(cat "$err")" = "write error: No space left on device" ]; then
    echo "ok: full disk"
else
    echo "FAIL: full disk"; cat "$err"; failures=$((failures + 1))
fi

# An argument in a Latin-1 locale names the same user as in UTF-8.
if localedef -i de_DE -f ISO-8859-1 "$tree/de_DE.ISO-8859-1" 2>/dev/null; then
    juergen=$(LC_ALL=C.UTF-8 "$program" --print --root "$tree" $'pc\\j\303\274rgen'; echo x)
    run=(env LOCPATH="$tree" LC_ALL=de_DE.ISO-8859-1 "$program")
    check "Latin-1 argument" 0 "${juergen%x}" "" -- --print --root "$tree" $'pc\\j\374rgen'
else
    echo "FAIL: localedef could not build de_DE.ISO-8859-1 (Debian's locales package)"; failures=$((failures + 1))
fi

[ "$failures" -eq 0 ]
