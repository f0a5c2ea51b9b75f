// The user's locale as the report needs it.
#pragma once

#include <string>
#include <string_view>

#include "report/date_time.h"

namespace tramsel {

/// A date-time on the user's clock, and how far that clock is ahead of UTC.
struct LocalTime {
    CivilDateTime civil;
    int utcOffsetSeconds = 0;
};

/// The user's locale: case mapping, time zone, date and time formats,
/// decimal separator. All texts are UTF-8.
class Locale {
public:
    virtual ~Locale() = default;

    /// The date-time on the user's clock: an instant in the user's time
    /// zone (TZ), a wall-clock date-time as it is. Either way with the
    /// zone's offset from UTC at that moment.
    virtual LocalTime localTime(const DateTime &dateTime) const = 0;
    /// The text in upper case by the locale's mapping.
    virtual std::string toUpper(std::string_view text) const = 0;
    /// The date in the user's short date format.
    virtual std::string dateText(const CivilDateTime &dateTime) const = 0;
    /// The time of day, to the second, in the user's time format.
    virtual std::string timeText(const CivilDateTime &dateTime) const = 0;
    /// The time of day as hours and minutes, in the user's short time format.
    virtual std::string clockText(const CivilDateTime &dateTime) const = 0;
    /// The decimal separator of numbers.
    virtual std::string decimalSeparator() const = 0;
    /// What groups a number's digits in threes: "," in English, "." in German.
    virtual std::string groupSeparator() const { return ","; }
};

} // namespace tramsel
