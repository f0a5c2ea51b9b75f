// Time zones on Windows.
#include "platform/win/time_zone.h"

#include <cstdint>
#include <cwchar>

namespace tramsel::win {
namespace {

constexpr std::int64_t kTicksPerSecond = 10'000'000;
constexpr std::int64_t kMicrosPerSecond = 1'000'000;

std::optional<std::int64_t> ticks(const SYSTEMTIME &t)
{
    FILETIME f{};
    if (!SystemTimeToFileTime(&t, &f))
        return std::nullopt;
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(f.dwHighDateTime) << 32) | f.dwLowDateTime);
}

} // namespace

SYSTEMTIME systemTime(const CivilDateTime &d)
{
    SYSTEMTIME t{};
    t.wYear = static_cast<WORD>(d.year);
    t.wMonth = static_cast<WORD>(d.month);
    t.wDay = static_cast<WORD>(d.day);
    t.wHour = static_cast<WORD>(d.hour);
    t.wMinute = static_cast<WORD>(d.minute);
    t.wSecond = static_cast<WORD>(d.second);
    return t;
}

std::optional<TimeZone> TimeZone::named(std::wstring_view key)
{
    DYNAMIC_TIME_ZONE_INFORMATION zone{};
    for (DWORD i = 0; EnumDynamicTimeZoneInformation(i, &zone) == ERROR_SUCCESS; ++i)
        if (key == zone.TimeZoneKeyName)
            return TimeZone(zone);
    return std::nullopt;
}

std::optional<TIME_ZONE_INFORMATION> TimeZone::rules(int year) const
{
    DYNAMIC_TIME_ZONE_INFORMATION zone{};
    if (zone_)
        zone = *zone_;
    else if (GetDynamicTimeZoneInformation(&zone) == TIME_ZONE_ID_INVALID)
        return std::nullopt;
    TIME_ZONE_INFORMATION rules{};
    if (!zone.DynamicDaylightTimeDisabled && GetTimeZoneInformationForYear(static_cast<USHORT>(year), &zone, &rules))
        return rules;
    // The zone's fixed rules: the user turned off the yearly changes, or the
    // zone has no table of years (Wine finds none for a zone it cannot name).
    rules.Bias = zone.Bias;
    std::wmemcpy(rules.StandardName, zone.StandardName, std::size(rules.StandardName));
    rules.StandardDate = zone.StandardDate;
    rules.StandardBias = zone.StandardBias;
    std::wmemcpy(rules.DaylightName, zone.DaylightName, std::size(rules.DaylightName));
    rules.DaylightDate = zone.DaylightDate;
    rules.DaylightBias = zone.DaylightBias;
    return rules;
}

std::optional<LocalTime> TimeZone::convert(const DateTime &dateTime) const
{
    // The functions without "Ex" take the year's rules; those with it are
    // missing from Wine.
    const CivilDateTime civil = dateTime.civil();
    const SYSTEMTIME given = systemTime(civil);
    const auto yearRules = rules(civil.year);
    if (!yearRules || !ticks(given))
        return std::nullopt;
    SYSTEMTIME local = given;
    SYSTEMTIME utc = given;
    if (dateTime.isInstant() ? !SystemTimeToTzSpecificLocalTime(&*yearRules, &given, &local)
                             : !TzSpecificLocalTimeToSystemTime(&*yearRules, &given, &utc))
        return std::nullopt;
    const auto localTicks = ticks(local);
    const auto utcTicks = ticks(utc);
    if (!localTicks || !utcTicks)
        return std::nullopt;
    return LocalTime{{local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond},
                     static_cast<int>((*localTicks - *utcTicks) / kTicksPerSecond)};
}

LocalTime TimeZone::localTime(const DateTime &dateTime) const
{
    return convert(dateTime).value_or(LocalTime{dateTime.civil(), 0});
}

std::optional<DateTime> TimeZone::instant(const DateTime &dateTime) const
{
    if (dateTime.isInstant())
        return dateTime;
    const auto local = convert(dateTime);
    if (!local)
        return std::nullopt;
    return DateTime::fromUnixMicroseconds(dateTime.microseconds() - std::int64_t{local->utcOffsetSeconds} * kMicrosPerSecond);
}

} // namespace tramsel::win
