// The user's locale as the report needs it.
#pragma once

#include <string>
#include <string_view>

#include "report/date_time.h"

namespace tramsel {

/// The user's locale: case mapping, date and time formats, decimal separator.
/// All texts are UTF-8.
class Locale {
public:
    virtual ~Locale() = default;

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
};

} // namespace tramsel
