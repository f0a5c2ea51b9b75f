// The Active Directory provider: the domain and its controllers, a Kerberos
// (GSSAPI) bind to each controller in parallel, and the user's attributes.
#include "platform/ad/ad_provider.h"

#include <csignal>
#include <cstdlib>
#include <ctime>

#include <algorithm>

#include "platform/ad/ad_controllers.h"
#include "platform/ad/ad_kerberos.h"
#include "platform/ad/ad_values.h"
#include "report/account_path.h"

namespace tramsel {
namespace {

class AdAccount final : public DirectoryObject {
public:
    explicit AdAccount(ad::MergedUsage usage) : usage(usage) {}
    ad::MergedUsage usage;
};

// One thread per controller: a domain with hundreds asks the first few
// dozen (DNS lists them by priority).
constexpr std::size_t kMaxControllers = 48;

std::string upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c; });
    return text;
}

} // namespace

AdDirectoryProvider::AdDirectoryProvider(Options options) : options_(std::move(options))
{
    if (const char *config = std::getenv("KRB5_CONFIG"); config && *config) {
        const std::string_view files = config;
        options_.config.krb5Conf = std::string(files.substr(0, files.find(':')));
    }
    // localtime_r, unlike localtime, need not look at TZ again.
    ::tzset();
}

Binding AdDirectoryProvider::bind(std::string_view path)
{
    const auto fail = [](std::string reason) { return Binding{nullptr, std::move(reason), {}}; };
    const auto account = parseAccountPath(path);
    if (!account || account->domain.empty())
        return fail("not a domain account");

    const auto dnsDomain = ad::dnsDomainFor(account->domain, ad::readConfig(options_.config));
    if (!dnsDomain && options_.servers.empty())
        return fail("no DNS domain known for " + upper(account->domain)
                    + ": set realm in smb.conf, or name a domain controller with --server");
    const std::string realm = upper(dnsDomain.value_or(account->domain));
    if (std::string problem = ad::kerberosProblem(realm); !problem.empty() && !ad::useMachineTicket(realm))
        return fail(std::move(problem));

    std::vector<std::string> uris = options_.servers;
    if (uris.empty())
        uris = ad::domainControllersFromDns(*dnsDomain);
    if (uris.size() > kMaxControllers)
        uris.resize(kMaxControllers);
    if (uris.empty())
        return fail("no domain controller found in DNS for " + *dnsDomain
                    + " (_ldap._tcp.dc._msdcs." + *dnsDomain + "); name one with --server");

    // A peer closing the connection must fail the write, not end the program.
    std::signal(SIGPIPE, SIG_IGN);

    const auto outcomes = ad::lookUpUser(uris, {account->domain, dnsDomain}, account->user, options_.deadline);
    using State = ad::ControllerOutcome::State;
    std::vector<ad::DcAnswer> answers;
    bool someoneAnswered = false;
    std::string errors, otherDomains;
    for (const ad::ControllerOutcome &outcome : outcomes) {
        if (outcome.state == State::Found)
            answers.push_back(outcome.answer);
        if (outcome.state == State::Found || outcome.state == State::NotFound)
            someoneAnswered = true;
        if (outcome.state == State::OtherDomain)
            otherDomains += (otherDomains.empty() ? "" : "; ") + outcome.error;
        if (outcome.state == State::Failed)
            errors += (errors.empty() ? "" : "; ") + outcome.server + ": " + outcome.error;
    }
    if (!answers.empty()) {
        // What the report lacks: the controllers that failed while others answered.
        std::vector<std::string> missing;
        for (const ad::ControllerOutcome &outcome : outcomes)
            if (outcome.state == State::Failed || outcome.state == State::OtherDomain)
                missing.push_back(outcome.state == State::Failed ? outcome.host + ": " + outcome.error
                                                                 : outcome.error);
        return {new AdAccount(ad::mergeAnswers(answers)), {}, std::move(missing)};
    }
    if (!otherDomains.empty())
        return fail(otherDomains);
    if (someoneAnswered)
        return fail("no user " + account->user + " in " + (dnsDomain ? *dnsDomain : realm));
    return fail("no domain controller answered: " + errors);
}

std::optional<PropertyValue> AdDirectoryProvider::get(DirectoryObject &object, std::string_view name)
{
    const auto *account = dynamic_cast<AdAccount *>(&object);
    if (!account)
        return std::nullopt;
    return ad::usageProperty(account->usage, name);
}

void AdDirectoryProvider::release(DirectoryObject *object)
{
    delete object;
}

} // namespace tramsel
