// The domain a controller serves, an account's attributes and its policy.
#include "directory/ad/ad_directory.h"

#include <algorithm>

#include "directory/ad/ad_domain.h"

namespace tramsel::ad {

std::string namingContextOf(const std::string &dnsDomain)
{
    std::string dn;
    std::size_t start = 0;
    while (start < dnsDomain.size()) {
        const auto dot = std::min(dnsDomain.find('.', start), dnsDomain.size());
        dn += (dn.empty() ? "DC=" : ",DC=") + dnsDomain.substr(start, dot - start);
        start = dot + 1;
    }
    return dn;
}

std::optional<ServedDomain> servedDomain(Session &session, std::string &error)
{
    ServedDomain served;
    std::string configuration;
    session.findOne("", true, "(objectClass=*)", {"defaultNamingContext", "configurationNamingContext"},
                    [&](const Entry &e) {
                        served.namingContext = e.text("defaultNamingContext").value_or("");
                        configuration = e.text("configurationNamingContext").value_or("");
                    },
                    error);
    if (served.namingContext.empty())
        return std::nullopt;
    served.dnsName = dnsNameOf(served.namingContext);
    // The NetBIOS name is the domain's cross-reference in the partitions container.
    session.findOne("CN=Partitions," + configuration, false,
                    "(&(objectClass=crossRef)(nCName=" + escapeFilterValue(served.namingContext) + "))",
                    {"nETBIOSName"}, [&](const Entry &e) { served.netbiosName = e.text("nETBIOSName").value_or(""); },
                    error);
    return served;
}

const std::vector<const char *> &accountAttributes()
{
    static const std::vector<const char *> names{
        "objectGUID", "sAMAccountName", "displayName", "whenCreated", "lastLogon", "lastLogonTimestamp",
        "lastLogoff", "badPwdCount", "badPasswordTime", "pwdLastSet", "userAccountControl",
        "msDS-User-Account-Control-Computed", "msDS-UserPasswordExpiryTimeComputed", "msDS-ResultantPSO",
        "lockoutTime", "accountExpires", "isCriticalSystemObject", "operatingSystem"};
    return names;
}

DcAnswer readAnswer(const Entry &e, std::optional<std::string> &pso)
{
    DcAnswer a;
    a.lastLogon = e.number("lastLogon");
    a.lastLogonTimestamp = e.number("lastLogonTimestamp");
    a.lastLogoff = e.number("lastLogoff");
    a.badPwdCount = e.number("badPwdCount");
    a.badPasswordTime = e.number("badPasswordTime");
    a.pwdLastSet = e.number("pwdLastSet");
    a.userAccountControl = e.number("userAccountControl");
    a.passwordExpiryComputed = e.number("msDS-UserPasswordExpiryTimeComputed");
    a.userAccountControlComputed = e.number("msDS-User-Account-Control-Computed");
    a.lockoutTime = e.number("lockoutTime");
    a.accountExpires = e.number("accountExpires");
    a.displayName = e.text("displayName");
    a.samAccountName = e.text("sAMAccountName");
    if (const auto created = e.text("whenCreated"))
        a.whenCreated = generalizedTimeToInstant(*created);
    a.criticalSystemObject = e.text("isCriticalSystemObject") == "TRUE";
    a.container = parentDn(e.dn());
    a.operatingSystem = e.text("operatingSystem");
    pso = e.text("msDS-ResultantPSO");
    return a;
}

Policy domainPolicy(Session &session, const std::string &namingContext)
{
    Policy policy;
    std::string error;
    session.findOne(namingContext, true, "(objectClass=*)", {"maxPwdAge", "lockoutDuration"},
                    [&](const Entry &e) {
                        policy.maxPasswordAge = e.number("maxPwdAge");
                        policy.lockoutDuration = e.number("lockoutDuration");
                    },
                    error);
    return policy;
}

namespace {

// A settings object whose values this reader may not see is no policy.
std::optional<Policy> settingsOf(const Entry &e)
{
    Policy policy{e.number("msDS-MaximumPasswordAge"), e.number("msDS-LockoutDuration")};
    if (!policy.maxPasswordAge && !policy.lockoutDuration)
        return std::nullopt;
    return policy;
}

const std::vector<const char *> kSettingsAttributes{"msDS-MaximumPasswordAge", "msDS-LockoutDuration"};

} // namespace

std::optional<Policy> settingsObject(Session &session, const std::string &dn)
{
    std::optional<Policy> policy;
    std::string error;
    session.findOne(dn, true, "(objectClass=*)", kSettingsAttributes, [&](const Entry &e) { policy = settingsOf(e); },
                    error);
    return policy;
}

std::map<std::string, Policy> settingsObjects(Session &session, const std::string &namingContext)
{
    std::map<std::string, Policy> policies;
    // A reader who may not list them finds none: each user's age then
    // comes from its computed expiry.
    session.forEach("CN=Password Settings Container,CN=System," + namingContext, "(objectClass=msDS-PasswordSettings)",
                    kSettingsAttributes, [&](const Entry &e) {
                        if (const auto policy = settingsOf(e))
                            policies.emplace(canonicalDn(e.dn()), *policy);
                    });
    return policies;
}

void applyPolicy(DcAnswer &answer, const std::optional<std::string> &pso, const std::optional<Policy> &settings,
                 const Policy &domain)
{
    const Policy &policy = pso ? settings.value_or(Policy{}) : domain;
    answer.maxPasswordAge = policy.maxPasswordAge;
    answer.lockoutDuration = policy.lockoutDuration;
}

std::string canonicalDn(std::string_view dn)
{
    std::string canonical;
    for (std::size_t i = 0; i < dn.size(); ++i) {
        const char c = dn[i];
        if (c == ' ' && (canonical.empty() || canonical.back() == ',' || canonical.back() == '='
                         || (i + 1 < dn.size() && (dn[i + 1] == ',' || dn[i + 1] == '=' || dn[i + 1] == ' '))))
            continue;
        canonical += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return canonical;
}

std::optional<std::string> parentDn(std::string_view dn)
{
    for (std::size_t i = 0; i < dn.size(); ++i) {
        if (dn[i] == '\\')
            ++i;
        else if (dn[i] == ',')
            return std::string(dn.substr(i + 1));
    }
    return std::nullopt;
}

bool isWithin(std::string_view dn, std::string_view namingContext)
{
    const std::string object = canonicalDn(dn), context = canonicalDn(namingContext);
    return !context.empty() && object.ends_with(context)
        && (object.size() == context.size() || object[object.size() - context.size() - 1] == ',');
}

} // namespace tramsel::ad
