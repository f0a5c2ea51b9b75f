#!/usr/bin/env bash
# The command line without a display: --print, --help, --version and bad
# command lines, with their output and exit status.
# Usage: command_line_test.sh PATH/TO/tramsel
set -uo pipefail
program=$1
. "$(dirname "$0")/../support/failure_text.sh"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM XDG_SESSION_TYPE LANGUAGE
export TZ=UTC LC_ALL=C.UTF-8
failures=0
out=$(mktemp) err=$(mktemp) tree=$(mktemp -d)
trap 'rm -f "$out" "$err"; rm -rf "$tree"' EXIT
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# A machine named pc with two users, one of them with a name beyond ASCII.
mkdir -p "$tree/etc"
echo pc >"$tree/etc/hostname"
printf 'jdoe:x:1000:1000:John Doe,,,:/home/jdoe:/bin/sh\nj\303\274rgen:x:1001:1001::/home/j:/bin/sh\n' >"$tree/etc/passwd"
printf 'jdoe:$6$x:20000:0:90:7:::\nj\303\274rgen:!:::::::\n' >"$tree/etc/shadow"
mkdir -p "$tree/var/log" && : >"$tree/var/log/wtmp" && : >"$tree/var/log/btmp"

# The locales some cases run under; without them those cases would pass untested.
locale -a | grep -qix 'tr_TR.utf8' || fail "the locale tr_TR.UTF-8 is missing (scripts/test generates it)"
localedef -i de_DE -f ISO-8859-1 "$tree/de_DE.ISO-8859-1" 2>/dev/null ||
    fail "localedef could not build de_DE.ISO-8859-1 (Debian's locales package)"
# Shadow's last change is day 20000, 2024-10-04, and the password lasts 90 days.
jdoe=$'\nHere is how the \'PC\\jdoe\' NT account\nhas been used:\n\nLast Login: \t\tn/a\nLast Logoff: \t\tn/a
Last Failed Login: \t\tn/a\nLast Bad Login Address: \tn/a\nBad Login Count: \t\t0
Password Expiration Date: \t2 Jan 2025\nPassword Max Age (days): \t90\nPassword Last Changed: \t4 Oct 2024\n\n'
domain=$(printf 'D%.0s' $(seq 5000))

# NAME | STATUS | STDOUT (a command whose output it is) | STDERR (one line,
# its LF added) | the command run. Texts compared byte for byte. How the
# arguments are split and checked: tests/behaviour/command_line_test.cpp.
while IFS='|' read -r name status stdout stderr command; do
    eval "$command" >"$out" 2>"$err"
    got=$?
    if [ "$got" -ne "$status" ] || [ "$(cat "$out"; echo x)" != "$(eval "$stdout"; echo x)" ] ||
        [ "$(cat "$err"; echo x)" != "${stderr:+$stderr$'\n'}x" ]; then
        fail "$name: status $got (want $status)"; echo "--- stdout:"; cat "$out"; echo "--- stderr:"; cat "$err"
    else
        echo "ok: $name"
    fi
done <<'CASES'
missing account, no DNS query|1|failure_text 'SALES\nobody'|no DNS domain known for SALES: set realm in smb.conf, or name a domain controller with --server|"$program" --print 'sales\nobody'
ASCII upper case in a Turkish locale|1|failure_text 'MARKETING\jdoe'|no user jdoe on MARKETING|LC_ALL=tr_TR.UTF-8 "$program" --root /nonexistent -p 'marketing\jdoe'
bad user name|2||Wrong User Name|"$program" --print 'sales\j doe'
version|0|echo Tramsel 2.0||"$program" --version
no display|2||tramsel: no display; use --print to get the report on standard output|"$program" 'vm\tuser1'
display that does not answer|2||tramsel: no display; use --print to get the report on standard output|DISPLAY=/nonexistent/x11:0 "$program" 'vm\tuser1'
report, lines ending in LF|0|printf %s "$jdoe"||"$program" --print --root "$tree" 'pc\jdoe'
help wins|0|"$program" --help||"$program" --print --help
a domain of 5,000 characters|1|failure_text "$domain\\x"|not an account name this system can have|"$program" --print "$domain\\x"
a full disk, said as GNU tools say it|1||write error: No space left on device|"$program" --print --root "$tree" 'pc\jdoe' >/dev/full
a Latin-1 argument names the UTF-8 user|0|"$program" --print --root "$tree" $'pc\\j\303\274rgen'||LOCPATH="$tree" LC_ALL=de_DE.ISO-8859-1 "$program" --print --root "$tree" $'pc\\j\374rgen'
CASES
grep -q -- '--print' <<<"$("$program" --help)" && echo "ok: help names --print" || fail "help does not name --print"
# A reader that went away ends the program quietly, as it ends ls (-13: SIGPIPE).
closed=$(python3 -c 'import os, subprocess, sys
r, w = os.pipe(); os.close(r)
p = subprocess.run(sys.argv[1:], stdout=w, stderr=subprocess.PIPE)
print(p.returncode, repr(p.stderr))' "$program" --audit --root "$tree")
[ "$closed" = "-13 b''" ] && echo "ok: a closed pipe" || fail "a closed pipe: $closed"

# Logs that cannot be read leave logins unknown, not "never": no account is
# inactive, and what could not be read is named (an audit's status is 3).
mv "$tree/var/log" "$tree/var/lost"
unread="$tree/var/log/wtmp: No such file or directory; last logins and last logoffs are unknown
$tree/var/log/btmp: No such file or directory; failed logins are unknown
"
heading=$'account,user,fullName,lastLogin,lastLogoff,lastFailedLogin,lastBadLoginAddress,badLoginCount,passwordExpires,passwordMaxAgeDays,passwordLastChanged,disabled,locked,accountExpires,accountExpired,passwordExpired,passwordNeverExpires,created,systemAccount,container,operatingSystem,controllersAnswered,controllersAsked\r\n'
for want in "3|$heading|--audit --inactive 30 --format csv" "0|${jdoe/Count: $'\t\t'0/Count: $'\t\t'n/a}|--print pc\\jdoe"; do
    IFS='|' read -r -d '' status stdout args <<<"$want"
    args=${args%$'\n'}
    # shellcheck disable=SC2086
    "$program" --root "$tree" $args >"$out" 2>"$err"
    got=$?
    if [ "$got" -eq "$status" ] && [ "$(cat "$out"; echo x)" = "${stdout}x" ] && [ "$(cat "$err"; echo x)" = "${unread}x" ]; then
        echo "ok: unreadable logs: $args"
    else
        fail "unreadable logs: $args: status $got"; cat "$out" "$err"
    fi
done
[ "$failures" -eq 0 ]
