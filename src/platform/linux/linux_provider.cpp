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

// A value worked out the first time it is asked for, then kept.
template <class T> class Lazy {
public:
    template <class Make> const T &get(Make make)
    {
        if (!value_)
            value_.emplace(make());
        return *value_;
    }

private:
    std::optional<T> value_;
};

// One bound user; its records and its shadow entry are each read once, when
// first asked for.
class LinuxAccount final : public DirectoryObject {
public:
    LinuxAccount(PasswdEntry user, FileReader &files, AccountDatabase &accounts,
                 const LinuxDirectoryProvider::Clock &now, DatabaseState databaseState)
        : user_(std::move(user)), sources_(files, databaseState), accounts_(accounts), now_(now)
    {
    }

    std::optional<PropertyValue> get(std::string_view name)
    {
        switch (propertySource(name)) {
        case PropertySource::Shadow:
            return usageProperty({}, shadow(), name);
        case PropertySource::Records:
            return usageProperty(usage(), std::nullopt, name);
        case PropertySource::Neither:
            break;
        }
        return std::nullopt;
    }

private:
    const MergedUsage &usage()
    {
        return usage_.get([this] { return mergeRecords(sources_.forUser(user_, now_())); });
    }

    const std::optional<ShadowEntry> &shadow()
    {
        return shadow_.get([this] { return accounts_.findShadow(user_.name); });
    }

    PasswdEntry user_;
    RecordSources sources_;
    AccountDatabase &accounts_;
    const LinuxDirectoryProvider::Clock &now_;

    Lazy<MergedUsage> usage_;
    Lazy<std::optional<ShadowEntry>> shadow_;
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
        [] { return static_cast<std::int64_t>(std::time(nullptr)); }, DatabaseState::AtRest);
}

LinuxDirectoryProvider::LinuxDirectoryProvider(
    std::unique_ptr<FileReader> files,
    std::function<std::unique_ptr<AccountDatabase>(FileReader &)> makeAccounts, Clock now,
    DatabaseState databaseState)
    : files_(std::move(files)), accounts_(makeAccounts(*files_)), now_(std::move(now)),
      databaseState_(databaseState)
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
    return {new LinuxAccount(std::move(*user), *files_, *accounts_, now_, databaseState_), {}, {}};
}

std::optional<PropertyValue> LinuxDirectoryProvider::get(DirectoryObject &object, std::string_view name)
{
    auto *account = dynamic_cast<LinuxAccount *>(&object);
    if (!account)
        return std::nullopt;
    return account->get(name);
}

void LinuxDirectoryProvider::release(DirectoryObject *object)
{
    delete object;
}

} // namespace tramsel
