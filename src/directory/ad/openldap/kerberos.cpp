// The caller's Kerberos ticket, and root's fallback to the machine keytab.
#include "directory/ad/openldap/kerberos.h"

#include <krb5.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <ctime>
#include <string_view>

namespace tramsel::ad {

// Why the caller cannot authenticate with Kerberos, or empty when it has a
// ticket-granting ticket that has not expired (or a client keytab).
std::string kerberosProblem(const std::string &realm)
{
    if (std::getenv("KRB5_CLIENT_KTNAME"))
        return {};
    const std::string missing = "no Kerberos ticket for " + realm + " (run kinit)";
    krb5_context context = nullptr;
    if (krb5_init_context(&context) != 0)
        return "Kerberos is not set up on this machine";
    std::string problem = missing;
    krb5_ccache cache = nullptr;
    krb5_principal principal = nullptr;
    if (krb5_cc_default(context, &cache) == 0 && krb5_cc_get_principal(context, cache, &principal) == 0) {
        problem = "the Kerberos ticket has expired (run kinit)";
        krb5_cc_cursor cursor;
        if (krb5_cc_start_seq_get(context, cache, &cursor) == 0) {
            krb5_creds creds;
            const auto now = static_cast<krb5_timestamp>(std::time(nullptr));
            while (krb5_cc_next_cred(context, cache, &cursor, &creds) == 0) {
                const bool ticketGranting = creds.server && creds.server->length >= 1
                    && krb5_princ_component(context, creds.server, 0)->length == 6
                    && std::string_view(krb5_princ_component(context, creds.server, 0)->data, 6) == "krbtgt";
                if (ticketGranting && creds.times.endtime > now)
                    problem.clear();
                krb5_free_cred_contents(context, &creds);
            }
            krb5_cc_end_seq_get(context, cache, &cursor);
        }
        krb5_free_principal(context, principal);
    }
    if (cache)
        krb5_cc_close(context, cache);
    krb5_free_context(context);
    return problem;
}

bool useMachineTicket(const std::string &realm)
{
    if (::geteuid() != 0)
        return false;
    char host[HOST_NAME_MAX + 1] = {};
    if (::gethostname(host, sizeof host - 1) != 0 || !*host)
        return false;
    std::string account(host, std::string_view(host).find('.') == std::string_view::npos
                                   ? std::string_view(host).size()
                                   : std::string_view(host).find('.'));
    for (char &c : account)
        c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    account += '$';

    krb5_context context = nullptr;
    if (krb5_init_context(&context) != 0)
        return false;
    // A NetBIOS name that no file maps is no realm: the configured one is.
    std::string realmName = realm;
    if (realmName.find('.') == std::string::npos) {
        char *configured = nullptr;
        if (krb5_get_default_realm(context, &configured) == 0) {
            realmName = configured;
            krb5_free_default_realm(context, configured);
        }
    }
    bool ok = false;
    krb5_keytab keytab = nullptr;
    krb5_principal principal = nullptr;
    krb5_ccache cache = nullptr;
    krb5_creds creds{};
    if (krb5_kt_default(context, &keytab) == 0 && krb5_kt_have_content(context, keytab) == 0
        && krb5_build_principal(context, &principal, static_cast<unsigned>(realmName.size()), realmName.c_str(),
                                account.c_str(), nullptr) == 0
        && krb5_get_init_creds_keytab(context, &creds, principal, keytab, 0, nullptr, nullptr) == 0) {
        ok = krb5_cc_resolve(context, "MEMORY:tramsel-machine", &cache) == 0
            && krb5_cc_initialize(context, cache, principal) == 0
            && krb5_cc_store_cred(context, cache, &creds) == 0;
        krb5_free_cred_contents(context, &creds);
    }
    // The memory cache lives as long as the process, closed or not.
    if (cache)
        krb5_cc_close(context, cache);
    if (principal)
        krb5_free_principal(context, principal);
    if (keytab)
        krb5_kt_close(context, keytab);
    krb5_free_context(context);
    if (ok)
        ::setenv("KRB5CCNAME", "MEMORY:tramsel-machine", 1);
    return ok;
}

} // namespace tramsel::ad
