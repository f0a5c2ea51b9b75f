// The Linux directory provider: binding by NSS or a tree's passwd, and the
// seven usage properties from the login records and shadow.
#include "platform/linux/linux_provider.h"

#include <ctime>

#include <algorithm>

#include "report/account_path.h"
#include "platform/linux/record_sources.h"
#include "platform/linux/usage_merge.h"

namespace tramsel {

using namespace linux_accounts;

namespace {

// One bound user.
class LinuxAccount final : public DirectoryObject {
public:
    LinuxAccount(PasswdEntry user, FileReader &files, AccountDatabase &accounts, std::int64_t now,
                 DatabaseState databaseState, const std::string &root)
        : user_(std::move(user)), sources_(files, databaseState, root), accounts_(accounts), now_(now)
    {
    }

    UsageRead usage()
    {
        const UserRecords records = sources_.forUser(user_, now_);
        // A user without an entry, or a shadow file that cannot be read?
        auto entry = accounts_.findShadow(user_.name);
        const auto unreadShadow = entry ? std::nullopt : sources_.unreadShadow();
        const auto shadow = unreadShadow ? Known<ShadowEntry>() : Known<ShadowEntry>::read(std::move(entry));
        UsageRead read{accountUsage(records, shadow), {}};
        UnknownValues unknown;
        unknown.add(read.usage);
        read.unread = sources_.unread(unknown);
        if (unreadShadow)
            read.unread.push_back(*unreadShadow);
        return read;
    }

private:
    PasswdEntry user_;
    RecordSources sources_;
    AccountDatabase &accounts_;
    std::int64_t now_;
};

} // namespace

std::unique_ptr<LinuxDirectoryProvider> LinuxDirectoryProvider::forSystem()
{
    return std::make_unique<LinuxDirectoryProvider>(
        std::make_unique<PosixFileReader>(),
        [](FileReader &files) { return std::make_unique<SystemAccounts>(files); },
        [] { return static_cast<std::int64_t>(std::time(nullptr)); }, DatabaseState::Live);
}

std::unique_ptr<LinuxDirectoryProvider> LinuxDirectoryProvider::forTree(const std::string &root)
{
    return std::make_unique<LinuxDirectoryProvider>(
        std::make_unique<PosixFileReader>(root),
        [](FileReader &files) { return std::make_unique<TreeAccounts>(files); },
        [] { return static_cast<std::int64_t>(std::time(nullptr)); }, DatabaseState::AtRest, root);
}

LinuxDirectoryProvider::LinuxDirectoryProvider(
    std::unique_ptr<FileReader> files,
    std::function<std::unique_ptr<AccountDatabase>(FileReader &)> makeAccounts, Clock now,
    DatabaseState databaseState, std::string root)
    : files_(std::move(files)), accounts_(makeAccounts(*files_)), now_(std::move(now)),
      databaseState_(databaseState), root_(std::move(root))
{
    // localtime_r, unlike localtime, need not look at TZ again.
    ::tzset();
}

std::optional<PasswdEntry> LinuxDirectoryProvider::lookUp(const std::string &domain,
                                                          const std::string &user)
{
    std::vector<std::string> names;
    if (domain.empty() || namesThisHost(domain, {}) || accounts_->isHostName(domain)) {
        names.push_back(user);
    } else {
        // A domain the machine is joined to: NSS (sssd, winbind) knows its
        // users by qualified names.
        std::string lower = domain;
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; });
        names = {user + "@" + domain, user + "@" + lower, domain + "\\" + user};
    }
    for (const auto &name : names) {
        if (auto entry = accounts_->findUser(name)) {
            // Files are only ever reached by the name the system gave back.
            if (isSafeName(entry->name))
                return entry;
            return std::nullopt;
        }
    }
    return std::nullopt;
}

Binding LinuxDirectoryProvider::bind(std::string_view path)
{
    const auto account = parseAccountPath(path);
    if (!account)
        return {nullptr, "not an account name this system can have", {}};
    auto user = lookUp(account->domain, account->user);
    if (!user)
        return {nullptr, "no user " + account->user + " on "
                    + (account->domain.empty() ? std::string("this machine") : account->domain), {}};
    return {new LinuxAccount(std::move(*user), *files_, *accounts_, now_(), databaseState_, root_), {}, {}};
}

UsageRead LinuxDirectoryProvider::usage(DirectoryObject &object)
{
    auto *account = dynamic_cast<LinuxAccount *>(&object);
    return account ? account->usage() : UsageRead{};
}

void LinuxDirectoryProvider::release(DirectoryObject *object)
{
    delete object;
}

} // namespace tramsel
