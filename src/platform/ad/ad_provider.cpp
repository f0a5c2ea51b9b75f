// The Active Directory provider: the domain and its controllers, a Kerberos
// (GSSAPI) bind to each controller in parallel, and the user's attributes.
#include "platform/ad/ad_provider.h"

#include <cstdlib>
#include <ctime>

#include "platform/ad/ad_controllers.h"
#include "platform/ad/ad_values.h"
#include "report/account_path.h"

namespace tramsel {
namespace {

class AdAccount final : public DirectoryObject {
public:
    explicit AdAccount(ad::MergedUsage usage) : usage(usage) {}
    ad::MergedUsage usage;
};

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

    const ad::DomainControllers found = ad::findControllers(account->domain, options_.servers, options_.config);
    if (!found.error.empty())
        return fail(found.error);


    const auto outcomes = ad::lookUpUser(found.uris, found.domain, account->user, options_.deadline);
    if (std::string reason = ad::lookupFailure(outcomes, account->user, found.domain); !reason.empty())
        return fail(std::move(reason));
    std::vector<ad::DcAnswer> answers;
    for (const ad::ControllerOutcome &outcome : outcomes)
        if (outcome.state == ad::ControllerOutcome::State::Found)
            answers.push_back(outcome.answer);
    // What the report lacks: the controllers that failed while others answered.
    return {new AdAccount(ad::mergeAnswers(answers)), {}, ad::missingControllers(outcomes)};
}

UsageRead AdDirectoryProvider::usage(DirectoryObject &object)
{
    const auto *account = dynamic_cast<AdAccount *>(&object);
    return account ? UsageRead{ad::accountUsage(account->usage), {}} : UsageRead{};
}

void AdDirectoryProvider::release(DirectoryObject *object)
{
    delete object;
}

} // namespace tramsel
