// The audit's filters.
#include "report/filters.h"

#include "report/locale.h"

namespace tramsel::audit {
namespace {

constexpr double kSecondsPerDay = 86'400;

// Now moved by a number of days on the clock the date-time counts on;
// nothing when that leaves the range of date-times (before or after all time).
std::optional<DateTime> nowMovedBy(const Now &now, const DateTime &onClockOf, int days)
{
    const DateTime &base = onClockOf.isInstant() ? now.instant : now.wall;
    return base.minusSeconds(-days * kSecondsPerDay);
}

// At or after the moment `days` days ago; every date is after the beginning of time.
bool withinLast(const DateTime &date, const Now &now, int days)
{
    const auto cutoff = nowMovedBy(now, date, -days);
    return !cutoff || date.microseconds() >= cutoff->microseconds();
}

// At or before the moment `days` days ahead.
bool withinNext(const DateTime &date, const Now &now, int days)
{
    const auto limit = nowMovedBy(now, date, days);
    return !limit || date.microseconds() <= limit->microseconds();
}

// Only what is known passes: an account whose logins could not be read is
// neither inactive nor never logged in.
bool inactive(const AccountRecord &record, const Now &now, int days)
{
    const Known<DateTime> &login = record.usage.lastLogin;
    if (login.isUnknown() || (login.hasValue() && withinLast(*login, now, days)))
        return false;
    return !(record.created && withinLast(*record.created, now, days));
}

bool passwordExpiresWithin(const AccountRecord &record, const Now &now, int days)
{
    if (record.passwordExpired == true)
        return true;
    const DateTime *expires = record.usage.passwordExpires.get();
    return expires && withinNext(*expires, now, days);
}

} // namespace

Now nowAt(const DateTime &instant, const Locale &locale)
{
    return {instant, DateTime::fromCivil(locale.localTime(instant).civil).value_or(instant)};
}

bool matches(const Filters &filters, const AccountRecord &record, const Now &now)
{
    if (filters.inactiveDays && !inactive(record, now, *filters.inactiveDays))
        return false;
    if (filters.neverLoggedIn && !record.usage.lastLogin.isNone())
        return false;
    if (filters.locked && record.locked != true)
        return false;
    if (filters.disabled && record.disabled != true)
        return false;
    if (filters.enabled && record.disabled != false)
        return false;
    if (filters.accountExpired && record.accountExpired != true)
        return false;
    if (filters.passwordNeverExpires && record.passwordNeverExpires != true)
        return false;
    if ((filters.userAccounts && record.systemAccount != false) || (filters.systemAccounts && record.systemAccount != true))
        return false;
    return !filters.passwordExpiresWithinDays
        || passwordExpiresWithin(record, now, *filters.passwordExpiresWithinDays);
}

} // namespace tramsel::audit
