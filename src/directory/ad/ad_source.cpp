// The audit of a domain: every controller's paged listing, joined by
// objectGUID and merged with the report's own rules.
#include "directory/ad/ad_source.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <deque>
#include <cstdlib>
#include <ctime>
#include <map>
#include <memory>
#include <unordered_set>

#include "directory/ad/ad_controllers.h"
#include "directory/ad/ad_directory.h"
#include "directory/ad/ad_state.h"
#include "report/account_path.h"
#include "report/account_source.h"

namespace tramsel {
namespace ad {
namespace {

// Each page, and each other request, has this long.
constexpr std::chrono::seconds kPageLimit{30};
constexpr std::size_t kParallel = 16;
constexpr const char *kUsers = "(&(objectCategory=person)(objectClass=user))";
constexpr const char *kComputers = "(objectCategory=computer)";

// One account as one controller listed it, packed: a domain's accounts are
// held from every controller until the last has answered.
class Listed {
public:
    using Guid = std::array<char, 16>;

    // `texts` keeps one copy of each container and operating system, which
    // many accounts share.
    Listed(const Guid &guid, std::string user, const DcAnswer &answer, std::unordered_set<std::string> &texts)
        : guid(guid), user(std::move(user)), displayName_(answer.displayName.value_or("")),
          created_(answer.whenCreated.value_or(DateTime())),
          container_(answer.container ? &*texts.insert(*answer.container).first : nullptr),
          operatingSystem_(answer.operatingSystem ? &*texts.insert(*answer.operatingSystem).first : nullptr)
    {
        for (std::size_t i = 0; i < kNumbers.size(); ++i)
            if (const auto &number = answer.*kNumbers[i]) {
                numbers_[i] = *number;
                present_ |= 1u << i;
            }
        present_ |= answer.displayName ? kDisplayName : 0;
        present_ |= answer.whenCreated ? kCreated : 0;
        present_ |= answer.criticalSystemObject ? kCritical : 0;
    }

    DcAnswer answer() const
    {
        DcAnswer answer;
        for (std::size_t i = 0; i < kNumbers.size(); ++i)
            if (present_ & (1u << i))
                answer.*kNumbers[i] = numbers_[i];
        if (present_ & kDisplayName)
            answer.displayName = displayName_;
        if (present_ & kCreated)
            answer.whenCreated = created_;
        answer.criticalSystemObject = present_ & kCritical;
        if (container_)
            answer.container = *container_;
        if (operatingSystem_)
            answer.operatingSystem = *operatingSystem_;
        return answer;
    }

    Guid guid;
    std::string user;

private:
    // Every number of a DcAnswer.
    static constexpr std::array kNumbers{
        &DcAnswer::lastLogon, &DcAnswer::lastLogonTimestamp, &DcAnswer::lastLogoff, &DcAnswer::badPwdCount,
        &DcAnswer::badPasswordTime, &DcAnswer::pwdLastSet, &DcAnswer::userAccountControl,
        &DcAnswer::passwordExpiryComputed, &DcAnswer::maxPasswordAge, &DcAnswer::userAccountControlComputed,
        &DcAnswer::lockoutTime, &DcAnswer::accountExpires, &DcAnswer::lockoutDuration};
    static constexpr std::uint32_t kDisplayName = 1u << kNumbers.size(), kCreated = kDisplayName << 1,
                                   kCritical = kCreated << 1;

    std::array<std::int64_t, kNumbers.size()> numbers_{};
    std::uint32_t present_ = 0;
    std::string displayName_;
    DateTime created_;
    const std::string *container_;
    const std::string *operatingSystem_;
};

// What one controller listed, or why it could not.
struct ControllerList {
    std::deque<Listed> accounts;  // grows without copying what it holds
    std::unordered_set<std::string> texts;  // what the accounts' text pointers point at
    std::string error;
    enum class Failure { None, Other, OtherDomain, BadBase } failure = Failure::None;
};

void listController(Session &session, const DomainQuery &domain, const Request &request,
                    ControllerList &list, std::atomic<std::size_t> &read)
{
    const std::string &requestedBase = request.base;
    const auto fail = [&](std::string error, ControllerList::Failure failure = ControllerList::Failure::Other) {
        list.accounts = {};
        list.texts = {};
        list.error = std::move(error);
        list.failure = failure;
    };
    SearchBase searchBase = openSearchBase(session, domain);
    if (searchBase.namingContext.empty())
        return fail(std::move(searchBase.error), searchBase.otherDomain ? ControllerList::Failure::OtherDomain
                                                                        : ControllerList::Failure::Other);
    const std::string &namingContext = searchBase.namingContext;
    std::string error;
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
    const char *filter = request.kind == Request::Kind::Computers ? kComputers : kUsers;
    error = session.forEach(requestedBase.empty() ? namingContext : requestedBase, filter, accountAttributes(),
                            [&](const Entry &e) {
                                const auto guid = e.text("objectGUID");
                                auto user = e.text("sAMAccountName");
                                if (!guid || guid->size() != sizeof(Listed::Guid) || !user)
                                    return;
                                std::optional<std::string> pso;
                                DcAnswer answer = readAnswer(e, pso);
                                std::optional<Policy> own;
                                if (pso)
                                    if (const auto found = settings.find(canonicalDn(*pso)); found != settings.end())
                                        own = found->second;
                                applyPolicy(answer, pso, own, policy);
                                Listed::Guid bytes;
                                std::copy(guid->begin(), guid->end(), bytes.begin());
                                list.accounts.emplace_back(bytes, std::move(*user), answer, list.texts);
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
    const MergedUsage merged = mergeAnswers(answers);
    record.usage = accountUsage(merged);
    for (const DcAnswer &answer : answers) {
        if (!record.fullName && answer.displayName)
            record.fullName = answer.displayName;
        if (!record.created)
            record.created = answer.whenCreated;
        if (!record.container)
            record.container = answer.container;
        if (!record.operatingSystem)
            record.operatingSystem = answer.operatingSystem;
    }
    if (!answers.empty())
        record.systemAccount = answers.front().criticalSystemObject;
    const AccountState state = accountState(answers, merged, now);
    record.disabled = state.disabled;
    record.locked = state.locked;
    record.accountExpires = state.accountExpires;
    record.accountExpired = state.accountExpired;
    record.passwordExpired = state.passwordExpired;
    record.passwordNeverExpires = state.passwordNeverExpires;
    record.controllersAnswered = static_cast<int>(answers.size());
    record.controllersAsked = controllersAsked;
    return record;
}

} // namespace ad

AdAccountSource::AdAccountSource(Options options, std::unique_ptr<ad::DomainAccess> access)
    : options_(std::move(options)), access_(std::move(access))
{
    // localtime_r, unlike localtime, need not look at TZ again.
    ::tzset();
}

Lookup AdAccountSource::lookup(const AccountName &name)
{
    Lookup found;
    const auto fail = [&](std::string reason) {
        found.failure = {Failure::Kind::NotFound, std::move(reason)};
        return found;
    };
    if (!isSafeAccount(name) || name.domain.empty())
        return fail("not a domain account");
    const ad::DomainControllers controllers = access_->findControllers(name.domain, options_.servers);
    if (!controllers.error.empty())
        return fail(controllers.error);
    const auto outcomes = ad::lookUpUser(*access_, controllers.uris, controllers.domain, name.user, options_.deadline);
    if (std::string reason = ad::lookupFailure(outcomes, name.user, controllers.domain); !reason.empty())
        return fail(std::move(reason));
    std::vector<ad::DcAnswer> answers;
    using State = ad::ControllerOutcome::State;
    for (const ad::ControllerOutcome &outcome : outcomes) {
        if (outcome.state == State::Found)
            answers.push_back(outcome.answer);
        const bool answered = outcome.state == State::Found || outcome.state == State::NotFound;
        found.sources.push_back({outcome.server, answered, answered ? std::string() : outcome.error});
    }
    // The directory's spelling of the name, as a listing shows it.
    const std::string user = ad::firstName(answers).value_or(name.user);
    found.record = ad::accountRecord(name.domain + "\\" + user, user, answers, static_cast<int>(outcomes.size()),
                                     ad::fileTimeNow());
    // What the record lacks: the controllers that failed while others answered.
    found.missing = ad::missingControllers(outcomes);
    return found;
}

Listing AdAccountSource::list(const Request &request, const RowSink &row, const ProgressSink &progress)
{
    using ad::ControllerList;
    Listing listing;
    listing.domain = ad::upper(request.domain);
    if (request.domain.empty()) {
        listing.failure = {Failure::Kind::NotFound, "not a domain"};
        return listing;
    }
    const ad::DomainControllers found = access_->findControllers(request.domain, options_.servers);
    if (!found.error.empty()) {
        listing.failure = {Failure::Kind::NotFound, found.error};
        return listing;
    }
    // A base outside a domain this machine knows needs no controller to tell.
    if (const auto &dns = found.domain.dnsDomain;
        dns && !request.base.empty() && !ad::isWithin(request.base, ad::namingContextOf(*dns))) {
        listing.failure = {Failure::Kind::BadRequest, "--base " + request.base + " is not in " + *dns};
        return listing;
    }

    const std::size_t count = found.uris.size();
    std::vector<std::unique_ptr<ad::Session>> sessions;
    for (const std::string &uri : found.uris)
        sessions.push_back(access_->session(uri, ad::kPageLimit));
    std::vector<ControllerList> lists(count);
    // Counted by the threads, told on this one. Every controller lists
    // (nearly) every account: the one that has listed most tells how many
    // accounts are read, where a sum would count each account once a controller.
    std::vector<std::atomic<std::size_t>> readBy(count);
    std::atomic<std::size_t> done = 0;
    Progress shown{0, count, 0, true};
    const auto tell = [&] {
        std::size_t read = 0;
        for (const auto &by : readBy)
            read = std::max<std::size_t>(read, by);
        const Progress now{done, count, read, true};
        if (progress && (now.sourcesDone != shown.sourcesDone || now.accountsRead != shown.accountsRead))
            progress(now);
        shown = now;
    };
    ad::runTogether(
        count, ad::kParallel, std::nullopt,
        [&](std::size_t i) {
            ad::listController(*sessions[i], found.domain, request, lists[i], readBy[i]);
            ++done;
        },
        [&](std::size_t i) { sessions[i]->interrupt(); }, tell, request.stop);
    tell();
    if (request.stop.stop_requested()) {
        listing.failure = {Failure::Kind::Stopped, "stopped"};
        return listing;
    }
    std::vector<std::string> hosts;
    for (const auto &session : sessions)
        hosts.push_back(session->host());
    sessions.clear();

    std::string errors, otherDomains, badBase;
    for (std::size_t i = 0; i < count; ++i) {
        const ControllerList &list = lists[i];
        listing.sources.push_back({found.uris[i], list.failure == ControllerList::Failure::None, list.error});
        if (list.failure != ControllerList::Failure::None)
            listing.missing.push_back(hosts[i] + ": " + list.error);
        if (list.failure == ControllerList::Failure::BadBase)
            badBase = list.error;
        if (list.failure == ControllerList::Failure::OtherDomain)
            otherDomains += (otherDomains.empty() ? "" : "; ") + list.error;
        if (list.failure == ControllerList::Failure::Other)
            errors += (errors.empty() ? "" : "; ") + found.uris[i] + ": " + list.error;
    }
    const int answered = static_cast<int>(
        std::count_if(listing.sources.begin(), listing.sources.end(), [](const Source &s) { return s.answered; }));
    if (answered == 0) {
        listing.failure = !badBase.empty()    ? Failure{Failure::Kind::BadRequest, badBase}
            : !otherDomains.empty() ? Failure{Failure::Kind::NotFound, otherDomains}
                                    : Failure{Failure::Kind::NotFound, "no domain controller answered: " + errors};
        return listing;
    }

    // Joined by objectGUID (names change), each account's answers in the
    // order the controllers were asked, as the report merges them.
    std::vector<const ad::Listed *> all;
    for (const ControllerList &list : lists)
        for (const ad::Listed &listed : list.accounts)
            all.push_back(&listed);
    std::stable_sort(all.begin(), all.end(), [](const auto *a, const auto *b) { return a->guid < b->guid; });
    // Each account's first answer, by user name.
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < all.size(); ++i)
        if (i == 0 || all[i]->guid != all[i - 1]->guid)
            starts.push_back(i);
    const auto lowered = [](std::string_view text) {
        std::string result(text);
        for (char &c : result)
            c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        return result;
    };
    std::sort(starts.begin(), starts.end(),
              [&](std::size_t a, std::size_t b) { return lowered(all[a]->user) < lowered(all[b]->user); });

    const std::int64_t now = ad::fileTimeNow();
    std::vector<ad::DcAnswer> answers;
    for (const std::size_t start : starts) {
        if (request.stop.stop_requested()) {
            listing.failure = {Failure::Kind::Stopped, "stopped"};
            return listing;
        }
        answers.clear();
        for (std::size_t i = start; i < all.size() && all[i]->guid == all[start]->guid; ++i)
            answers.push_back(all[i]->answer());
        const std::string &user = all[start]->user;
        row(ad::accountRecord(listing.domain + "\\" + user, user, answers, static_cast<int>(count), now));
    }
    return listing;
}

PerController AdAccountSource::perController(const AccountName &name)
{
    const std::string &domain = name.domain, &user = name.user;
    PerController view;
    view.account = ad::upper(domain) + "\\" + user;
    const ad::DomainControllers found = access_->findControllers(domain, options_.servers);
    if (!found.error.empty()) {
        view.error = found.error;
        return view;
    }
    const auto outcomes = ad::lookUpUser(*access_, found.uris, found.domain, user, options_.deadline);
    view.error = ad::lookupFailure(outcomes, user, found.domain);
    using State = ad::ControllerOutcome::State;
    for (const ad::ControllerOutcome &outcome : outcomes) {
        ControllerValues values;
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
