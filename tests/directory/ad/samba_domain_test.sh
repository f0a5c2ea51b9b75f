#!/usr/bin/env bash
# The Active Directory provider against a real domain: two Samba domain
# controllers in private network namespaces, accounts and logins made with
# Samba's and Kerberos' own tools, and the program's printed reports
# compared byte for byte with what the test works out from each
# controller's raw attributes; then the audit's rows compared with those
# reports (audit_check.py), its states, base and paging, and the audit window
# (tst_frmAudit's realDomain, offscreen) on the same domain.
# Each phase says how long it took: every wait in it has its own bound.
# Usage: samba_domain_test.sh PATH/TO/tramsel PATH/TO/tst_frmAudit
set -uo pipefail

skip() { echo "SKIPPED: $*"; exit 77; }
program=$(realpath "$1") window_test=$(realpath "$2")
here=$(dirname "$(realpath "$0")")
. "$here/samba_domain.sh"
. "$here/../../support/failure_text.sh"
why=$(ad_can_run)
[ -z "$why" ] || skip "$why"

trap ad_cleanup EXIT
ad_start_work
failures=0
# phase NAME: ends the phase before, saying how long it took; "" ends the last.
phase() {
    [ -z "${phase_name:-}" ] || echo "-- $phase_name: $((SECONDS - phase_start)) s ($SECONDS s in all)"
    phase_name=$1 phase_start=$SECONDS
    [ -z "$1" ] || echo "== $1"
}
die() { echo "FAIL: $* ($phase_name, after $((SECONDS - phase_start)) s)"; exit 1; }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# --- The domain: policy and accounts on dc1, then dc2 joins and copies them.
phase "setting up dc1"
ad_add_dc 1 && ad_add_dc 2 || die "cannot make the namespaces"
ad_make_dc 1 || die "cannot provision"
password='Us3r-Passw0rd!'
st() { ad_in 1 samba-tool "$@"; }
pso() { st domain passwordsettings pso "$@"; }
# For the audit: a disabled account, one whose lockout runs out after five seconds
# (a PSO of its own), a display name with a comma, quotes and É, and more users
# than a page holds, imported as LDIF (550 to a transaction: one
# transaction's cost grows with the square of its size).
make_accounts() {
    local user first
    st domain passwordsettings set --account-lockout-threshold=3 --max-pwd-age=30 --min-pwd-age=0 || return 1
    for user in jdoe ann neverexp willexp newbie locked émile 'j(1)' plain relocked expired; do
        st user create "$user" "$password" || return 1
    done
    # A password that must be changed at the next login has no date set.
    st user create mustchange "$password" --must-change-at-next-login &&
        st user setexpiry neverexp --noexpiry && st user setexpiry willexp --days=10 &&
        pso create weekly 1 --max-pwd-age=7 && pso apply weekly willexp &&
        pso create quick 2 --account-lockout-threshold=3 --account-lockout-duration=1 \
            --reset-account-lockout-after=1 && pso apply quick relocked || return 1
    st ou create OU=Staff && st user create gone "$password" --userou=OU=Staff && st user disable gone &&
        st computer create WEB01 --computerou=OU=Staff || return 1
    python3 - "$AD_BASE" "$AD_WORK" <<'PY' || return 1
import base64, sys
base, work = sys.argv[1:]
name = base64.b64encode('Doe, "J" Émile'.encode()).decode()
with open(f"{work}/audit.ldif", "w") as ldif:
    ldif.write(f"dn: CN=quick,CN=Password Settings Container,CN=System,{base}\nchangetype: modify\n"
               "replace: msDS-LockoutDuration\nmsDS-LockoutDuration: -50000000\n-\n"
               "replace: msDS-LockoutObservationWindow\nmsDS-LockoutObservationWindow: -50000000\n-\n\n"
               f"dn: CN=jdoe,CN=Users,{base}\nchangetype: modify\nreplace: displayName\ndisplayName:: {name}\n-\n\n"
               # An account that expired in 2012.
               f"dn: CN=expired,CN=Users,{base}\nchangetype: modify\nreplace: accountExpires\n"
               "accountExpires: 129700000000000000\n-\n")
for first in (0, 550):
    with open(f"{work}/bulk{first}.ldif", "w") as ldif:
        for i in range(first, first + 550):
            ldif.write(f"dn: CN=bulk{i:05d},CN=Users,{base}\nobjectClass: user\nsAMAccountName: bulk{i:05d}\n\n")
PY
    ad_in 1 ldbmodify -H /var/lib/samba/private/sam.ldb "$AD_WORK/audit.ldif" || return 1
    for first in 0 550; do ad_in 1 ldbadd -H /var/lib/samba/private/sam.ldb "$AD_WORK/bulk$first.ldif" || return 1; done
}
make_accounts >"$AD_WORK/accounts.log" 2>&1 || { cat "$AD_WORK/accounts.log"; die "cannot make the accounts"; }
ad_start_dc 1 || die "dc1 does not start"
phase "setting up dc2"
ad_make_dc 2 || die "dc2 cannot join"
ad_start_dc 2 || die "dc2 does not start"
ad_announce_second >"$AD_WORK/announce.log" 2>&1 || { cat "$AD_WORK/announce.log"; die "dc1 does not know dc2"; }

# --- Logins, good and bad, at one controller or the other.
phase "logging in"
kinit_as() {  # kinit_as KDCS USER PASSWORD CACHE: a Kerberos login at those controllers only
    printf '%s\n' "$3" | ad_in 1 env KRB5_CONFIG="$AD_WORK/krb5-$1.conf" kinit -c "FILE:$AD_WORK/$4" "$2@$AD_REALM" >/dev/null 2>&1
}
export KRB5CCNAME=FILE:$AD_WORK/reader.cc
kinit_as dc1-dc2 Administrator "$AD_ADMIN_PASSWORD" reader.cc || die "no ticket for the reader"
# A reader with no administrator's rights.
kinit_as dc1-dc2 plain "$password" plain.cc || die "no ticket for plain"
wrong='Wr0ng-Passw0rd!'
for dc in dc1 dc2 dc2; do kinit_as $dc jdoe "$wrong" login.cc; done
for login in dc1:jdoe dc2:ann 'dc1:j(1)'; do
    kinit_as "${login%%:*}" "${login#*:}" "$password" login.cc || die "${login#*:} cannot log in"
done
for _ in 1 2 3; do kinit_as dc1 locked "$wrong" login.cc; kinit_as dc1 relocked "$wrong" login.cc; done
# ann's login reaches dc1 as the replicated lastLogonTimestamp.
ad_in 1 samba-tool drs replicate "dc1.$AD_DNS" "dc2.$AD_DNS" "$AD_BASE" -U Administrator \
    --password="$AD_ADMIN_PASSWORD" >/dev/null 2>&1 || die "dc1 cannot replicate from dc2"
# A wrong LDAP simple bind counts as a failed login too.
ad_in 1 env LDAPTLS_REQCERT=never ldapsearch -x -H "ldaps://dc2.$AD_DNS" -D "émile@$AD_DNS" -w "$wrong" \
    -b '' -s base >/dev/null 2>&1

# --- What the report should say, from the controllers' raw attributes.
# Local time is a zone with summer time, so that the conversion is real.
export TZ='EST5EDT,M3.2.0,M11.1.0' LC_ALL=C.UTF-8
never=9223372036854775807
raw() {  # raw DC FILTER-VALUE ATTRIBUTE...: "name value" lines
    ad_in 1 ldapsearch -LLL -N -Q -Y GSSAPI -o ldif-wrap=no -H "ldap://$1.$AD_DNS" -b "$AD_BASE" \
        "(sAMAccountName=$2)" "${@:3}" | sed -n 's/^\([A-Za-z-]*\): \(.*\)$/\1 \2/p'
}
object() {  # object DN ATTRIBUTE: one attribute of one object, from dc1
    ad_in 1 ldapsearch -LLL -N -Q -Y GSSAPI -o ldif-wrap=no -H "ldap://dc1.$AD_DNS" -b "$2" -s base \
        '(objectClass=*)' "$1" | sed -n "s/^$1: //p"
}
wall() {  # wall SECONDS: the wall-clock time in TZ, as seconds on a UTC clock
    echo $(($1 + $(date -d "@$1" +%z | sed -E 's/^([+-])0?([0-9]+)([0-9]{2})$/\1(\2*3600+\3*60)/')))
}
text() {  # text WALL-SECONDS: the report's date text (midnight as the date alone)
    local t
    t=$(date -u -d "@$1" '+%-d %b %Y %H:%M:%S')
    echo "${t% 00:00:00}"
}
when() {  # when FILETIME: the report's text for it
    local ft=${1:-0}
    if [ "$ft" -le 0 ] || [ "$ft" = "$never" ]; then echo n/a; else text "$(wall $((ft / 10000000 - 11644473600)))"; fi
}
latest() {  # latest NAME-PATTERN: the largest value of those attributes (sort compares all 19 digits)
    awk -v a="$1" -v never="$never" '$1 ~ a && $2 != never { print $2 }' | sort -n | tail -1 | grep . || echo 0
}
expected() {  # expected NAME FILTER-VALUE DC...: the report from those controllers
    local name=$1 value=$2 dc attrs="" expiry pso age seconds changed days
    shift 2
    for dc in "$@"; do
        attrs+=$(raw "$dc" "$value" lastLogon lastLogonTimestamp lastLogoff badPwdCount badPasswordTime \
            msDS-UserPasswordExpiryTimeComputed msDS-ResultantPSO pwdLastSet) || { echo "cannot read $dc"; return; }
        attrs+=$'\n'
    done
    expiry=$(awk '$1 == "msDS-UserPasswordExpiryTimeComputed" { print $2; exit }' <<<"$attrs")
    pso=$(sed -n 's/^msDS-ResultantPSO //p' <<<"$attrs" | head -1)
    if [ -n "$pso" ]; then age=$(object msDS-MaximumPasswordAge "$pso"); else age=$(object maxPwdAge "$AD_BASE"); fi
    seconds=$((age == 0 || age == -9223372036854775807 - 1 ? 0 : -age / 10000000))
    if [ "$seconds" -eq 0 ]; then days=None; else days=$(awk -v s="$seconds" 'BEGIN { printf "%.15g", s / 86400 }'); fi
    # The expiry less the maximum age, in absolute time; with no expiry, when the password was set.
    changed=$(when "$(awk '$1 == "pwdLastSet" { print $2; exit }' <<<"$attrs")")
    if [ "$(when "$expiry")" != n/a ] && [ "$seconds" -gt 0 ]; then
        changed=$(text "$(wall $((expiry / 10000000 - 11644473600 - seconds)))")
    fi
    printf '\nHere is how the '"'"'%s'"'"' NT account\nhas been used:\n\n' "$name"
    printf 'Last Login: \t\t%s\n' "$(when "$(latest '^lastLogon' <<<"$attrs")")"
    printf 'Last Logoff: \t\t%s\n' "$(when "$(latest '^lastLogoff$' <<<"$attrs")")"
    printf 'Last Failed Login: \t\t%s\n' "$(when "$(latest '^badPasswordTime$' <<<"$attrs")")"
    printf 'Last Bad Login Address: \tn/a\n'
    printf 'Bad Login Count: \t\t%s\n' "$(latest '^badPwdCount$' <<<"$attrs")"
    printf 'Password Expiration Date: \t%s\n' "$(when "$expiry")"
    printf 'Password Max Age (days): \t%s\n' "$days"
    printf 'Password Last Changed: \t%s\n\n' "$changed"
}

# --- The cases: each line NAME | STATUS | STDOUT (a command whose output it
# is) | STDERR (one line, its LF added; variables expanded) | MAX-SECONDS |
# the command, run in dc1's namespaces (VAR=VALUE words first: its
# environment). Output compared byte for byte; the time bounds giving up on
# a controller that does not answer.
out=$AD_WORK/out err=$AD_WORK/err
both=(--server "ldap://dc1.$AD_DNS" --server "ldap://dc2.$AD_DNS")
cases() {
    local name status stdout stderr limit line run want start elapsed got
    while IFS='|' read -r name status stdout stderr limit line; do
        eval "stderr=\"$stderr\" run=($line)"
        want=$(eval "$stdout" </dev/null; echo x)
        start=$(date +%s%N)
        ad_in 1 env KRB5CCNAME="$KRB5CCNAME" "${run[@]}" >"$out" 2>"$err" </dev/null
        got=$?
        elapsed=$((($(date +%s%N) - start) / 1000000))
        if [ "$got" -ne "$status" ] || [ "$(cat "$out"; echo x)" != "$want" ] ||
            [ "$(cat "$err"; echo x)" != "${stderr:+$stderr$'\n'}x" ] || [ "$elapsed" -gt $((limit * 1000)) ]; then
            fail "$name: status $got (want $status), $elapsed ms (at most $limit s)"
            echo "--- stdout:"; cat "$out"; echo "--- expected:"; printf '%s' "${want%x}"; echo "--- stderr:"; cat "$err"
        else
            echo "ok: $name ($elapsed ms)"
        fi
    done
}
gss="Local error (SASL(-1): generic failure: GSSAPI Error: Unspecified GSS failure.  Minor code may provide more information (Server not found in Kerberos database)); Kerberos needs the controller's host name, not its address"
phase "reports"
rm -f "$AD_WORK/machine.keytab"
ad_in 1 samba-tool domain exportkeytab "$AD_WORK/machine.keytab" --principal='DC1$' >/dev/null 2>&1 ||
    die "cannot export dc1's keytab"
cases <<'CASES'
failures split across two controllers|0|expected 'SALES\jdoe' jdoe dc1 dc2||5|"$program" --print "${both[@]}" 'SALES\jdoe'
logged on only at the second controller|0|expected 'SALES\ann' ann dc1 dc2||5|"$program" --print "${both[@]}" 'SALES\ann'
account that expires, password policy from a PSO|0|expected 'SALES\willexp' willexp dc1 dc2||5|"$program" --print "${both[@]}" 'SALES\willexp'
locked out|0|expected 'SALES\locked' locked dc1 dc2||5|"$program" --print "${both[@]}" 'SALES\locked'
non-ASCII name|0|expected 'SALES\émile' '\c3\a9mile' dc1 dc2||5|"$program" --print "${both[@]}" 'SALES\émile'
parentheses in the name|0|expected 'SALES\j(1)' 'j\281\29' dc1 dc2||5|"$program" --print "${both[@]}" 'SALES\j(1)'
password to change at the next login|0|expected 'SALES\mustchange' mustchange dc1 dc2||5|"$program" --print "${both[@]}" 'SALES\mustchange'
computer account|0|expected 'SALES\DC1$' 'DC1$' dc1 dc2||5|"$program" --print "${both[@]}" 'SALES\DC1$'
a reader who may not read the PSO|0|expected 'SALES\willexp' willexp dc1 dc2||5|KRB5CCNAME=FILE:$AD_WORK/plain.cc "$program" --print "${both[@]}" 'SALES\willexp'
controllers from DNS, DNS domain typed|0|expected 'SALES.TEST\jdoe' jdoe dc1 dc2||5|"$program" --print 'sales.test\jdoe'
controllers from DNS, NetBIOS name|0|expected 'SALES\jdoe' jdoe dc1 dc2||5|"$program" --print 'sales\jdoe'
unmapped domain name, controller named|1|failure_text 'OTHER\jdoe'|dc1.$AD_DNS serves SALES, not OTHER|5|"$program" --print --server "ldap://dc1.$AD_DNS" 'other\jdoe'
a controller named by its address|1|failure_text 'SALES\jdoe'|no domain controller answered: ldap://$AD_NET.1: $gss|5|"$program" --print --server "ldap://$AD_NET.1" 'SALES\jdoe'
one controller named by its address|3|expected 'SALES\jdoe' jdoe dc1|$AD_NET.2: $gss; its answers are missing|5|"$program" --print --server "ldap://dc1.$AD_DNS" --server "ldap://$AD_NET.2" 'SALES\jdoe'
ldaps, the certificate verified|0|expected 'SALES\jdoe' jdoe dc1||5|LDAPTLS_CACERT=$AD_WORK/dc1/lib/private/tls/ca.pem "$program" --print --server "ldaps://dc1.$AD_DNS" 'SALES\jdoe'
ldaps, a certificate of another CA|1|failure_text 'SALES\jdoe'|no domain controller answered: ldaps://dc1.$AD_DNS: Can't contact LDAP server, or its certificate is not trusted (LDAPTLS_CACERT names a CA file)|5|LDAPTLS_CACERT=$AD_WORK/dc2/lib/private/tls/ca.pem LDAPTLS_REQCERT=never "$program" --print --server "ldaps://dc1.$AD_DNS" 'SALES\jdoe'
no ticket|1|failure_text 'SALES\jdoe'|no Kerberos ticket for SALES.TEST (run kinit)|5|KRB5CCNAME=FILE:$AD_WORK/none.cc "$program" --print 'SALES\jdoe'
root with the machine keytab, kept in memory|0|expected 'SALES\jdoe' jdoe dc1 dc2||5|KRB5CCNAME=FILE:$AD_WORK/none.cc KRB5_KTNAME=FILE:$AD_WORK/machine.keytab "$program" --print "${both[@]}" 'SALES\jdoe'
one controller black-holed|3|expected 'SALES\jdoe' jdoe dc1|dc9.$AD_DNS: Can't contact LDAP server; its answers are missing|6|"$program" --print --server "ldap://dc1.$AD_DNS" --server "ldap://dc9.$AD_DNS" 'SALES\jdoe'
CASES
# dc2 keeps Samba's default, which takes no Kerberos bind inside TLS (signed, sealed or not): the reason says what to do.
ad_in 1 env KRB5CCNAME="$KRB5CCNAME" LDAPTLS_CACERT="$AD_WORK/dc2/lib/private/tls/ca.pem" "$program" --print --server "ldaps://dc2.$AD_DNS" 'SALES\jdoe' >"$out" 2>"$err"
[ $? = 1 ] && grep -q "^no domain controller answered: ldaps://dc2.$AD_DNS: Strong(er) authentication required .*allow_sasl_over_tls" "$err" &&
    echo "ok: ldaps to Samba's default settings says why" || { fail "ldaps to Samba's default settings"; cat "$err"; }
# Root without a ticket on a joined machine (here dc1 itself) uses the
# machine account's ticket, from its keytab, and writes no cache.
[ ! -e "$AD_WORK/none.cc" ] && echo "ok: no ticket cache written" || fail "a ticket cache was written"

phase "audit"
# audit NAME STATUS OUT STDERR ARGS...: --audit SALES, its status and standard error; its output kept in OUT
audit() {
    ad_in 1 env KRB5CCNAME="$KRB5CCNAME" "$program" --audit SALES "${@:5}" >"$3" 2>"$err"
    local got=$?
    [ "$got" -eq "$2" ] && [ "$(cat "$err"; echo x)" = "${4:+$4$'\n'}x" ] && echo "ok: $1" ||
        { fail "$1: status $got (want $2)"; cat "$err"; }
}
verify() {  # verify NAME ARGS...: what audit_check.py ARGS says
    python3 "$here/audit_check.py" "${@:2}" && echo "ok: $1" || fail "$1"
}
# relocked's lockout has run out once dc1 no longer computes it (checked below).
lockout_over() { [ "$(raw dc1 relocked msDS-User-Account-Control-Computed | awk '{ print $2 }')" = 0 ]; }
wait_until 30 lockout_over
users=$(ad_in 1 ldapsearch -LLL -N -Q -Y GSSAPI -H "ldap://dc1.$AD_DNS" -b "$AD_BASE" -E pr=1000/noprompt \
    '(&(objectCategory=person)(objectClass=user))' dn | grep -c '^dn:')
json=$AD_WORK/audit.json
audit "the audit of both controllers" 0 "$json" "" "${both[@]}" --format json
# Every row (but the bulk's) agrees with the account's --print report.
mkdir "$AD_WORK/reports"
python3 -c 'import json, sys; [print(a["user"]) for a in json.load(open(sys.argv[1]))["accounts"] if not a["user"].startswith("bulk")]' \
    "$json" | while IFS= read -r user; do
    ad_in 1 env KRB5CCNAME="$KRB5CCNAME" "$program" --print "${both[@]}" "SALES\\$user" >"$AD_WORK/reports/$user" 2>/dev/null
done
verify "every row agrees with the account's report" agree "$json" "$AD_WORK/reports"
# Past the first page; locked, a lockout run out, disabled; a display name with a comma, quotes and É.
verify "all $users users, their states and names" expr "$json" "len(rows) == $users and $users > 1000" \
    'rows["locked"]["locked"] and rows["relocked"]["locked"] is False and rows["gone"]["disabled"]' \
    'rows["jdoe"]["fullName"] == "Doe, \"J\" Émile" and rows["jdoe"]["created"].startswith("20")' \
    'rows["neverexp"]["passwordNeverExpires"] and rows["neverexp"]["passwordMaxAgeDays"] == 30 and rows["krbtgt"]["systemAccount"]' \
    'rows["expired"]["accountExpired"] and rows["expired"]["disabled"] is False and not rows["willexp"]["accountExpired"]' \
    'rows["gone"]["container"] == "OU=Staff,DC=sales,DC=test" and rows["jdoe"]["systemAccount"] is False'
# filtered NAME EXPR ARGS...: the audit of both controllers with ARGS, whose rows EXPR holds of
filtered() { audit "$1" 0 "$AD_WORK/filtered.json" "" "${both[@]}" "${@:3}" --format json && verify "  its rows" expr "$AD_WORK/filtered.json" "$2"; }
filtered "--account-expired --enabled" 'set(rows) == {"expired"}' --account-expired --enabled
filtered "--password-never-expires --user-accounts" '"neverexp" in rows and not any(a["systemAccount"] or a["user"] == "jdoe" for a in rows.values())' \
    --password-never-expires --user-accounts
filtered "--computers --user-accounts" 'set(rows) == {"WEB01$"} and rows["WEB01$"]["container"] == "OU=Staff,DC=sales,DC=test"' --computers --user-accounts
os=$(object operatingSystem "CN=DC1,OU=Domain Controllers,$AD_BASE")
filtered "--computers, merged" 'set(rows) == {"DC1$", "DC2$", "WEB01$"} and rows["DC1$"]["operatingSystem"] == "'"$os"'" and rows["DC1$"]["systemAccount"]' --computers
verify "a controller's row" expr "$AD_WORK/filtered.json" 'rows["DC1$"]["container"] == "OU=Domain Controllers,DC=sales,DC=test" and rows["DC1$"]["lastLogin"]' \
    'rows["DC1$"]["passwordLastChanged"] and rows["WEB01$"]["lastLogin"] is None and rows["WEB01$"]["controllersAnswered"] == 2'
audit "a --base not in the domain's tree" 2 "$out" "--base OU=x,$AD_BASE does not exist in sales.test" \
    --server "ldap://dc1.$AD_DNS" --base "OU=x,$AD_BASE"
audit "a --base inside it" 0 "$AD_WORK/users.json" "" "${both[@]}" --base "OU=Staff,$AD_BASE" --format json
verify "only the accounts below the base" expr "$AD_WORK/users.json" 'set(rows) == {"gone"}'
ad_in 1 env KRB5CCNAME="$KRB5CCNAME" "$program" --print --per-dc --format json "${both[@]}" 'SALES\jdoe' >"$AD_WORK/perdc.json"
verify "per controller: jdoe's failures at dc2" expr "$AD_WORK/perdc.json" \
    '[c["badPwdCount"] for c in d["controllers"]] == [0, 2] and all(c["answered"] for c in d["controllers"])'
window() {  # window NAME STATUS-END PER-DC: the audit window's listing of SALES, and jdoe's rows per controller
    ad_in 1 env KRB5CCNAME="$KRB5CCNAME" QT_QPA_PLATFORM=offscreen TRAMSEL_TEST_STATUS="$2" TRAMSEL_TEST_PER_DC="$3" \
        TRAMSEL_TEST_DOMAIN="SALES ldap://dc1.$AD_DNS ldap://dc2.$AD_DNS" "$window_test" realDomain >"$out" 2>&1 &&
        echo "ok: $1" || { fail "$1"; cat "$out"; }
}
window "the audit window: every user, jdoe's failures at dc2" "; 2 of 2 controllers answered" "ldap://dc1.$AD_DNS=0 ldap://dc2.$AD_DNS=2"

phase "a controller that hangs, or is stopped"
ad_signal_dc 2 STOP
cases <<'CASES'
one controller hung|3|expected 'SALES\jdoe' jdoe dc1|dc2.$AD_DNS: Timed out; its answers are missing|6|"$program" --print "${both[@]}" 'SALES\jdoe'
CASES
ad_signal_dc 2 CONT
ad_stop_dc 2
cases <<'CASES'
the newest lastLogon's controller stopped|3|expected 'SALES\ann' ann dc1|dc2.$AD_DNS: Can't contact LDAP server; its answers are missing|6|"$program" --print "${both[@]}" 'SALES\ann'
CASES
audit "the audit with one controller stopped" 3 "$AD_WORK/down.json" \
    "dc2.$AD_DNS: Can't contact LDAP server; its answers are missing" "${both[@]}" --format json
verify "every row, from the other controller" expr "$AD_WORK/down.json" \
    'len(rows) == '"$users"' and all(a["controllersAnswered"] == 1 for a in rows.values()) and not d["controllers"][1]["answered"]'
window "the audit window names the stopped controller" "; 1 of 2 controllers answered; dc2.$AD_DNS is missing" ""

phase ""
echo "done: $failures failed"
[ "$failures" -eq 0 ]
