// The Linux directory provider: binding by NSS or a tree's passwd, and the
// seven usage properties from the login records and shadow.
#include "platform/linux/linux_provider.h"

#include <ctime>

#include <algorithm>

#include "report/account_path.h"
#include "platform/linux/login_history.h"

namespace tramsel {

using namespace linux_accounts;

namespace {

std::optional<PropertyValue> dateTimeValue(std::optional<std::int64_t> seconds)
{
    if (!seconds)
        return std::nullopt;
    if (auto dateTime = DateTime::fromUnixSeconds(*seconds))
        return *dateTime;
    return std::nullopt;
}

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

// chage(1)'s limit: a maximum age of this many days or more never expires.
constexpr std::int64_t kNeverExpiresDays = 10000;
constexpr std::int64_t kSecondsPerDay = 86400;

// One bound user; what its records say is read once, when first asked.
class LinuxAccount final : public DirectoryObject {
public:
    LinuxAccount(PasswdEntry user, FileReader &files, AccountDatabase &accounts,
                 const LinuxDirectoryProvider::Clock &now, DatabaseState databaseState)
        : user_(std::move(user)), files_(files), accounts_(accounts), now_(now),
          databaseState_(databaseState)
    {
    }

    std::optional<PropertyValue> get(std::string_view name);

private:
    RecordLog log(std::size_t recordSize, const std::string &path)
    {
        const auto opener = [this](std::string p) {
            return [this, p = std::move(p)] { return files_.open(p); };
        };
        return RecordLog(recordSize, {opener(path + ".1"), opener(path)});
    }

    const SessionSummary &session()
    {
        return session_.get([this] {
            RecordLog wtmp = log(UtmpRecord::kSize, "/var/log/wtmp");
            return latestSession(wtmp, user_.name);
        });
    }

    const std::optional<LastlogRecord> &lastlog()
    {
        return lastlog_.get([this] {
            const auto file = files_.open("/var/log/lastlog");
            return file ? lastlogEntry(*file, user_.uid) : std::nullopt;
        });
    }

    // A SQLite database opened by SQLite itself, once `files` has found it.
    // A tree's database is named by its open descriptor, so that a link in
    // the tree cannot lead SQLite out of it; the file stays open meanwhile.
    template <typename Query>
    auto queryDatabase(const std::string &path, Query query) -> decltype(query(std::string()))
    {
        const auto file = files_.open(path);
        if (!file)
            return {};
        if (databaseState_ == DatabaseState::Live)
            return query(databaseUri(path, databaseState_));
        const std::string held = file->descriptorPath();
        if (held.empty())
            return {};
        return query(databaseUri(held, databaseState_));
    }

    const SessionSummary &wtmpdb()
    {
        return wtmpdb_.get([this] {
            return queryDatabase("/var/lib/wtmpdb/wtmp.db",
                                 [this](const std::string &uri) { return wtmpdbSession(uri, user_.name); });
        });
    }

    const std::optional<std::int64_t> &lastlog2()
    {
        return lastlog2_.get([this] {
            return queryDatabase("/var/lib/lastlog/lastlog2.db",
                                 [this](const std::string &uri) { return lastlog2Login(uri, user_.name); });
        });
    }

    // The latest of every source that has the user.
    std::optional<std::int64_t> lastLogin()
    {
        std::optional<std::int64_t> latest;
        const auto consider = [&](std::optional<std::int64_t> seconds) {
            if (seconds && (!latest || *seconds > *latest))
                latest = seconds;
        };
        consider(lastlog2());
        consider(wtmpdb().login);
        if (const auto &record = lastlog())
            consider(record->seconds);
        consider(session().login);
        return latest;
    }

    // The end of the latest session, from whichever log holds it.
    std::optional<std::int64_t> lastLogoff()
    {
        const SessionSummary &database = wtmpdb();
        const SessionSummary &file = session();
        if (database.login && (!file.login || *database.login >= *file.login))
            return database.logoff;
        return file.logoff;
    }

    // btmp's latest failure, and its count since the last login when no
    // tally holds the count.
    const FailureSummary &btmpFailures()
    {
        return btmpFailures_.get([this] {
            RecordLog btmp = log(UtmpRecord::kSize, "/var/log/btmp");
            const bool count = !tally().has_value();
            return summarizeFailures(btmp, user_.name, {count, count ? lastLogin() : std::nullopt});
        });
    }

    const std::optional<TallySummary> &tally()
    {
        return tally_.get([this] {
            const auto conf = files_.open("/etc/security/faillock.conf");
            const auto confText = conf ? readText(*conf) : std::nullopt;
            const FaillockSettings settings = parseFaillockConf(confText.value_or(""));
            RecordLog file(TallyRecord::kSize,
                           {[this, path = settings.dir + "/" + user_.name] { return files_.open(path); }});
            return summarizeTally(file, now_(), settings.failIntervalSeconds);
        });
    }

    // The later failure of btmp's and the tally's: when, and from where.
    std::optional<std::pair<std::int64_t, std::string>> lastFailure()
    {
        std::optional<std::pair<std::int64_t, std::string>> latest;
        if (const auto &btmp = btmpFailures(); btmp.when)
            latest.emplace(*btmp.when, btmp.host);
        if (const auto &faillock = tally(); faillock && faillock->latest
            && (!latest || *faillock->latest > latest->first))
            latest.emplace(*faillock->latest, faillock->address);
        return latest;
    }

    std::optional<std::int64_t> badLoginCount()
    {
        if (const auto &faillock = tally())
            return faillock->countNow;
        if (const auto &btmp = btmpFailures(); btmp.readable)
            return btmp.countAfter;
        return std::nullopt;
    }

    const std::optional<ShadowEntry> &shadow()
    {
        return shadow_.get([this] { return accounts_.findShadow(user_.name); });
    }

    PasswdEntry user_;
    FileReader &files_;
    AccountDatabase &accounts_;
    const LinuxDirectoryProvider::Clock &now_;
    DatabaseState databaseState_;

    Lazy<SessionSummary> session_;
    Lazy<SessionSummary> wtmpdb_;
    Lazy<std::optional<std::int64_t>> lastlog2_;
    Lazy<std::optional<LastlogRecord>> lastlog_;
    Lazy<FailureSummary> btmpFailures_;
    Lazy<std::optional<TallySummary>> tally_;
    Lazy<std::optional<ShadowEntry>> shadow_;
};

std::optional<PropertyValue> LinuxAccount::get(std::string_view name)
{
    if (name == "LastLogin")
        return dateTimeValue(lastLogin());
    if (name == "LastLogoff")
        return dateTimeValue(lastLogoff());
    if (name == "LastFailedLogin") {
        const auto failure = lastFailure();
        return dateTimeValue(failure ? std::optional(failure->first) : std::nullopt);
    }
    if (name == "BadLoginAddress") {
        if (const auto failure = lastFailure())
            return failure->second;
        return std::nullopt;
    }
    if (name == "BadLoginCount") {
        if (const auto count = badLoginCount())
            return *count;
        return std::nullopt;
    }
    if (name == "MaxPasswordAge") {
        const auto &entry = shadow();
        if (!entry)
            return std::nullopt;
        if (entry->maxDays < 0 || entry->maxDays >= kNeverExpiresDays)
            return std::int64_t{-1};
        return entry->maxDays * kSecondsPerDay;
    }
    if (name == property::kPasswordLastChanged) {
        const auto &entry = shadow();
        if (!entry || entry->lastChangeDays <= 0)
            return std::nullopt;
        if (auto date = DateTime::fromDays(entry->lastChangeDays))
            return *date;
        return std::nullopt;
    }
    if (name == "PasswordExpirationDate") {
        const auto &entry = shadow();
        if (!entry || entry->lastChangeDays <= 0 || entry->maxDays < 0
            || entry->maxDays >= kNeverExpiresDays)
            return std::nullopt;
        if (auto date = DateTime::fromDays(entry->lastChangeDays + entry->maxDays))
            return *date;
        return std::nullopt;
    }
    return std::nullopt;
}

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
