// The rules that merge one user's login records and read its shadow ageing.
#include "directory/linux/usage_merge.h"


namespace tramsel::linux_accounts {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

std::optional<DateTime> instant(std::optional<std::int64_t> seconds)
{
    return seconds ? DateTime::fromUnixSeconds(*seconds) : std::nullopt;
}

std::optional<DateTime> day(std::int64_t days)
{
    return DateTime::fromUtcDay(days);
}

std::optional<std::int64_t> lastLogin(const UserRecords &records)
{
    std::optional<std::int64_t> latest;
    for (const auto &seconds : {records.lastlog2, records.wtmpdb.login, records.lastlog, records.wtmp.login})
        if (seconds && (!latest || *seconds > *latest))
            latest = seconds;
    return latest;
}

Known<MaxPasswordAge> maxAge(const ShadowEntry &entry)
{
    if (entry.maxDays < 0 || entry.maxDays >= kNeverExpiresDays)
        return MaxPasswordAge{0, true};
    // 0 days: the password must be changed at once.
    return MaxPasswordAge{static_cast<double>(entry.maxDays), false};
}

// A remote host, not a terminal (tty3, pts/1, /dev/tty2, :0) or nothing (a service).
bool isAddress(std::string_view text)
{
    return !text.empty() && !text.starts_with("tty") && !text.starts_with("pts/") && !text.starts_with("/dev/")
        && !text.starts_with(':') && text != "console";
}

} // namespace

FailureQuery btmpQuery(const UserRecords &records)
{
    const bool count = !records.tally.has_value();
    return {count, count ? lastLogin(records) : std::nullopt};
}

MergedUsage mergeRecords(const UserRecords &records)
{
    MergedUsage usage;
    usage.lastLogin = lastLogin(records);

    // The end of the latest session, from whichever log holds it.
    const SessionSummary &database = records.wtmpdb;
    const SessionSummary &file = records.wtmp;
    if (database.login && (!file.login || *database.login >= *file.login))
        usage.lastLogoff = database.logoff;
    else
        usage.lastLogoff = file.logoff;

    if (records.btmp.when)
        usage.lastFailure = MergedUsage::Failure{*records.btmp.when, records.btmp.host};
    if (const auto &tally = records.tally; tally && tally->latest
        && (!usage.lastFailure || *tally->latest > usage.lastFailure->when))
        usage.lastFailure = MergedUsage::Failure{*tally->latest, tally->address};

    if (records.tally)
        usage.badLoginCount = records.tally->validCount;
    else if (records.btmp.readable)
        usage.badLoginCount = records.btmp.countAfter;
    return usage;
}

std::optional<std::int64_t> passwordExpiryDay(const ShadowEntry &shadow)
{
    if (shadow.lastChangeDays <= 0 || shadow.maxDays < 0 || shadow.maxDays >= kNeverExpiresDays)
        return std::nullopt;
    return shadow.lastChangeDays + shadow.maxDays;
}

AccountUsage accountUsage(const UserRecords &records, const Known<ShadowEntry> &shadow)
{
    const MergedUsage merged = mergeRecords(records);
    const bool logins = records.lastlog2Read || records.wtmpdb.readable || records.lastlogRead || records.wtmp.readable;
    const bool sessions = records.wtmpdb.readable || records.wtmp.readable;
    const bool failures = records.btmp.readable || records.tally.has_value();
    AccountUsage usage;
    usage.lastLogin = Known<DateTime>::from(instant(merged.lastLogin), logins);
    usage.lastLogoff = Known<DateTime>::from(instant(merged.lastLogoff), sessions);
    const auto &failure = merged.lastFailure;
    usage.lastFailedLogin = Known<DateTime>::from(failure ? instant(failure->when) : std::nullopt, failures);
    usage.lastBadLoginAddress = Known<std::string>::from(
        failure && isAddress(failure->address) ? std::optional(failure->address) : std::nullopt, failures);
    usage.badLoginCount = Known<std::int64_t>::from(merged.badLoginCount, failures);

    if (!shadow.known())
        return usage;
    // Shadow was read: a user without an entry has none of its values.
    const ShadowEntry *entry = shadow.get();
    const auto expiry = entry ? passwordExpiryDay(*entry) : std::nullopt;
    usage.passwordExpires = Known<DateTime>::read(expiry ? day(*expiry) : std::nullopt);
    usage.passwordMaxAge = entry ? maxAge(*entry) : Known<MaxPasswordAge>::none();
    usage.passwordLastChanged =
        Known<DateTime>::read(entry && entry->lastChangeDays > 0 ? day(entry->lastChangeDays) : std::nullopt);
    return usage;
}

void UnknownValues::add(const AccountUsage &usage)
{
    logins |= usage.lastLogin.isUnknown();
    logoffs |= usage.lastLogoff.isUnknown();
    failures |= usage.lastFailedLogin.isUnknown();
    ageing |= usage.passwordMaxAge.isUnknown();
}

} // namespace tramsel::linux_accounts
