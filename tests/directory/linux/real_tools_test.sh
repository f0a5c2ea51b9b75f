#!/usr/bin/env bash
# Makes an account and its login records with the system's own tools
# (useradd, chpasswd, chage, utmpdump, lastlog, pam_faillock through
# pamtester) inside a private mount namespace, so that the machine's files
# stay untouched, and checks that the report agrees with what chage, last,
# lastb, lastlog and faillock print for the same user. (lastlog2's and
# wtmpdb's databases, which Debian 12 has no tools for: login_databases_test.)
# Usage: real_tools_test.sh PATH/TO/tramsel
set -euo pipefail

skip() { echo "SKIPPED: $*"; exit 77; }

if [ "${1:-}" != --inside ]; then
    program=$(realpath "$1")
    [ "$(id -u)" -eq 0 ] || skip "needs root (it adds a user and writes login records in a private mount namespace)"
    unshare --mount --propagation private true 2>/dev/null ||
        skip "unshare --mount is not permitted here"
    for tool in useradd chpasswd chage utmpdump last lastb lastlog faillock pamtester; do
        command -v "$tool" >/dev/null || skip "$tool is not installed"
    done
    [ -n "$(find /lib /usr/lib -name pam_faillock.so -print -quit 2>/dev/null)" ] || skip "pam_faillock is not installed"
    exec unshare --mount --propagation private "$0" --inside "$program"
fi
program=$2
. "$(dirname "$0")/../../support/wait.sh"

# --- A private copy of the system: overlays on /etc and /var/lib, an empty
# /var/log and /run. Everything goes away with the namespace.
scratch=$(mktemp -d)
trap 'umount -l "$scratch" 2>/dev/null; rmdir "$scratch"' EXIT
mount -t tmpfs tmpfs "$scratch"
mkdir -p "$scratch"/{etc,lib}/{upper,work} "$scratch/log"
mount -t overlay overlay -o "lowerdir=/etc,upperdir=$scratch/etc/upper,workdir=$scratch/etc/work" /etc
mount -t overlay overlay -o "lowerdir=/var/lib,upperdir=$scratch/lib/upper,workdir=$scratch/lib/work" /var/lib
mount --bind "$scratch/log" /var/log
mount -t tmpfs tmpfs /run
export TZ=UTC LC_ALL=C
host=$(hostname)
hostname > /etc/hostname

failures=0
check() {  # check WHAT EXPECTED ACTUAL
    if [ -n "$2" ] && [ "$2" == "$3" ]; then  # an empty answer is no agreement
        echo "ok   $1: $3"
    else
        echo "FAIL $1: expected '$2', the report says '$3'"
        failures=$((failures + 1))
    fi
}

# The report of a user, once through NSS (standard input closed, as cron may
# start it: a file may then open as descriptor 0) and once reading / as a
# tree; both must say the same. It runs in a subshell ($(report ...)), so a
# difference is counted through a file.
report() {
    local user=$1 nss tree
    nss=$("$program" --print "$host\\$user" <&- | tr -d '\r')
    tree=$("$program" --print --root / "$host\\$user" | tr -d '\r')
    [ "$nss" == "$tree" ] || { echo "FAIL NSS and --root / differ:" >&2; echo "$nss" >&2; echo "$tree" >&2; echo x >>"$scratch/differ"; }
    echo "$nss"
}
value() {  # value REPORT LABEL: dates and times (in the C locale's text) as ISO
    local v
    v=$(grep -F "$2" <<<"$1" | awk -F'\t' '{print $NF}')
    case "$v" in
        [0-9]*[A-Z][a-z][a-z]*:*) date -d "$v" '+%F %T' ;;
        [0-9]*[A-Z][a-z][a-z]*) date -d "$v" +%F ;;
        *) echo "$v" ;;
    esac
}
iso() {  # the first two ISO times on stdin, as "YYYY-MM-DD HH:MM:SS"
    grep -oE '[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}' | head -2 | tr T ' '
}
# checks USER: each "WHAT|LABEL|COMMAND" line on stdin: what the command (a
# tool's answer) prints is what USER's report says at that label.
checks() {
    local r what command label
    r=$(report "$1")
    while IFS='|' read -r what label command; do
        check "$what" "$(eval "$command" </dev/null)" "$(value "$r" "$label")"
    done
}

# --- The accounts.
useradd -u 4242 tramseltest
useradd -u 4243 tramselcrash
echo 'tramseltest:Secret-1' | chpasswd
chage -d 2024-03-01 -M 45 tramseltest
: > /var/log/lastlog  # login creates it on a real system

utmpdump -r >/var/log/wtmp 2>/dev/null <<'RECORDS'
[2] [00000] [~~  ] [reboot  ] [~           ] [6.1.0-18-amd64      ] [0.0.0.0        ] [2024-04-30T08:00:00,000000+00:00]
[7] [01234] [ts/0] [tramseltest] [pts/0       ] [192.0.2.7           ] [192.0.2.7      ] [2024-05-01T09:00:00,000000+00:00]
[7] [01240] [ts/1] [tramselcrash] [pts/1       ] [198.51.100.2        ] [198.51.100.2   ] [2024-05-01T09:30:00,000000+00:00]
[8] [01234] [ts/0] [        ] [pts/0       ] [                    ] [0.0.0.0        ] [2024-05-01T10:00:00,000000+00:00]
[7] [01300] [tty1] [tramseltest] [tty1        ] [                    ] [0.0.0.0        ] [2024-05-02T08:00:00,000000+00:00]
[8] [01300] [tty1] [        ] [tty1        ] [                    ] [0.0.0.0        ] [2024-05-02T08:45:10,000000+00:00]
[2] [00000] [~~  ] [reboot  ] [~           ] [6.1.0-18-amd64      ] [0.0.0.0        ] [2024-05-02T12:00:00,000000+00:00]
RECORDS
utmpdump -r >/var/log/btmp 2>/dev/null <<'RECORDS'
[6] [02000] [    ] [tramseltest] [ssh:notty   ] [203.0.113.5         ] [203.0.113.5    ] [2024-05-01T11:00:00,000000+00:00]
[6] [02001] [    ] [tramseltest] [ssh:notty   ] [203.0.113.6         ] [203.0.113.6    ] [2024-05-02T09:00:00,000000+00:00]
[6] [02002] [    ] [tramselcrash] [ssh:notty   ] [203.0.113.8         ] [203.0.113.8    ] [2024-05-02T09:30:00,000000+00:00]
[6] [02003] [    ] [tramseltest] [ssh:notty   ] [203.0.113.7         ] [203.0.113.7    ] [2024-05-02T10:00:00,000000+00:00]
RECORDS

# --- Stage 1: wtmp, btmp and shadow only.
echo "== wtmp, btmp and shadow"
session=$(last -w --time-format iso tramseltest | head -1 | iso)
failed=$(lastb -w --time-format iso tramseltest | head -1)
field() { chage -l tramseltest | grep -F "$1" | sed 's/.*:[[:space:]]*//'; }
checks tramseltest <<'CHECKS'
last login (last)|Last Login:|sed -n 1p <<<"$session"
last logoff (last)|Last Logoff:|sed -n 2p <<<"$session"
last failed login (lastb)|Last Failed Login:|iso <<<"$failed" | head -1
bad login address (lastb)|Last Bad Login Address:|awk '{print $3}' <<<"$failed"
failures since the last login (lastb)|Bad Login Count:|lastb -w --time-format iso tramseltest | iso | awk -v since="$(sed -n 1p <<<"$session")" '$0 > since' | wc -l
password expires (chage)|Password Expiration Date:|date -d "$(field 'Password expires')" +%F
last password change (chage)|Password Last Changed:|date -d "$(field 'Last password change')" +%F
maximum age (chage)|Password Max Age|field 'Maximum number of days'
CHECKS

# --- Stage 2: lastlog and pam_faillock.
echo "== lastlog and pam_faillock"
lastlog -S -u tramseltest >/dev/null
cat >/etc/pam.d/tramsel-test <<'PAM'
auth required pam_faillock.so preauth
auth [success=1 default=bad] pam_unix.so nodelay
auth [default=die] pam_faillock.so authfail
auth sufficient pam_faillock.so authsucc
account required pam_unix.so
PAM
fail_login() { echo wrong | pamtester -I "$1" tramsel-test tramseltest authenticate >/dev/null 2>&1 || true; }
fail_login tty=/dev/tty3
sleep 1  # the two failures a second apart: faillock keeps whole seconds
fail_login rhost=192.0.2.10
# tally FIELDS: awk's fields of faillock's last failure, "$1, $2" for its time.
tally() { faillock --user tramseltest | tail -1 | awk "{print $1}"; }
checks tramseltest <<'CHECKS'
last login (lastlog)|Last Login:|date -d "$(lastlog -u tramseltest | tail -1 | grep -oE '[A-Z][a-z]{2} [A-Z][a-z]{2} +[0-9]+ [0-9:]+ [+-][0-9]{4} [0-9]{4}')" '+%F %T'
last failed login (faillock)|Last Failed Login:|tally '$1, $2'
bad login address (faillock)|Last Bad Login Address:|tally '$4'
bad login count (faillock)|Bad Login Count:|faillock --user tramseltest | grep -c ' V$'
CHECKS

# The audit's lock against pam_faillock's own verdict: a service whose only
# say is faillock's preauth refuses exactly while the account is locked.
printf 'auth requisite pam_faillock.so preauth\nauth required pam_permit.so\n' >/etc/pam.d/tramsel-lock
refused() { pamtester tramsel-lock "$1" authenticate </dev/null >/dev/null 2>&1 && echo false || echo true; }
locked() {  # the audit's locked column for a user
    "$program" --audit --format csv |
        python3 -c 'import csv, sys; print(next(r["locked"] for r in csv.DictReader(sys.stdin) if r["user"] == sys.argv[1]))' "$1"
}
check "locked as pam_faillock decides, 2 failures" "$(refused tramseltest)" "$(locked tramseltest)"
fail_login rhost=192.0.2.11
check "locked as pam_faillock decides, 3 failures" "$(refused tramseltest)" "$(locked tramseltest)"
check "pam_faillock refuses after 3 failures" true "$(refused tramseltest)"

# A tally older than fail_interval: faillock still lists the failures, and
# so does the count (pam_faillock counts the interval before its latest
# failure: with one second, it no longer locks).
printf 'fail_interval = 1\n' >/etc/security/faillock.conf
latest=$(date -d "$(tally '$1, $2')" +%s)
interval_over() { [ "$(date +%s)" -gt $((latest + 1)) ]; }
wait_until 30 interval_over
checks tramseltest <<'CHECKS'
bad login count, the tally older than fail_interval (faillock)|Bad Login Count:|faillock --user tramseltest | grep -c ' V$'
CHECKS
check "locked as pam_faillock decides, failures older than fail_interval" "$(refused tramseltest)" "$(locked tramseltest)"

[ ! -e "$scratch/differ" ] || failures=$((failures + $(wc -l <"$scratch/differ")))
echo "$failures failed"
[ "$failures" -eq 0 ]
