// Listing every account of a Linux machine.
#include "platform/linux/linux_catalog.h"

#include <ctime>

#include <unordered_set>

#include "platform/linux/account_state.h"
#include "platform/linux/record_sources.h"
#include "platform/linux/usage_merge.h"
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

} // namespace

std::unique_ptr<LinuxAccountCatalog> LinuxAccountCatalog::forSystem()
{
    return std::make_unique<LinuxAccountCatalog>(
        std::make_unique<PosixFileReader>(),
        [](FileReader &files) { return std::make_unique<SystemAccounts>(files); },
        [] { return static_cast<std::int64_t>(std::time(nullptr)); }, DatabaseState::Live, std::string());
}

std::unique_ptr<LinuxAccountCatalog> LinuxAccountCatalog::forTree(const std::string &root)
{
    return std::make_unique<LinuxAccountCatalog>(
        std::make_unique<PosixFileReader>(root),
        [](FileReader &files) { return std::make_unique<TreeAccounts>(files); },
        [] { return static_cast<std::int64_t>(std::time(nullptr)); }, DatabaseState::AtRest, root);
}

LinuxAccountCatalog::LinuxAccountCatalog(
    std::unique_ptr<FileReader> files, std::function<std::unique_ptr<AccountDatabase>(FileReader &)> makeAccounts,
    Clock now, DatabaseState databaseState, std::string root)
    : files_(std::move(files)), accounts_(makeAccounts(*files_)), now_(std::move(now)),
      databaseState_(databaseState), root_(std::move(root))
{
}

audit::Listing LinuxAccountCatalog::listAccounts(const audit::Request &request,
                                                 const std::function<void(AccountRecord &&)> &row,
                                                 const std::function<void(const audit::Progress &)> &progress)
{
    audit::Listing listing;
    const std::string host = accounts_->hostName();
    listing.domain = upperAscii(request.domain.empty() ? host.substr(0, host.find('.')) : request.domain);
    if (listing.domain.empty())
        listing.domain = "LOCALHOST";
    audit::Source &source = listing.sources.emplace_back(audit::Source{root_.empty() ? "/" : root_, false, {}});
    if (!request.domain.empty() && !namesThisHost(request.domain, {}) && !accounts_->isHostName(request.domain)) {
        listing.error = source.error = request.domain + " is not " + (root_.empty() ? "this machine" : "the machine in " + root_);
        return listing;
    }
    const auto passwd = files_->open("/etc/passwd");
    const auto passwdText = passwd ? readText(*passwd) : std::nullopt;
    if (!passwdText) {
        listing.error = source.error = "cannot read " + root_ + "/etc/passwd";
        return listing;
    }
    source.answered = true;

    std::vector<PasswdEntry> users;
    if (!request.user.empty()) {
        // One account, found as the report finds it and read as it reads it.
        if (auto entry = accounts_->findUser(request.user); entry && isSafeName(entry->name))
            users.push_back(std::move(*entry));
    } else {
        // A name is listed once, as getpwnam finds it: its first entry.
        std::unordered_set<std::string> seen;
        for (PasswdEntry &entry : passwdEntries(*passwdText))
            if (isSafeName(entry.name) && seen.insert(entry.name).second)
                users.push_back(std::move(entry));
    }
    std::vector<std::string> names;
    for (const PasswdEntry &user : users)
        names.push_back(user.name);
    if (progress)
        progress({0, 1, 0});

    const std::int64_t now = now_();
    const auto shadows = accounts_->findShadows(names);
    RecordSources sources(*files_, databaseState_, root_);
    // Users without an entry, or a shadow file that cannot be read?
    const auto unreadShadow = shadows.size() < users.size() ? sources.unreadShadow() : std::nullopt;
    const auto records = request.user.empty() || users.empty() ? sources.forUsers(users, now)
                                                                : std::vector{sources.forUser(users.front(), now)};
    UnknownValues unknown;
    for (std::size_t i = 0; i < users.size(); ++i) {
        const auto found = shadows.find(users[i].name);
        const std::optional<ShadowEntry> shadow = found == shadows.end() ? std::nullopt : std::optional(found->second);
        const AccountState state = accountState(shadow, records[i].tally, sources.faillock(), users[i].uid, now);

        AccountRecord record;
        record.account = listing.domain + "\\" + users[i].name;
        record.user = users[i].name;
        if (!users[i].fullName.empty())
            record.fullName = users[i].fullName;
        record.usage = accountUsage(records[i], unreadShadow ? Known<ShadowEntry>() : Known<ShadowEntry>::read(shadow));
        unknown.add(record.usage);
        record.locked = state.locked;
        record.disabled = state.disabled;
        record.accountExpires = state.accountExpires;
        record.passwordExpired = state.passwordExpired;
        record.controllersAsked = 1;
        record.controllersAnswered = anyRecordRead(records[i], shadow.has_value()) ? 1 : 0;
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
