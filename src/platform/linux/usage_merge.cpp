// The rules that merge one user's login records and read its shadow ageing.
#include "platform/linux/usage_merge.h"

#include "report/directory_provider.h"

namespace tramsel::linux_accounts {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

std::optional<PropertyValue> instant(std::optional<std::int64_t> seconds)
{
    if (!seconds)
        return std::nullopt;
    if (auto dateTime = DateTime::fromUnixSeconds(*seconds))
        return *dateTime;
    return std::nullopt;
}

std::optional<PropertyValue> day(std::int64_t days)
{
    if (auto date = DateTime::fromDays(days))
        return *date;
    return std::nullopt;
}

std::optional<std::int64_t> lastLogin(const UserRecords &records)
{
    std::optional<std::int64_t> latest;
    for (const auto &seconds : {records.lastlog2, records.wtmpdb.login, records.lastlog, records.wtmp.login})
        if (seconds && (!latest || *seconds > *latest))
            latest = seconds;
    return latest;
}

std::optional<PropertyValue> shadowProperty(const std::optional<ShadowEntry> &entry, std::string_view name)
{
    if (!entry)
        return std::nullopt;
    if (name == property::kMaxPasswordAge) {
        if (entry->maxDays < 0 || entry->maxDays >= kNeverExpiresDays)
            return std::int64_t{-1};
        // 0 seconds would read as "never"; in shadow, 0 days means the
        // password must be changed at once. A text is taken as days.
        if (entry->maxDays == 0)
            return std::string("0");
        return entry->maxDays * kSecondsPerDay;
    }
    if (name == property::kPasswordLastChanged)
        return entry->lastChangeDays > 0 ? day(entry->lastChangeDays) : std::nullopt;
    if (name == property::kPasswordExpirationDate) {
        const auto expiry = passwordExpiryDay(*entry);
        return expiry ? day(*expiry) : std::nullopt;
    }
    return std::nullopt;
}

std::optional<PropertyValue> recordProperty(const MergedUsage &usage, std::string_view name)
{
    if (name == property::kLastLogin)
        return instant(usage.lastLogin);
    if (name == property::kLastLogoff)
        return instant(usage.lastLogoff);
    if (name == property::kLastFailedLogin)
        return usage.lastFailure ? instant(usage.lastFailure->when) : std::nullopt;
    if (name == property::kBadLoginAddress)
        return usage.lastFailure ? std::optional<PropertyValue>(usage.lastFailure->address) : std::nullopt;
    if (name == property::kBadLoginCount)
        return usage.badLoginCount ? std::optional<PropertyValue>(*usage.badLoginCount) : std::nullopt;
    return std::nullopt;
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
        usage.badLoginCount = records.tally->countNow;
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

PropertySource propertySource(std::string_view name)
{
    if (name == property::kMaxPasswordAge || name == property::kPasswordLastChanged
        || name == property::kPasswordExpirationDate)
        return PropertySource::Shadow;
    if (name == property::kLastLogin || name == property::kLastLogoff || name == property::kLastFailedLogin
        || name == property::kBadLoginAddress || name == property::kBadLoginCount)
        return PropertySource::Records;
    return PropertySource::Neither;
}

std::optional<PropertyValue> usageProperty(const MergedUsage &usage, const std::optional<ShadowEntry> &shadow,
                                           std::string_view name)
{
    switch (propertySource(name)) {
    case PropertySource::Shadow:
        return shadowProperty(shadow, name);
    case PropertySource::Records:
        return recordProperty(usage, name);
    case PropertySource::Neither:
        break;
    }
    return std::nullopt;
}

} // namespace tramsel::linux_accounts
