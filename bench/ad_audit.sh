#!/usr/bin/env bash
# Benchmark of the audit of an Active Directory domain: two Samba domain
# controllers in private network namespaces (the domain test's set-up)
# holding 10,000 users, imported as LDIF. Prints, as medians of RUNS rounds
# that run each command in turn, with the load before and after:
#   - two paged ldapsearch runs (-E pr=1000/noprompt) of the audit's
#     attributes, one a controller, started at once; one of dc1 alone; the
#     audit of dc1 alone and of both controllers at once; and their ratios
#     (the aim: the audit of both within 1.3 times the two searches);
#   - the audit's peak RSS over that of an audit of an empty OU (the same
#     start-up: libraries, Kerberos, one bind a controller), per account
#     (the aim: at most 1 KiB).
# Needs root. Not part of ./scripts/test.
# Usage: bench/ad_audit.sh [PROGRAM]
#   PROGRAM is tramsel; without it the Release build's is built and used.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
runs=${RUNS:-5}
accounts=${ACCOUNTS:-10000}

program=${1:-}
if [ -z "$program" ]; then
    cmake --preset release >/dev/null && cmake --build --preset release --target tramsel >/dev/null || exit 1
    program=build/release/src/tramsel
fi
program=$(realpath "$program")
. tests/directory/ad/samba_domain.sh
why=$(ad_can_run)
[ -z "$why" ] || { echo "cannot run: $why" >&2; exit 1; }
command -v ldbadd >/dev/null || { echo "cannot run: ldbadd (ldb-tools) is not installed" >&2; exit 1; }
trap ad_cleanup EXIT

echo "Setting up the domain with $accounts users... (load average: $(cut -d' ' -f1-3 /proc/loadavg))"
ad_start_work
ad_add_dc 1 && ad_add_dc 2 && ad_make_dc 1 || exit 1
# 500 users to a transaction: one transaction's cost grows with the square of its size.
python3 - "$AD_BASE" "$AD_WORK" "$accounts" <<'PY' || exit 1
import sys
base, work, count = sys.argv[1], sys.argv[2], int(sys.argv[3])
with open(f"{work}/empty.ldif", "w") as f:
    f.write(f"dn: OU=Empty,{base}\nobjectClass: organizationalUnit\n\n")
for first in range(0, count, 500):
    with open(f"{work}/users{first:05d}.ldif", "w") as f:
        for i in range(first, min(first + 500, count)):
            f.write(f"dn: CN=user{i:05d},CN=Users,{base}\nobjectClass: user\nsAMAccountName: user{i:05d}\n"
                    f"displayName: User {i}\n\n")
PY
start=$(date +%s)
for ldif in "$AD_WORK"/empty.ldif "$AD_WORK"/users*.ldif; do
    ad_in 1 ldbadd -H /var/lib/samba/private/sam.ldb "$ldif" >/dev/null || exit 1
done
echo "imported in $(($(date +%s) - start)) s"
{ ad_start_dc 1 && ad_make_dc 2 && ad_start_dc 2 && ad_announce_second >/dev/null 2>&1; } || exit 1
export KRB5CCNAME=FILE:$AD_WORK/reader.cc TZ=UTC
printf '%s\n' "$AD_ADMIN_PASSWORD" | ad_in 1 kinit "Administrator@$AD_REALM" >/dev/null || exit 1

# wall CMD...: one run's wall time, in milliseconds
wall() {
    local start
    start=$(date +%s%N)
    ad_in 1 "$@" >/dev/null 2>&1
    echo $((($(date +%s%N) - start) / 1000000))
}
median() { sort -n | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
peak() {  # peak CMD...: the peak RSS in KiB
    ad_in 1 /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -1
}
attributes=(objectGUID sAMAccountName displayName whenCreated lastLogon lastLogonTimestamp lastLogoff badPwdCount
            badPasswordTime pwdLastSet userAccountControl msDS-User-Account-Control-Computed
            msDS-UserPasswordExpiryTimeComputed msDS-ResultantPSO lockoutTime accountExpires)
dc1=(--server "ldap://dc1.$AD_DNS")
both=(--server "ldap://dc1.$AD_DNS" --server "ldap://dc2.$AD_DNS")

listed=$(ad_in 1 "$program" --audit SALES "${both[@]}" --format csv | tail -n +2 | wc -l)
# The floor: one paged search of each controller, both started at once, as
# the audit asks them (the two controllers share this machine's processors).
search() {
    ldapsearch -LLL -N -Q -Y GSSAPI -H "ldap://$1.$AD_DNS" -b "$AD_BASE" -E pr=1000/noprompt \
        '(&(objectCategory=person)(objectClass=user))' "${attributes[@]}"
}
both_searches() {
    search dc1 >/dev/null &
    search dc2 >/dev/null &
    wait
}
export -f search both_searches
export AD_DNS AD_BASE
# Round by round, each command in turn, so that all see the same load.
work=$(mktemp -d)
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
for ((round = 0; round < runs; round++)); do
    wall bash -c "attributes=(${attributes[*]}); search dc1" >>"$work/search"
    wall bash -c "attributes=(${attributes[*]}); both_searches" >>"$work/searches"
    wall "$program" --audit SALES "${dc1[@]}" --format csv >>"$work/one"
    wall "$program" --audit SALES "${both[@]}" --format csv >>"$work/two"
done
echo "load after:  $(cut -d' ' -f1-3 /proc/loadavg)"
search=$(median <"$work/search")
searches=$(median <"$work/searches")
one=$(median <"$work/one")
two=$(median <"$work/two")
rm -rf "$work"
empty_rss=$(peak "$program" --audit SALES "${both[@]}" --base "OU=Empty,$AD_BASE" --format csv)
rss=$(peak "$program" --audit SALES "${both[@]}" --format csv)

printf '%-62s %8s\n' \
    "accounts listed" "$listed" \
    "ldapsearch -E pr=1000/noprompt, dc1 (ms)" "$search" \
    "audit, dc1 (ms)" "$one" \
    "audit, dc1 and dc2 at once (ms)" "$two" \
    "both ldapsearches at once, dc1 and dc2 (ms)" "$searches" \
    "audit of both / both ldapsearches at once (aim: at most 1.3)" "$(ratio "$two" "$searches")" \
    "audit of dc1 / ldapsearch of dc1" "$(ratio "$one" "$search")" \
    "audit of both / ldapsearch of dc1" "$(ratio "$two" "$search")" \
    "audit of both / audit of dc1" "$(ratio "$two" "$one")" \
    "peak RSS, audit of an empty OU (KiB)" "$empty_rss" \
    "peak RSS, audit of both (KiB)" "$rss" \
    "growth per account (bytes; aim: at most 1024)" "$(((rss - empty_rss) * 1024 / listed))"
