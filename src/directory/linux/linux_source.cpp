// The accounts of a Linux machine: one by name, or every one.
#include "directory/linux/linux_source.h"

#include <ctime>

#include <algorithm>
#include <unordered_set>

#include "directory/linux/account_state.h"
#include "directory/linux/record_sources.h"
#include "directory/linux/usage_merge.h"
#include "report/account_path.h"

namespace tramsel {

using namespace linux_accounts;

namespace {

// Host names are ASCII: upper-cased without the locale.
std::string upperAscii(std::string text)
{
    for (char &c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

bool anyRecordRead(const UserRecords &records, bool shadowRead)
{
    return shadowRead || records.wtmp.readable || records.btmp.readable || records.wtmpdb.readable
        || records.tally || records.lastlog || records.lastlog2;
}

// One user's row, by the rules every account is read with.
AccountRecord userRecord(const std::string &machine, const PasswdEntry &user, const UserRecords &records,
                         const std::optional<ShadowEntry> &shadow, bool shadowUnread, RecordSources &sources,
                         std::int64_t now)
{
    const AccountState state = accountState(shadow, records.tally, sources.faillock(), user.uid, now);
    AccountRecord record;
    record.account = machine + "\\" + user.name;
    record.user = user.name;
    if (!user.fullName.empty())
        record.fullName = user.fullName;
    record.usage = accountUsage(records, shadowUnread ? Known<ShadowEntry>() : Known<ShadowEntry>::read(shadow));
    record.locked = state.locked;
    record.disabled = state.disabled;
    record.accountExpires = state.accountExpires;
    record.accountExpired = state.disabled;  // on Linux, an expired account is what disables it
    record.passwordExpired = state.passwordExpired;
    record.passwordNeverExpires = neverExpires(record.usage.passwordMaxAge);
    record.systemAccount = user.uid < sources.userUids().min || user.uid > sources.userUids().max;
    record.controllersAsked = 1;
    record.controllersAnswered = anyRecordRead(records, shadow.has_value()) ? 1 : 0;
    return record;
}

std::int64_t systemNow() { return static_cast<std::int64_t>(std::time(nullptr)); }

} // namespace

std::unique_ptr<LinuxAccountSource> LinuxAccountSource::forSystem()
{
    return std::make_unique<LinuxAccountSource>(
        std::make_unique<PosixFileReader>(), [](FileReader &files) { return std::make_unique<SystemAccounts>(files); },
        systemNow, DatabaseState::Live, std::string());
}

std::unique_ptr<LinuxAccountSource> LinuxAccountSource::forTree(const std::string &root)
{
    return std::make_unique<LinuxAccountSource>(
        std::make_unique<PosixFileReader>(root), [](FileReader &files) { return std::make_unique<TreeAccounts>(files); },
        systemNow, DatabaseState::AtRest, root);
}

LinuxAccountSource::LinuxAccountSource(
    std::unique_ptr<FileReader> files, std::function<std::unique_ptr<AccountDatabase>(FileReader &)> makeAccounts,
    Clock now, DatabaseState databaseState, std::string root)
    : files_(std::move(files)), accounts_(makeAccounts(*files_)), now_(std::move(now)),
      databaseState_(databaseState), root_(std::move(root))
{
    // localtime_r, unlike localtime, need not look at TZ again.
    ::tzset();
}

std::string LinuxAccountSource::machineName(const std::string &domain)
{
    const std::string host = domain.empty() ? accounts_->hostName() : domain;
    const std::string name = upperAscii(host.substr(0, domain.empty() ? host.find('.') : host.size()));
    return name.empty() ? "LOCALHOST" : name;
}

std::optional<PasswdEntry> LinuxAccountSource::findUser(const AccountName &name)
{
    std::vector<std::string> names;
    if (name.domain.empty() || namesThisHost(name.domain, {}) || accounts_->isHostName(name.domain)) {
        names.push_back(name.user);
    } else {
        // A domain the machine is joined to: NSS (sssd, winbind) knows its
        // users by qualified names.
        std::string lower = name.domain;
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; });
        names = {name.user + "@" + name.domain, name.user + "@" + lower, name.domain + "\\" + name.user};
    }
    for (const auto &candidate : names)
        if (auto entry = accounts_->findUser(candidate))
            // Files are only ever reached by the name the system gave back.
            return isSafeName(entry->name) ? entry : std::nullopt;
    return std::nullopt;
}

Lookup LinuxAccountSource::lookup(const AccountName &name)
{
    Lookup found;
    if (!isSafeAccount(name)) {
        found.failure = {Failure::Kind::NotFound, "not an account name this system can have"};
        return found;
    }
    const auto user = findUser(name);
    if (!user) {
        found.failure = {Failure::Kind::NotFound,
                         "no user " + name.user + " on " + (name.domain.empty() ? std::string("this machine") : name.domain)};
        return found;
    }
    found.sources.push_back({root_.empty() ? "/" : root_, true, {}});
    const std::int64_t now = now_();
    RecordSources sources(*files_, databaseState_, root_);
    const UserRecords records = sources.forUser(*user);
    // A user without an entry, or a shadow file that cannot be read?
    const auto shadow = accounts_->findShadow(user->name);
    const auto unreadShadow = shadow ? std::nullopt : sources.unreadShadow();
    found.record = userRecord(machineName(name.domain), *user, records, shadow, unreadShadow.has_value(), sources, now);
    UnknownValues unknown;
    unknown.add(found.record->usage);
    found.unread = sources.unread(unknown);
    if (unreadShadow)
        found.unread.push_back(*unreadShadow);
    return found;
}

Listing LinuxAccountSource::list(const Request &request, const RowSink &row, const ProgressSink &progress)
{
    Listing listing;
    listing.domain = machineName(request.domain);
    Source &source = listing.sources.emplace_back(Source{root_.empty() ? "/" : root_, false, {}});
    const auto fail = [&](std::string error) {
        source.error = error;
        listing.failure = {Failure::Kind::NotFound, std::move(error)};
        return listing;
    };
    if (!request.base.empty() || request.kind == Request::Kind::Computers) {
        listing.failure = {Failure::Kind::BadRequest, request.base.empty()
                               ? "a Linux machine has no computer accounts; --computers lists an Active Directory domain's"
                               : "--base limits only a listing of an Active Directory domain"};
        return listing;
    }
    if (!request.domain.empty() && !namesThisHost(request.domain, {}) && !accounts_->isHostName(request.domain))
        return fail(request.domain + " is not " + (root_.empty() ? "this machine" : "the machine in " + root_));
    const auto passwd = files_->open("/etc/passwd");
    auto passwdText = passwd ? readText(*passwd) : std::nullopt;
    if (!passwdText)
        return fail("cannot read " + root_ + "/etc/passwd");
    source.answered = true;

    // A name is listed once, as getpwnam finds it: its first entry. The
    // text and the names seen go before the records of every user come.
    std::vector<PasswdEntry> users;
    {
        std::unordered_set<std::string> seen;
        for (PasswdEntry &entry : passwdEntries(*passwdText))
            if (isSafeName(entry.name) && seen.insert(entry.name).second)
                users.push_back(std::move(entry));
        passwdText.reset();
    }
    if (progress)
        progress({0, 1, 0});

    const std::int64_t now = now_();
    const auto shadows = [&] {
        std::vector<std::string> names;
        for (const PasswdEntry &user : users)
            names.push_back(user.name);
        return accounts_->findShadows(names);
    }();
    RecordSources sources(*files_, databaseState_, root_);
    // Users without an entry, or a shadow file that cannot be read?
    const auto unreadShadow = shadows.size() < users.size() ? sources.unreadShadow() : std::nullopt;
    const auto stopped = [&] {
        listing.failure = {Failure::Kind::Stopped, "stopped"};
        return listing;
    };
    if (request.stop.stop_requested())
        return stopped();
    const auto records = sources.forUsers(users);
    UnknownValues unknown;
    for (std::size_t i = 0; i < users.size(); ++i) {
        if (request.stop.stop_requested())
            return stopped();
        const auto found = shadows.find(users[i].name);
        const std::optional<ShadowEntry> shadow = found == shadows.end() ? std::nullopt : std::optional(found->second);
        AccountRecord record =
            userRecord(listing.domain, users[i], records[i], shadow, unreadShadow.has_value(), sources, now);
        unknown.add(record.usage);
        row(std::move(record));
    }
    listing.unread = sources.unread(unknown);
    if (unreadShadow && unknown.ageing)
        listing.unread.push_back(*unreadShadow);
    if (progress)
        progress({1, 1, users.size()});
    return listing;
}

} // namespace tramsel
