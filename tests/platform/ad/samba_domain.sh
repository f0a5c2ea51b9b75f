# Sourced: a real Samba AD domain, SALES.TEST, in private network namespaces.
# Each domain controller has one holder process that owns its network, mount
# and UTS namespaces; everything else enters them with nsenter. The two
# controllers talk over a veth pair; nothing reaches any other network, and
# every Samba file lives below the work folder (bind-mounted over Samba's
# own folders inside the namespace).
#
# ad_can_run                         why this machine cannot run a domain (empty: it can)
# ad_start_work                      the work folder, cleaned up by ad_cleanup
# ad_add_dc N                        the namespaces of controller N (1 or 2)
# ad_provision / ad_join_second      the domain on dc1, dc2 joined to it
# ad_start_dc N / ad_stop_dc N       samba on controller N; up when LDAPS answers
# ad_announce_second                 dc1 learns dc2's service names and SRV record
# ad_signal_dc N SIGNAL              every process of controller N (STOP: it hangs)
# ad_in N CMD...                     a command inside controller N's namespaces
# ad_cleanup                         stops everything, removes the work folder

AD_REALM=SALES.TEST
AD_NETBIOS=SALES
AD_DNS=sales.test
AD_BASE=DC=sales,DC=test
AD_ADMIN_PASSWORD='Adm1n-Passw0rd!'
AD_NET=10.53.0
# An address whose packets dc2's namespace takes and drops (it neither owns
# nor forwards it): a controller that never answers.
AD_BLACK_HOLE=$AD_NET.99

ad_can_run() {
    [ "$(id -u)" -eq 0 ] || { echo "needs root (network namespaces and bind mounts)"; return; }
    local tool
    for tool in unshare nsenter ip samba samba-tool kinit ldapsearch; do
        command -v "$tool" >/dev/null || { echo "$tool is not installed"; return; }
    done
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

ad_add_dc() {
    local n=$1 dir=$AD_WORK/dc$1 d
    mkdir -p "$dir"/{etc,lib,run,log,cache}
    : >"$dir/etc/smb.conf"
    printf 'search %s\nnameserver %s.1\noptions timeout:1 attempts:1\n' "$AD_DNS" "$AD_NET" >"$dir/resolv.conf"
    unshare --net --mount --uts --propagation private sleep infinity </dev/null >/dev/null 2>&1 &
    echo $! >"$dir/holder.pid"
    # The namespaces exist once unshare has become sleep.
    for _ in $(seq 50); do
        [ "$(readlink /proc/$!/exe)" = "$(readlink -f "$(command -v sleep)")" ] && break
        sleep 0.05
    done
    ad_in "$n" hostname "dc$n"
    ad_in "$n" ip link set lo up
    ad_in "$n" mount --bind "$AD_WORK/hosts" /etc/hosts
    ad_in "$n" mount --bind "$dir/resolv.conf" /etc/resolv.conf
    for d in etc:/etc/samba lib:/var/lib/samba run:/run/samba log:/var/log/samba cache:/var/cache/samba; do
        ad_in "$n" mount --bind "$dir/${d%%:*}" "${d#*:}"
    done
    if [ "$n" = 2 ]; then
        ip link add tsad1 netns "$(cat "$AD_WORK/dc1/holder.pid")" type veth peer name tsad2 \
            netns "$(cat "$AD_WORK/dc2/holder.pid")"
        local i
        for i in 1 2; do
            ad_in "$i" ip addr add "$AD_NET.$i/24" dev "tsad$i"
            ad_in "$i" ip link set "tsad$i" up
        done
        # dc1's namespace sends the black hole's packets to dc2's, which drops them.
        ad_in 1 ip neigh replace "$AD_BLACK_HOLE" lladdr "$(ad_in 2 ip -o link show tsad2 | sed -n 's/.*link\/ether \([0-9a-f:]*\).*/\1/p')" \
            dev tsad1 nud permanent
    fi
}

ad_provision() {
    ad_in 1 samba-tool domain provision -s /etc/samba/smb.conf --realm="$AD_REALM" --domain="$AD_NETBIOS" \
        --server-role=dc --dns-backend=SAMBA_INTERNAL --adminpass="$AD_ADMIN_PASSWORD" \
        --host-name=dc1 --host-ip="$AD_NET.1" \
        --option="interfaces=lo tsad1" --option="bind interfaces only=yes" >"$AD_WORK/dc1/provision.log" 2>&1 ||
        { tail -20 "$AD_WORK/dc1/provision.log"; return 1; }
}

ad_join_second() {
    ad_in 2 samba-tool domain join -s /etc/samba/smb.conf "$AD_DNS" DC --server="dc1.$AD_DNS" \
        -U Administrator --password="$AD_ADMIN_PASSWORD" --dns-backend=SAMBA_INTERNAL \
        --option="interfaces=lo tsad2" --option="bind interfaces only=yes" >"$AD_WORK/dc2/join.log" 2>&1 ||
        { tail -20 "$AD_WORK/dc2/join.log"; return 1; }
}

# dc2 registers its LDAP service names and DNS records itself, but the names
# reach dc1's KDC only with the next replication, and the records need
# nsupdate: pull the names now and add the record on dc1.
ad_announce_second() {
    local auth=(-U Administrator --password="$AD_ADMIN_PASSWORD")
    ad_in 1 samba-tool drs replicate "dc1.$AD_DNS" "dc2.$AD_DNS" "$AD_BASE" "${auth[@]}" &&
        ad_in 1 samba-tool dns add "$AD_NET.1" "_msdcs.$AD_DNS" _ldap._tcp.dc SRV "dc2.$AD_DNS 389 0 100" "${auth[@]}"
}

ad_start_dc() {
    local n=$1
    ad_in "$n" samba -i -s /etc/samba/smb.conf >>"$AD_WORK/dc$n/samba.log" 2>&1 &
    echo $! >"$AD_WORK/dc$n/samba.pid"
    local _
    for _ in $(seq 120); do
        if ad_in "$n" env LDAPTLS_CACERT=/var/lib/samba/private/tls/ca.pem \
            ldapsearch -x -LLL -o nettimeout=2 -H "ldaps://dc$n.$AD_DNS" -b '' -s base dnsHostName >/dev/null 2>&1; then
            return 0
        fi
        kill -0 "$(cat "$AD_WORK/dc$n/samba.pid")" 2>/dev/null || break
        sleep 0.5
    done
    echo "dc$n did not start:"; tail -20 "$AD_WORK/dc$n/samba.log"
    return 1
}

ad_stop_dc() {
    local pid
    pid=$(cat "$AD_WORK/dc$1/samba.pid" 2>/dev/null) || return 0
    kill "$pid" 2>/dev/null
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    # Whatever samba left behind in the controller's namespaces.
    ad_signal_dc "$1" CONT
    ad_signal_dc "$1" KILL
    rm -f "$AD_WORK/dc$1/samba.pid"
    return 0
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
    local n pid
    for n in 2 1; do
        [ -f "$AD_WORK/dc$n/holder.pid" ] || continue
        ad_stop_dc "$n"
        pid=$(cat "$AD_WORK/dc$n/holder.pid")
        kill "$pid" 2>/dev/null
    done
    wait 2>/dev/null
    rm -rf "$AD_WORK"
}
