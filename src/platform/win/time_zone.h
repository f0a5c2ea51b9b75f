// Time zones on Windows: the user's, or one named by its registry key, with
// the daylight-saving rules each year had.
#pragma once

#include <windows.h>

#include <optional>
#include <string_view>

#include "report/date_time.h"
#include "report/locale.h"

namespace tramsel::win {

SYSTEMTIME systemTime(const CivilDateTime &dateTime);

// Conversions follow the zone's rules for the year of the date, where Windows
// keeps them, so a date years back gets that year's daylight saving.
class TimeZone {
public:
    // The user's zone, as Windows is set each time it is asked.
    TimeZone() = default;
    // The zone of that key ("Eastern Standard Time"); nothing when Windows has none.
    static std::optional<TimeZone> named(std::wstring_view key);

    // An instant on this zone's clock; a wall-clock date-time as it is. Either
    // way with the zone's offset from UTC then (0 where Windows cannot tell).
    LocalTime localTime(const DateTime &dateTime) const;
    // The instant a date-time on this zone's clock names (an instant stays as
    // it is); nothing where Windows cannot convert it (before 1601).
    std::optional<DateTime> instant(const DateTime &dateTime) const;

private:
    explicit TimeZone(const DYNAMIC_TIME_ZONE_INFORMATION &zone) : zone_(zone) {}
    std::optional<TIME_ZONE_INFORMATION> rules(int year) const;
    std::optional<LocalTime> convert(const DateTime &dateTime) const;

    std::optional<DYNAMIC_TIME_ZONE_INFORMATION> zone_;
};

} // namespace tramsel::win
