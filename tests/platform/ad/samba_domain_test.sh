#!/usr/bin/env bash
# The Active Directory provider against a real domain: two Samba domain
# controllers in private network namespaces, accounts and logins made with
# Samba's and Kerberos' own tools, and the program's printed reports
# compared byte for byte with what the test works out from each
# controller's raw attributes; then the audit's rows compared with those
# reports (audit_check.py), its states, filters and paging.
# Usage: samba_domain_test.sh PATH/TO/tramsel
set -uo pipefail

skip() { echo "SKIPPED: $*"; exit 77; }
program=$(realpath "$1")
. "$(dirname "$(realpath "$0")")/samba_domain.sh"
why=$(ad_can_run)
[ -z "$why" ] || skip "$why"

trap ad_cleanup EXIT
started=$(date +%s)
ad_start_work
die() { echo "FAIL: $*"; exit 1; }
step() { echo "== $* ($(($(date +%s) - started)) s)"; }

# --- The domain: policy and accounts on dc1, then dc2 joins and copies them.
step "provisioning dc1"
ad_add_dc 1 && ad_add_dc 2 || die "cannot make the namespaces"
ad_provision || die "cannot provision"
password='Us3r-Passw0rd!'
users=(jdoe ann neverexp willexp newbie locked émile 'j(1)' plain)
# Each made unless it is there; settings and expiries set again change nothing.
make_accounts() {
    local user
    ad_in 1 samba-tool domain passwordsettings set --account-lockout-threshold=3 --max-pwd-age=30 --min-pwd-age=0 ||
        return 1
    for user in "${users[@]}"; do
        ad_in 1 samba-tool user show "$user" >/dev/null || ad_in 1 samba-tool user create "$user" "$password" || return 1
    done
    ad_in 1 samba-tool user setexpiry neverexp --noexpiry &&
        ad_in 1 samba-tool user setexpiry willexp --days=10 || return 1
    ad_in 1 samba-tool domain passwordsettings pso show weekly >/dev/null ||
        ad_in 1 samba-tool domain passwordsettings pso create weekly 1 --max-pwd-age=7 || return 1
    ad_in 1 samba-tool domain passwordsettings pso show-user willexp | grep "'weekly'" >/dev/null ||
        ad_in 1 samba-tool domain passwordsettings pso apply weekly willexp
}
make_accounts >"$AD_WORK/accounts.log" 2>&1 || { cat "$AD_WORK/accounts.log"; die "cannot make the accounts"; }
# A password that must be changed at the next login has no date set.
{ ad_in 1 samba-tool user show mustchange >/dev/null 2>&1 ||
    ad_in 1 samba-tool user create mustchange "$password" --must-change-at-next-login >/dev/null; } ||
    die "cannot make mustchange"
# For the audit: a disabled account, one whose lockout runs out after five
# seconds (a PSO of its own), a display name that CSV must quote, and more
# users than a page holds, imported as LDIF (550 to a transaction: one
# transaction's cost grows with the square of its size).
audit_accounts() {
    local first
    ad_in 1 samba-tool ou list | grep -x 'OU=Staff' >/dev/null || ad_in 1 samba-tool ou create OU=Staff || return 1
    { ad_in 1 samba-tool user show gone >/dev/null 2>&1 ||
        ad_in 1 samba-tool user create gone "$password" --userou=OU=Staff; } &&
        { ad_in 1 samba-tool user show relocked >/dev/null 2>&1 ||
            ad_in 1 samba-tool user create relocked "$password"; } || return 1
    ad_in 1 samba-tool user disable gone || return 1
    ad_in 1 samba-tool domain passwordsettings pso show quick >/dev/null 2>&1 ||
        ad_in 1 samba-tool domain passwordsettings pso create quick 2 --account-lockout-threshold=3 \
            --account-lockout-duration=1 --reset-account-lockout-after=1 || return 1
    ad_in 1 samba-tool domain passwordsettings pso show-user relocked | grep "'quick'" >/dev/null ||
        ad_in 1 samba-tool domain passwordsettings pso apply quick relocked || return 1
    python3 - "$AD_BASE" "$AD_WORK" <<'PY' || return 1
import base64, sys
base, work = sys.argv[1:]
name = base64.b64encode('Doe, "J" Émile'.encode()).decode()
with open(f"{work}/audit.ldif", "w") as ldif:
    ldif.write(f"dn: CN=quick,CN=Password Settings Container,CN=System,{base}\nchangetype: modify\n"
               "replace: msDS-LockoutDuration\nmsDS-LockoutDuration: -50000000\n-\n"
               "replace: msDS-LockoutObservationWindow\nmsDS-LockoutObservationWindow: -50000000\n-\n\n"
               f"dn: CN=jdoe,CN=Users,{base}\nchangetype: modify\nreplace: displayName\ndisplayName:: {name}\n-\n")
for first in (0, 550):
    with open(f"{work}/bulk{first}.ldif", "w") as ldif:
        for i in range(first, first + 550):
            ldif.write(f"dn: CN=bulk{i:05d},CN=Users,{base}\nobjectClass: user\nsAMAccountName: bulk{i:05d}\n\n")
PY
    ad_in 1 ldbmodify -H /var/lib/samba/private/sam.ldb "$AD_WORK/audit.ldif" || return 1
    for first in 0 550; do
        ad_in 1 ldbsearch -H /var/lib/samba/private/sam.ldb "(sAMAccountName=bulk$(printf %05d $((first + 549))))" dn |
            grep '^dn:' >/dev/null || ad_in 1 ldbadd -H /var/lib/samba/private/sam.ldb "$AD_WORK/bulk$first.ldif" || return 1
    done
}
audit_accounts >"$AD_WORK/audit-accounts.log" 2>&1 || { cat "$AD_WORK/audit-accounts.log"; die "cannot make the audit's accounts"; }
step "starting dc1"
ad_start_dc 1 || die "dc1 does not start"
step "joining dc2"
ad_join_second || die "dc2 cannot join"
ad_start_dc 2 || die "dc2 does not start"
ad_announce_second >"$AD_WORK/announce.log" 2>&1 || { cat "$AD_WORK/announce.log"; die "dc1 does not know dc2"; }

# --- Logins, good and bad, at one controller or the other.
step "logging in"
export KRB5CCNAME=FILE:$AD_WORK/reader.cc
printf '%s\n' "$AD_ADMIN_PASSWORD" | ad_in 1 kinit "Administrator@$AD_REALM" >/dev/null || die "no ticket for the reader"
# A reader with no administrator's rights.
printf '%s\n' "$password" | ad_in 1 kinit -c "FILE:$AD_WORK/plain.cc" "plain@$AD_REALM" >/dev/null ||
    die "no ticket for plain"
login() {  # login DC USER PASSWORD: a Kerberos login at that controller only
    printf '%s\n' "$3" | ad_in 1 env KRB5_CONFIG="$AD_WORK/krb5-$1.conf" \
        kinit -c "FILE:$AD_WORK/login.cc" "$2@$AD_REALM" >/dev/null 2>&1
}
wrong='Wr0ng-Passw0rd!'
login dc1 jdoe "$wrong"; login dc2 jdoe "$wrong"; login dc2 jdoe "$wrong"
login dc1 jdoe "$password" || die "jdoe cannot log in"
login dc2 ann "$password" || die "ann cannot log in"
login dc1 'j(1)' "$password" || die "j(1) cannot log in"
for _ in 1 2 3; do login dc1 locked "$wrong"; login dc1 relocked "$wrong"; done
# ann's login reaches dc1 as the replicated lastLogonTimestamp.
ad_in 1 samba-tool drs replicate "dc1.$AD_DNS" "dc2.$AD_DNS" "$AD_BASE" -U Administrator \
    --password="$AD_ADMIN_PASSWORD" >/dev/null 2>&1 || die "dc1 cannot replicate from dc2"
# A wrong LDAP simple bind counts as a failed login too.
ad_in 1 env LDAPTLS_REQCERT=never ldapsearch -x -H "ldaps://dc2.$AD_DNS" -D "émile@$AD_DNS" -w "$wrong" \
    -b '' -s base >/dev/null 2>&1

failures=0

# --- What the report should say, from the controllers' raw attributes.
# Local time is a zone with summer time, so that the conversion is real.
export TZ='EST5EDT,M3.2.0,M11.1.0' LC_ALL=C.UTF-8
never=9223372036854775807

raw() {  # raw DC FILTER-VALUE ATTRIBUTE...: "name value" lines
    local dc=$1 value=$2
    shift 2
    ad_in 1 ldapsearch -LLL -N -Q -Y GSSAPI -o ldif-wrap=no -H "ldap://$dc.$AD_DNS" -b "$AD_BASE" \
        "(sAMAccountName=$value)" "$@" >"$AD_WORK/raw" || return 1
    sed -n 's/^\([A-Za-z-]*\): \(.*\)$/\1 \2/p' "$AD_WORK/raw"
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

failure() {  # the failure text for a display name
    printf '\nNo such NT account: '"'"'%s'"'"',\nor ADSI is not installed on your computer.\nYou need to install ADSI:\nhttp://download.microsoft.com/ntserver/downloads/bin/nts/adsx86.exe\nor use Windows 2000\n\n' "$1"
}

# --- The cases.
out=$AD_WORK/out err=$AD_WORK/err
# check NAME STATUS STDOUT STDERR MAX-SECONDS -- ARGS...: exact output, status
# and time; STDOUT ends in an "x" that keeps its last line ends.
check() {
    local name=$1 status=$2 stdout=$3 stderr=$4 limit=$5 start elapsed got
    shift 6
    start=$(date +%s%N)
    ad_in 1 env KRB5CCNAME="$KRB5CCNAME" "$program" --print "$@" >"$out" 2>"$err"
    got=$?
    elapsed=$((($(date +%s%N) - start) / 1000000))
    if [ "$got" -ne "$status" ] || [ "$(cat "$out"; echo x)" != "$stdout" ] ||
        [ "$(cat "$err"; echo x)" != "$stderr"x ] || [ "$elapsed" -gt $((limit * 1000)) ]; then
        echo "FAIL: $name: status $got (want $status), $elapsed ms (at most $limit s)"
        echo "--- stdout:"; cat "$out"; echo "--- expected:"; printf '%s' "$stdout"
        echo "--- stderr:"; cat "$err"
        failures=$((failures + 1))
    else
        echo "ok: $name ($elapsed ms)"
        sed 's/^/    /' "$out" "$err"
    fi
}
both=(--server "ldap://dc1.$AD_DNS" --server "ldap://dc2.$AD_DNS")
report() {  # report CASE USER FILTER-VALUE: the report from both controllers
    local name=$1 user=$2 value=$3
    check "$name" 0 "$(expected "SALES\\$user" "$value" dc1 dc2; echo x)" "" 5 -- "${both[@]}" "SALES\\$user"
}
# The logins landed where they should: else the reports below prove less.
scenario() {  # scenario WHAT DC USER ATTRIBUTE EXPECTED
    local got
    got=$(raw "$2" "$3" "$4" | awk -v a="$4" '$1 == a { print (a ~ /^lastLogon(Timestamp)?$|Time$/ && $2 > 0 ? "set" : $2) }')
    [ "$got" == "$5" ] && echo "ok: $1" || { echo "FAIL: $1: $4 on $2 is '$got', not '$5'"; failures=$((failures + 1)); }
}
scenario "jdoe's failure at dc1 reset by the login there" dc1 jdoe badPwdCount 0
scenario "jdoe's two failures at dc2" dc2 jdoe badPwdCount 2
scenario "ann logged on at dc2" dc2 ann lastLogon set
scenario "ann never at dc1" dc1 ann lastLogon 0
scenario "locked has three failures" dc1 locked badPwdCount 3
scenario "émile's failure at dc2" dc2 '\c3\a9mile' badPwdCount 1
scenario "ann's login replicated to dc1" dc1 ann lastLogonTimestamp set
scenario "relocked was locked out" dc1 relocked lockoutTime set

step "reports"
report "failures split across two controllers" jdoe jdoe
report "logged on only at the second controller" ann ann
report "password never expires" neverexp neverexp
report "account that expires, password policy from a PSO" willexp willexp
report "never logged on" newbie newbie
report "locked out" locked locked
report "non-ASCII name" émile '\c3\a9mile'
report "parentheses in the name" 'j(1)' 'j\281\29'
report "password to change at the next login" mustchange mustchange
report "computer account" 'DC1$' 'DC1$'
KRB5CCNAME=FILE:$AD_WORK/plain.cc check "a reader who may not read the PSO" 0 \
    "$(expected 'SALES\willexp' willexp dc1 dc2; echo x)" "" 5 -- "${both[@]}" 'SALES\willexp'
check "controllers from DNS, DNS domain typed" 0 "$(expected 'SALES.TEST\jdoe' jdoe dc1 dc2; echo x)" "" 5 -- 'sales.test\jdoe'
check "controllers from DNS, NetBIOS name" 0 "$(expected 'SALES\jdoe' jdoe dc1 dc2; echo x)" "" 5 -- 'sales\jdoe'

# A NetBIOS name no file maps: the controller says which domain it serves.
check "unmapped domain name, controller named" 1 "$(failure 'OTHER\jdoe'; echo x)" \
    "dc1.$AD_DNS serves SALES, not OTHER"$'\n' 5 -- --server "ldap://dc1.$AD_DNS" 'other\jdoe'
check "wrong DNS domain, controller named" 1 "$(failure 'OTHER.TEST\jdoe'; echo x)" \
    "dc1.$AD_DNS serves $AD_DNS, not other.test"$'\n' 5 -- --server "ldap://dc1.$AD_DNS" 'other.test\jdoe'
kerberos_hint="Server not found in Kerberos database)); Kerberos needs the controller's host name, not its address"
check "a controller named by its address" 1 "$(failure 'SALES\jdoe'; echo x)" \
    "no domain controller answered: ldap://$AD_NET.1: Local error (SASL(-1): generic failure: GSSAPI Error: Unspecified GSS failure.  Minor code may provide more information ($kerberos_hint"$'\n' 5 -- \
    --server "ldap://$AD_NET.1" 'SALES\jdoe'
check "one controller named by its address" 3 "$(expected 'SALES\jdoe' jdoe dc1; echo x)" \
    "$AD_NET.2: Local error (SASL(-1): generic failure: GSSAPI Error: Unspecified GSS failure.  Minor code may provide more information ($kerberos_hint; its answers are missing"$'\n' 5 -- \
    --server "ldap://dc1.$AD_DNS" --server "ldap://$AD_NET.2" 'SALES\jdoe'
# LDAPS: the controller's certificate checked against its CA, GSSAPI inside TLS.
LDAPTLS_CACERT=$AD_WORK/dc1/lib/private/tls/ca.pem check "ldaps, the certificate verified" 0 \
    "$(expected 'SALES\jdoe' jdoe dc1; echo x)" "" 5 -- --server "ldaps://dc1.$AD_DNS" 'SALES\jdoe'
LDAPTLS_CACERT=$AD_WORK/dc2/lib/private/tls/ca.pem LDAPTLS_REQCERT=never check "ldaps, a certificate of another CA" 1 \
    "$(failure 'SALES\jdoe'; echo x)" "no domain controller answered: ldaps://dc1.$AD_DNS: Can't contact LDAP server, or its certificate is not trusted (LDAPTLS_CACERT names a CA file)"$'\n' 5 -- \
    --server "ldaps://dc1.$AD_DNS" 'SALES\jdoe'
check "unmapped domain name, no controller named" 1 "$(failure 'OTHER\jdoe'; echo x)" \
    $'no DNS domain known for OTHER: set realm in smb.conf, or name a domain controller with --server\n' 1 -- 'other\jdoe'

check "a wildcard matches no one" 1 "$(failure 'SALES\j*'; echo x)" $'no user j* in sales.test\n' 5 -- "${both[@]}" 'SALES\j*'
check "a filter cannot be widened" 1 "$(failure 'SALES\jdoe)(x'; echo x)" $'no user jdoe)(x in sales.test\n' 5 -- "${both[@]}" 'SALES\jdoe)(x'
check "unknown user" 1 "$(failure 'SALES\nobody'; echo x)" $'no user nobody in sales.test\n' 5 -- "${both[@]}" 'SALES\nobody'
KRB5CCNAME=FILE:$AD_WORK/none.cc check "no ticket" 1 "$(failure 'SALES\jdoe'; echo x)" \
    $'no Kerberos ticket for SALES.TEST (run kinit)\n' 5 -- 'SALES\jdoe'
# Root without a ticket on a joined machine (here dc1 itself): the machine
# account's ticket, from its keytab, kept in memory only.
rm -f "$AD_WORK/machine.keytab"
ad_in 1 samba-tool domain exportkeytab "$AD_WORK/machine.keytab" --principal='DC1$' >/dev/null 2>&1 ||
    die "cannot export dc1's keytab"
KRB5CCNAME=FILE:$AD_WORK/none.cc KRB5_KTNAME=FILE:$AD_WORK/machine.keytab check "root with the machine keytab" 0 \
    "$(expected 'SALES\jdoe' jdoe dc1 dc2; echo x)" "" 5 -- "${both[@]}" 'SALES\jdoe'
[ ! -e "$AD_WORK/none.cc" ] && echo "ok: no ticket cache written" ||
    { echo "FAIL: a ticket cache was written"; failures=$((failures + 1)); }

step "audit"
here=$(dirname "$(realpath "$0")")
# audit NAME STATUS OUT STDERR ARGS...: --audit SALES, its status and standard error; its output kept in OUT
audit() {
    local name=$1 status=$2 file=$3 stderr=$4 got
    shift 4
    ad_in 1 env KRB5CCNAME="$KRB5CCNAME" "$program" --audit SALES "$@" >"$file" 2>"$err"
    got=$?
    if [ "$got" -ne "$status" ] || [ "$(cat "$err")" != "$stderr" ]; then
        echo "FAIL: $name: status $got (want $status)"; cat "$err"; failures=$((failures + 1))
    else
        echo "ok: $name"
    fi
}
verify() {  # verify NAME ARGS...: what audit_check.py ARGS says
    if python3 "$here/audit_check.py" "${@:2}"; then echo "ok: $1"; else echo "FAIL: $1"; failures=$((failures + 1)); fi
}
agree() {  # agree NAME AUDIT-JSON ARGS...: every row (but the bulk's) and its --print report
    local name=$1 json=$2 user
    shift 2
    rm -rf "$AD_WORK/reports" && mkdir "$AD_WORK/reports"
    python3 -c 'import json, sys; [print(a["user"]) for a in json.load(open(sys.argv[1]))["accounts"] if not a["user"].startswith("bulk")]' \
        "$json" | while IFS= read -r user; do
        ad_in 1 env KRB5CCNAME="$KRB5CCNAME" "$program" --print "$@" "SALES\\$user" >"$AD_WORK/reports/$user" 2>/dev/null
    done
    verify "$name" agree "$json" "$AD_WORK/reports"
}
# relocked's lockout has run out once dc1 no longer computes it.
for _ in $(seq 60); do
    [ "$(raw dc1 relocked msDS-User-Account-Control-Computed | awk '{ print $2 }')" = 0 ] && break
    sleep 0.5
done
users=$(ad_in 1 ldapsearch -LLL -N -Q -Y GSSAPI -H "ldap://dc1.$AD_DNS" -b "$AD_BASE" -E pr=1000/noprompt \
    '(&(objectCategory=person)(objectClass=user))' dn | grep -c '^dn:')
json=$AD_WORK/audit.json
audit "the audit of both controllers" 0 "$json" "" "${both[@]}" --format json
agree "every row agrees with the account's report" "$json" "${both[@]}"
verify "past the first page: all $users users" expr "$json" "len(rows) == $users and $users > 1000"
verify "split bad passwords: the largest count" expr "$json" 'rows["jdoe"]["badLoginCount"] == 2'
verify "a login only at the second controller" expr "$json" 'rows["ann"]["lastLogin"] is not None'
verify "locked, a lockout run out, disabled" expr "$json" \
    'rows["locked"]["locked"] and rows["relocked"]["locked"] is False and rows["gone"]["disabled"]'
verify "a display name with a comma, quotes and É" expr "$json" 'rows["jdoe"]["fullName"] == "Doe, \"J\" Émile"'
audit "the audit as CSV" 0 "$AD_WORK/audit.csv" "" "${both[@]}" --format csv
verify "CSV holds the same rows and names" csv "$json" "$AD_WORK/audit.csv"
for filter in 'locked:a["locked"]' 'disabled:a["disabled"]' 'enabled:a["disabled"] is False' \
    'never-logged-in:a["lastLogin"] is None'; do
    audit "--${filter%%:*}" 0 "$AD_WORK/filtered.json" "" "${both[@]}" --format json "--${filter%%:*}"
    verify "--${filter%%:*} selects exactly its accounts" filter "$json" "$AD_WORK/filtered.json" "${filter#*:}"
done
audit "a --base outside the domain" 2 "$out" "--base OU=x,DC=other,DC=test is not in sales.test" \
    "${both[@]}" --base OU=x,DC=other,DC=test
audit "a --base not in the domain's tree" 2 "$out" "--base OU=x,$AD_BASE does not exist in sales.test" \
    --server "ldap://dc1.$AD_DNS" --base "OU=x,$AD_BASE"
audit "a --base inside it" 0 "$AD_WORK/users.json" "" "${both[@]}" --base "OU=Staff,$AD_BASE" --format json
verify "only the accounts below the base" expr "$AD_WORK/users.json" 'set(rows) == {"gone"}'
ad_in 1 env KRB5CCNAME="$KRB5CCNAME" "$program" --print --per-dc --format json "${both[@]}" 'SALES\jdoe' >"$AD_WORK/perdc.json"
verify "per controller: jdoe's failures at dc2" expr "$AD_WORK/perdc.json" \
    '[c["badPwdCount"] for c in d["controllers"]] == [0, 2] and all(c["answered"] for c in d["controllers"])'

step "a controller that never answers"
check "one controller black-holed" 3 "$(expected 'SALES\jdoe' jdoe dc1; echo x)" \
    "dc9.$AD_DNS: Can't contact LDAP server; its answers are missing"$'\n' 6 -- \
    --server "ldap://dc1.$AD_DNS" --server "ldap://dc9.$AD_DNS" 'SALES\jdoe'
check "the only controller black-holed" 1 "$(failure 'SALES\jdoe'; echo x)" \
    "no domain controller answered: ldap://dc9.$AD_DNS: Can't contact LDAP server"$'\n' 6 -- --server "ldap://dc9.$AD_DNS" 'SALES\jdoe'
step "a controller that hangs, then one stopped"
dc1only=$(expected 'SALES\jdoe' jdoe dc1; echo x)
ad_signal_dc 2 STOP
check "one controller hung" 3 "$dc1only" "dc2.$AD_DNS: Timed out; its answers are missing"$'\n' 6 -- \
    "${both[@]}" 'SALES\jdoe'
ad_signal_dc 2 CONT
ad_stop_dc 2
check "one controller stopped" 3 "$dc1only" "dc2.$AD_DNS: Can't contact LDAP server; its answers are missing"$'\n' 6 -- \
    "${both[@]}" 'SALES\jdoe'
check "the newest lastLogon's controller stopped" 3 "$(expected 'SALES\ann' ann dc1; echo x)" \
    "dc2.$AD_DNS: Can't contact LDAP server; its answers are missing"$'\n' 6 -- "${both[@]}" 'SALES\ann'
audit "the audit with one controller stopped" 3 "$AD_WORK/down.json" \
    "ldap://dc2.$AD_DNS: Can't contact LDAP server; its answers are missing" "${both[@]}" --format json
verify "every row, from the other controller" expr "$AD_WORK/down.json" \
    'len(rows) == '"$users"' and all(a["controllersAnswered"] == 1 for a in rows.values()) and not d["controllers"][1]["answered"]'
agree "rows agree with the reports, one controller stopped" "$AD_WORK/down.json" "${both[@]}"

step "done: $failures failed"
[ "$failures" -eq 0 ]
