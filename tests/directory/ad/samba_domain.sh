# Sourced: a real Samba AD domain, SALES.TEST, in private network namespaces.
# Each domain controller has one holder process that owns its network, mount
# and UTS namespaces; everything else enters them with nsenter. The two
# controllers talk over a veth pair; nothing reaches any other network, and
# every Samba file lives below the work folder (bind-mounted over Samba's
# own folders inside the namespace).
#
# Each setup step runs once, on a fresh work folder; only what a controller
# may do for itself (dc2's DNS records) is looked for first.
#
# ad_can_run                         why this machine cannot run a domain (empty: it can)
# ad_start_work                      the work folder, cleaned up by ad_cleanup
# ad_add_dc N                        the namespaces of controller N (1 or 2)
# ad_make_dc N                       the domain on dc1, or dc2 joined to it
# ad_start_dc N / ad_stop_dc N       samba on controller N; up when LDAPS answers
# ad_announce_second                 dc1 learns dc2's service names; its DNS names both
# ad_locators                        the controllers dc1's DNS names, one a line
# ad_signal_dc N SIGNAL              every process of controller N (STOP: it hangs)
# ad_in N CMD...                     a command inside controller N's namespaces
# (wait_until, from tests/support/wait.sh: a command run until it succeeds, with a bound)
# ad_cleanup                         stops everything, removes the work folder

. "$(dirname "${BASH_SOURCE[0]}")/../../support/wait.sh"

AD_REALM=SALES.TEST
AD_NETBIOS=SALES
AD_DNS=sales.test
AD_BASE=DC=sales,DC=test
AD_ADMIN_PASSWORD='Adm1n-Passw0rd!'
AD_NET=10.53.0
# dc1 as Active Directory: LDAP binds signed and sealed, or SASL inside TLS.
# dc2 keeps Samba's default, which wants signing and sealing inside TLS too.
AD_STRONG_AUTH='ldap server require strong auth = allow_sasl_over_tls'
# An address whose packets dc2's namespace takes and drops (it neither owns
# nor forwards it): a controller that never answers.
AD_BLACK_HOLE=$AD_NET.99

ad_can_run() {
    [ "$(id -u)" -eq 0 ] || { echo "needs root (network namespaces and bind mounts)"; return; }
    local tool
    for tool in unshare nsenter ip samba samba-tool kinit ldapsearch; do
        command -v "$tool" >/dev/null || { echo "$tool is not installed"; return; }
    done
    # Samba's own DNS toolkit, which asks dc1's DNS server (dig may be missing).
    /usr/bin/python3 -c 'import dns.resolver' 2>/dev/null || { echo "python3-dnspython is not installed"; return; }
    unshare --net --mount --uts --propagation private true 2>/dev/null ||
        { echo "unshare --net --mount --uts is not permitted here"; return; }
    unshare --net ip link add tsadx type veth peer name tsady 2>/dev/null ||
        echo "this kernel has no veth interfaces"
}

ad_start_work() {
    AD_WORK=$(mktemp -d /tmp/tramsel-ad.XXXXXX)
    chmod 755 "$AD_WORK"
    cat >"$AD_WORK/hosts" <<HOSTS
127.0.0.1 localhost
$AD_NET.1 dc1.$AD_DNS dc1
$AD_NET.2 dc2.$AD_DNS dc2
$AD_BLACK_HOLE dc9.$AD_DNS dc9
HOSTS
    # Clients' Kerberos: both KDCs, or only one (to choose where a login lands).
    local kdcs
    for kdcs in "dc1 dc2" dc1 dc2; do
        {
            printf '[libdefaults]\n default_realm = %s\n dns_lookup_kdc = false\n dns_lookup_realm = false\n rdns = false\n' "$AD_REALM"
            printf ' udp_preference_limit = 1\n kdc_timeout = 1500\n max_retries = 1\n'
            printf '[realms]\n %s = {\n' "$AD_REALM"
            for kdc in $kdcs; do printf '  kdc = %s.%s\n' "$kdc" "$AD_DNS"; done
            printf ' }\n[domain_realm]\n .%s = %s\n %s = %s\n' "$AD_DNS" "$AD_REALM" "$AD_DNS" "$AD_REALM"
        } >"$AD_WORK/krb5-${kdcs// /-}.conf"
    done
    export KRB5_CONFIG=$AD_WORK/krb5-dc1-dc2.conf
}

ad_in() {
    local n=$1
    shift
    nsenter -t "$(cat "$AD_WORK/dc$n/holder.pid")" -n -m -u -- "$@"
}

# The namespaces exist once the holder, started by unshare, has become sleep.
ad_has_namespaces() {
    local pid
    pid=$(cat "$AD_WORK/dc$1/holder.pid" 2>/dev/null) &&
        [ "$(readlink "/proc/$pid/exe")" = "$(readlink -f "$(command -v sleep)")" ]
}

ad_add_dc() {
    local n=$1 dir=$AD_WORK/dc$1 d
    mkdir -p "$dir"/{etc,lib,run,log,cache}
    : >"$dir/etc/smb.conf"
    printf 'search %s\nnameserver %s.1\noptions timeout:1 attempts:1\n' "$AD_DNS" "$AD_NET" >"$dir/resolv.conf"
    unshare --net --mount --uts --propagation private sleep infinity </dev/null >/dev/null 2>&1 &
    echo $! >"$dir/holder.pid"
    wait_until 30 ad_has_namespaces "$n" || { echo "no namespaces for dc$n"; return 1; }
    ad_in "$n" hostname "dc$n"
    ad_in "$n" ip link set lo up
    # Each file or folder of ours over the system's.
    for d in "$AD_WORK/hosts:/etc/hosts" "$dir/resolv.conf:/etc/resolv.conf" "$dir/etc:/etc/samba" \
             "$dir/lib:/var/lib/samba" "$dir/run:/run/samba" "$dir/log:/var/log/samba" "$dir/cache:/var/cache/samba"; do
        ad_in "$n" mount --bind "${d%%:*}" "${d#*:}" || return 1
    done
    if [ "$n" = 2 ]; then
        ip link add tsad1 netns "$(cat "$AD_WORK/dc1/holder.pid")" type veth peer name tsad2 \
            netns "$(cat "$AD_WORK/dc2/holder.pid")" || return 1
        local i
        for i in 1 2; do
            ad_in "$i" ip addr replace "$AD_NET.$i/24" dev "tsad$i" &&
                ad_in "$i" ip link set "tsad$i" up || return 1
        done
        # dc1's namespace sends the black hole's packets to dc2's, which drops them.
        ad_in 1 ip neigh replace "$AD_BLACK_HOLE" lladdr "$(ad_in 2 ip -o link show tsad2 | sed -n 's/.*link\/ether \([0-9a-f:]*\).*/\1/p')" \
            dev tsad1 nud permanent
    fi
}

# ad_make_dc N: dc1 provisions the domain, dc2 joins it.
ad_make_dc() {
    local n=$1 how
    if [ "$n" = 1 ]; then
        how=(provision --realm="$AD_REALM" --domain="$AD_NETBIOS" --server-role=dc --adminpass="$AD_ADMIN_PASSWORD"
             --host-name=dc1 --host-ip="$AD_NET.1" --option="$AD_STRONG_AUTH")
    else
        how=(join "$AD_DNS" DC --server="dc1.$AD_DNS" -U Administrator --password="$AD_ADMIN_PASSWORD")
    fi
    ad_in "$n" samba-tool domain "${how[@]}" -s /etc/samba/smb.conf --dns-backend=SAMBA_INTERNAL \
        --option="interfaces=lo tsad$n" --option="bind interfaces only=yes" >"$AD_WORK/dc$n/make.log" 2>&1 ||
        { tail -20 "$AD_WORK/dc$n/make.log"; return 1; }
}

ad_locators() {
    ad_in 1 /usr/bin/python3 -c '
import sys, dns.resolver
resolver = dns.resolver.Resolver(configure=False)
resolver.nameservers, resolver.lifetime = [sys.argv[1]], 2
print("\n".join(sorted({str(srv.target).rstrip(".") for srv in resolver.resolve(sys.argv[2], "SRV")})))
' "$AD_NET.1" "_ldap._tcp.dc._msdcs.$AD_DNS"
}
ad_locators_are() { [ "$(ad_locators | tr '\n' ' ')" = "$* " ]; }

# dc2 registers its service names and DNS records itself, but the names
# reach dc1's KDC only with the next replication, and the records only where
# nsupdate is installed, at a moment of dc2's choosing. So: pull the names
# now, add the locator record on dc1 unless it is there (or came meanwhile),
# and wait until dc1's DNS names both controllers.
ad_announce_second() {
    local auth=(-U Administrator --password="$AD_ADMIN_PASSWORD") both=("dc1.$AD_DNS" "dc2.$AD_DNS")
    ad_in 1 samba-tool drs replicate "dc1.$AD_DNS" "dc2.$AD_DNS" "$AD_BASE" "${auth[@]}" || return 1
    ad_locators | grep -x "dc2\.$AD_DNS" >/dev/null ||
        ad_in 1 samba-tool dns add "$AD_NET.1" "_msdcs.$AD_DNS" _ldap._tcp.dc SRV "dc2.$AD_DNS 389 0 100" "${auth[@]}" ||
        ad_locators | grep -x "dc2\.$AD_DNS" >/dev/null || return 1
    wait_until 60 ad_locators_are "${both[@]}" ||
        { echo "dc1's DNS names $(ad_locators | tr '\n' ' '), not ${both[*]}"; return 1; }
}

ad_answers() {
    ad_in "$1" env LDAPTLS_CACERT=/var/lib/samba/private/tls/ca.pem \
        ldapsearch -x -LLL -o nettimeout=2 -H "ldaps://dc$1.$AD_DNS" -b '' -s base dnsHostName >/dev/null 2>&1
}

# Up: LDAPS answers. Down for good: the samba process has gone.
ad_up_or_gone() { ad_answers "$1" || ! kill -0 "$2" 2>/dev/null; }
ad_start_dc() {
    local n=$1 pid
    ad_in "$n" samba -i -s /etc/samba/smb.conf >>"$AD_WORK/dc$n/samba.log" 2>&1 &
    pid=$!
    echo "$pid" >"$AD_WORK/dc$n/samba.pid"
    wait_until 180 ad_up_or_gone "$n" "$pid" && ad_answers "$n" || { echo "dc$n did not start:"; tail -20 "$AD_WORK/dc$n/samba.log"; return 1; }
}

ad_stop_dc() {
    local pid
    pid=$(cat "$AD_WORK/dc$1/samba.pid" 2>/dev/null) || return 0
    kill "$pid" 2>/dev/null
    wait_until 5 eval "! kill -0 $pid"
    # Whatever samba left behind in the controller's namespaces.
    ad_signal_dc "$1" CONT
    ad_signal_dc "$1" KILL
    rm -f "$AD_WORK/dc$1/samba.pid"
}

# Every process in controller N's network namespace but its holder.
ad_signal_dc() {
    local holder net p
    holder=$(cat "$AD_WORK/dc$1/holder.pid")
    net=$(readlink "/proc/$holder/ns/net") || return 0
    for p in /proc/[0-9]*; do
        [ "${p#/proc/}" != "$holder" ] && [ "$(readlink "$p/ns/net" 2>/dev/null)" = "$net" ] &&
            kill -"$2" "${p#/proc/}" 2>/dev/null
    done
    return 0
}

ad_cleanup() {
    [ -n "${AD_WORK:-}" ] && [ -d "$AD_WORK" ] || return 0
    local n
    for n in 2 1; do
        [ -f "$AD_WORK/dc$n/holder.pid" ] && ad_stop_dc "$n" && kill "$(cat "$AD_WORK/dc$n/holder.pid")" 2>/dev/null
    done
    wait 2>/dev/null
    rm -rf "$AD_WORK"
}
