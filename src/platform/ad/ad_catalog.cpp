// The audit of a domain: every controller's paged listing, joined by
// objectGUID and merged with the report's own rules.
#include "platform/ad/ad_catalog.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <map>
#include <memory>

#include "platform/ad/ad_controllers.h"
#include "platform/ad/ad_directory.h"
#include "platform/ad/ad_session.h"
#include "platform/ad/ad_state.h"
#include "report/account_usage.h"
#include "report/directory_provider.h"

namespace tramsel {
namespace ad {
namespace {

// Each page, and each other request, has this long.
constexpr std::chrono::seconds kPageLimit{30};
constexpr std::size_t kParallel = 16;
constexpr const char *kUsers = "(&(objectCategory=person)(objectClass=user))";

std::string upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c; });
    return text;
}

// The merged values of one account, read through the report's own reader,
// so that its eight values are those --print shows.
class Merged final : public DirectoryObject {
public:
    explicit Merged(MergedUsage usage) : usage(usage) {}
    MergedUsage usage;
};
class MergedReader final : public DirectoryProvider {
public:
    Binding bind(std::string_view) override { return {}; }
    std::optional<PropertyValue> get(DirectoryObject &object, std::string_view name) override
    {
        return usageProperty(static_cast<Merged &>(object).usage, name);
    }
    void release(DirectoryObject *) override {}
};

// One account as one controller listed it.
struct Listed {
    std::string guid;
    std::string user;
    DcAnswer answer;
};

// What one controller listed, or why it could not.
struct ControllerList {
    std::vector<Listed> accounts;
    std::string error;
    enum class Failure { None, Other, OtherDomain, BadBase } failure = Failure::None;
};

void listController(ControllerSession &session, const DomainQuery &domain, const audit::Request &request,
                    ControllerList &list, std::atomic<std::size_t> &read)
{
    const std::string &requestedBase = request.base;
    const auto fail = [&](std::string error, ControllerList::Failure failure = ControllerList::Failure::Other) {
        list.accounts = {};
        list.error = std::move(error);
        list.failure = failure;
    };
    if (std::string error = session.open(); !error.empty())
        return fail(std::move(error));
    std::string namingContext = domain.dnsDomain ? namingContextOf(*domain.dnsDomain) : std::string();
    std::string error;
    if (namingContext.empty()) {
        const auto served = servedDomain(session, error);
        if (!served)
            return fail(error.empty() ? "no naming context" : error);
        if (std::string other = domainMismatch(session.host(), domain.name, served->dnsName, served->netbiosName);
            !other.empty())
            return fail(std::move(other), ControllerList::Failure::OtherDomain);
        namingContext = served->namingContext;
    }
    const std::string domainName = dnsNameOf(namingContext);
    if (!requestedBase.empty()) {
        if (!isWithin(requestedBase, namingContext))
            return fail("--base " + requestedBase + " is not in " + domainName, ControllerList::Failure::BadBase);
        const Lookup there = session.findOne(requestedBase, true, "(objectClass=*)", {"objectClass"},
                                             [](const Entry &) {}, error);
        if (there == Lookup::NoSuchBase)
            return fail("--base " + requestedBase + " does not exist in " + domainName,
                        ControllerList::Failure::BadBase);
        if (there != Lookup::Found)
            return fail(std::move(error));
    }

    const Policy policy = domainPolicy(session, namingContext);
    const std::map<std::string, Policy> settings = settingsObjects(session, namingContext);
    // One account (--print with a format) is found as the report finds it.
    const std::string filter = request.user.empty() ? std::string(kUsers) : accountFilter(request.user);
    error = session.forEach(requestedBase.empty() ? namingContext : requestedBase, filter, accountAttributes(),
                            [&](const Entry &e) {
                                auto guid = e.text("objectGUID");
                                auto user = e.text("sAMAccountName");
                                if (!guid || !user)
                                    return;
                                std::optional<std::string> pso;
                                Listed listed{std::move(*guid), std::move(*user), readAnswer(e, pso)};
                                std::optional<Policy> own;
                                if (pso)
                                    if (const auto found = settings.find(canonicalDn(*pso)); found != settings.end())
                                        own = found->second;
                                applyPolicy(listed.answer, pso, own, policy);
                                list.accounts.push_back(std::move(listed));
                                ++read;
                            });
    if (!error.empty())
        return fail(std::move(error));
}

} // namespace

AccountRecord accountRecord(std::string account, std::string user, const std::vector<DcAnswer> &answers,
                            int controllersAsked, std::int64_t now)
{
    AccountRecord record;
    record.account = std::move(account);
    record.user = std::move(user);
    Merged merged(mergeAnswers(answers));
    MergedReader reader;
    record.usage = readUsage(reader, merged);
    for (const DcAnswer &answer : answers) {
        if (!record.fullName && answer.displayName)
            record.fullName = answer.displayName;
        if (!record.created && answer.whenCreated)
            record.created = generalizedTimeToInstant(*answer.whenCreated);
    }
    const AccountState state = accountState(answers, merged.usage, now);
    record.disabled = state.disabled;
    record.locked = state.locked;
    record.accountExpires = state.accountExpires;
    record.passwordExpired = state.passwordExpired;
    record.controllersAnswered = static_cast<int>(answers.size());
    record.controllersAsked = controllersAsked;
    return record;
}

} // namespace ad

AdAccountCatalog::AdAccountCatalog(Options options) : options_(std::move(options))
{
    if (const char *config = std::getenv("KRB5_CONFIG"); config && *config) {
        const std::string_view files = config;
        options_.config.krb5Conf = std::string(files.substr(0, files.find(':')));
    }
}

audit::Listing AdAccountCatalog::listAccounts(const audit::Request &request,
                                              const std::function<void(AccountRecord &&)> &row,
                                              const std::function<void(const audit::Progress &)> &progress)
{
    using ad::ControllerList;
    audit::Listing listing;
    listing.domain = ad::upper(request.domain);
    if (request.domain.empty()) {
        listing.error = "not a domain";
        return listing;
    }
    const ad::DomainControllers found = ad::findControllers(request.domain, options_.servers, options_.config);
    if (!found.error.empty()) {
        listing.error = found.error;
        return listing;
    }
    // A base outside a domain this machine knows needs no controller to tell.
    if (const auto &dns = found.domain.dnsDomain;
        dns && !request.base.empty() && !ad::isWithin(request.base, ad::namingContextOf(*dns))) {
        listing.error = "--base " + request.base + " is not in " + *dns;
        return listing;
    }
    // A peer closing the connection must fail the write, not end the program.
    std::signal(SIGPIPE, SIG_IGN);

    const std::size_t count = found.uris.size();
    std::vector<std::unique_ptr<ad::ControllerSession>> sessions;
    for (const std::string &uri : found.uris)
        sessions.push_back(std::make_unique<ad::ControllerSession>(uri, ad::kPageLimit));
    std::vector<ControllerList> lists(count);
    // Counted by the threads, told on this one.
    std::atomic<std::size_t> read = 0, done = 0;
    audit::Progress shown{0, count, 0};
    const auto tell = [&] {
        const audit::Progress now{done, count, read};
        if (progress && (now.sourcesDone != shown.sourcesDone || now.accountsRead != shown.accountsRead))
            progress(now);
        shown = now;
    };
    ad::runTogether(
        count, ad::kParallel, std::nullopt,
        [&](std::size_t i) {
            ad::listController(*sessions[i], found.domain, request, lists[i], read);
            ++done;
        },
        [&](std::size_t i) { sessions[i]->interrupt(); }, tell);
    tell();
    sessions.clear();

    std::string errors, otherDomains, badBase;
    for (std::size_t i = 0; i < count; ++i) {
        const ControllerList &list = lists[i];
        listing.sources.push_back({found.uris[i], list.failure == ControllerList::Failure::None, list.error});
        if (list.failure == ControllerList::Failure::BadBase)
            badBase = list.error;
        if (list.failure == ControllerList::Failure::OtherDomain)
            otherDomains += (otherDomains.empty() ? "" : "; ") + list.error;
        if (list.failure == ControllerList::Failure::Other)
            errors += (errors.empty() ? "" : "; ") + found.uris[i] + ": " + list.error;
    }
    const int answered = static_cast<int>(
        std::count_if(listing.sources.begin(), listing.sources.end(), [](const audit::Source &s) { return s.answered; }));
    if (answered == 0) {
        listing.error = !badBase.empty() ? badBase
            : !otherDomains.empty()      ? otherDomains
                                         : "no domain controller answered: " + errors;
        return listing;
    }

    // Joined by objectGUID (names change), each account's answers in the
    // order the controllers were asked, as the report merges them.
    std::map<std::string_view, std::vector<const ad::Listed *>> byGuid;
    for (const ControllerList &list : lists)
        for (const ad::Listed &listed : list.accounts)
            byGuid[listed.guid].push_back(&listed);
    std::vector<const std::vector<const ad::Listed *> *> accounts;
    accounts.reserve(byGuid.size());
    for (const auto &[guid, listed] : byGuid)
        accounts.push_back(&listed);
    const auto lowered = [](std::string_view text) {
        std::string result(text);
        for (char &c : result)
            c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        return result;
    };
    std::sort(accounts.begin(), accounts.end(),
              [&](const auto *a, const auto *b) { return lowered(a->front()->user) < lowered(b->front()->user); });

    const std::int64_t now = ad::fileTimeNow();
    std::vector<ad::DcAnswer> answers;
    for (const auto *listed : accounts) {
        answers.clear();
        for (const ad::Listed *one : *listed)
            answers.push_back(one->answer);
        const std::string &user = listed->front()->user;
        row(ad::accountRecord(listing.domain + "\\" + user, user, answers, static_cast<int>(count), now));
    }
    return listing;
}

audit::PerController AdAccountCatalog::perController(const std::string &domain, const std::string &user)
{
    audit::PerController view;
    view.account = ad::upper(domain) + "\\" + user;
    const ad::DomainControllers found = ad::findControllers(domain, options_.servers, options_.config);
    if (!found.error.empty()) {
        view.error = found.error;
        return view;
    }
    std::signal(SIGPIPE, SIG_IGN);
    const auto outcomes = ad::lookUpUser(found.uris, found.domain, user, options_.deadline);
    view.error = ad::lookupFailure(outcomes, user, found.domain);
    using State = ad::ControllerOutcome::State;
    for (const ad::ControllerOutcome &outcome : outcomes) {
        audit::ControllerValues values;
        const bool answered = outcome.state == State::Found || outcome.state == State::NotFound;
        values.source = {outcome.server, answered, answered ? std::string() : outcome.error};
        const ad::DcAnswer &a = outcome.answer;
        const auto time = [](const std::optional<std::int64_t> &fileTime) {
            return fileTime ? ad::fileTimeToInstant(*fileTime) : std::nullopt;
        };
        values.lastLogon = time(a.lastLogon);
        values.lastLogonTimestamp = time(a.lastLogonTimestamp);
        values.badPwdCount = a.badPwdCount;
        values.badPasswordTime = time(a.badPasswordTime);
        values.lockoutTime = time(a.lockoutTime);
        values.pwdLastSet = time(a.pwdLastSet);
        view.controllers.push_back(std::move(values));
    }
    return view;
}

} // namespace tramsel
