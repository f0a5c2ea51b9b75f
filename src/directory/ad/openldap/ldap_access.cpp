// Finding a domain's controllers, and opening sessions with them.
#include "directory/ad/openldap/ldap_access.h"

#include <arpa/nameser.h>
#include <ldap.h>
#include <netinet/in.h>
#include <resolv.h>

#include <algorithm>
#include <cstdlib>

#include "directory/ad/openldap/kerberos.h"
#include "directory/ad/openldap/ldap_session.h"

namespace tramsel::ad {
namespace {

// One thread per controller: a domain with hundreds asks the first few
// dozen (DNS lists them by priority).
constexpr std::size_t kMaxControllers = 48;

// The controllers of a DNS domain, by its _ldap._tcp.dc._msdcs SRV records.
std::vector<std::string> domainControllersFromDns(const std::string &dnsDomain)
{
    if (!isHostName(dnsDomain))
        return {};
    const std::string name = "_ldap._tcp.dc._msdcs." + dnsDomain;
    auto state = std::make_unique<struct __res_state>();
    if (::res_ninit(state.get()) != 0)
        return {};
    // One try, one second per server: a dead resolver must not hold the report.
    state->retrans = 1;
    state->retry = 1;
    std::vector<unsigned char> answer(65535);
    const int length = ::res_nquery(state.get(), name.c_str(), ns_c_in, ns_t_srv, answer.data(),
                                    static_cast<int>(answer.size()));
    ::res_nclose(state.get());
    if (length <= 0)
        return {};

    ns_msg message;
    if (::ns_initparse(answer.data(), std::min<int>(length, static_cast<int>(answer.size())), &message) != 0)
        return {};
    struct Target {
        unsigned priority;
        std::string uri;
    };
    std::vector<Target> targets;
    for (int i = 0; i < ns_msg_count(message, ns_s_an); ++i) {
        ns_rr record;
        if (::ns_parserr(&message, ns_s_an, i, &record) != 0 || ns_rr_type(record) != ns_t_srv
            || ns_rr_rdlen(record) < 7)
            continue;
        const unsigned char *data = ns_rr_rdata(record);
        char host[NS_MAXDNAME];
        if (::dn_expand(ns_msg_base(message), ns_msg_end(message), data + 6, host, sizeof host) < 0)
            continue;
        const std::string_view target = host;
        if (target.empty() || target == "." || !isHostName(target))
            continue;
        targets.push_back({ns_get16(data),
                           "ldap://" + std::string(target) + ":" + std::to_string(ns_get16(data + 4))});
    }
    std::stable_sort(targets.begin(), targets.end(),
                     [](const Target &a, const Target &b) { return a.priority < b.priority; });
    std::vector<std::string> uris;
    for (Target &t : targets)
        if (std::find(uris.begin(), uris.end(), t.uri) == uris.end())
            uris.push_back(std::move(t.uri));
    return uris;
}


} // namespace

LdapAccess::LdapAccess()
{
    if (const char *config = std::getenv("KRB5_CONFIG"); config && *config) {
        const std::string_view files = config;
        config_.krb5Conf = std::string(files.substr(0, files.find(':')));
    }
    // libldap's global state is set up once, before threads share it.
    int version = 0;
    ldap_get_option(nullptr, LDAP_OPT_PROTOCOL_VERSION, &version);
}

DomainControllers LdapAccess::findControllers(std::string_view domain, const std::vector<std::string> &servers)
{
    DomainControllers found{{std::string(domain), dnsDomainFor(domain, readConfig(config_))}, {}, {}};
    const auto &dnsDomain = found.domain.dnsDomain;
    if (!dnsDomain && servers.empty()) {
        found.error = "no DNS domain known for " + upper(std::string(domain))
            + ": set realm in smb.conf, or name a domain controller with --server";
        return found;
    }
    const std::string realm = upper(dnsDomain.value_or(std::string(domain)));
    if (std::string problem = kerberosProblem(realm); !problem.empty() && !useMachineTicket(realm)) {
        found.error = std::move(problem);
        return found;
    }
    found.uris = servers.empty() ? domainControllersFromDns(*dnsDomain) : servers;
    if (found.uris.size() > kMaxControllers)
        found.uris.resize(kMaxControllers);
    if (found.uris.empty())
        found.error = "no domain controller found in DNS for " + *dnsDomain + " (_ldap._tcp.dc._msdcs." + *dnsDomain
            + "); name one with --server";
    return found;
}

std::unique_ptr<Session> LdapAccess::session(const std::string &uri, std::chrono::seconds stepLimit)
{
    return std::make_unique<ControllerSession>(uri, stepLimit);
}

} // namespace tramsel::ad
