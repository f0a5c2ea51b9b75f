// What a source reads for a property, and its text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "report/date_time.h"

namespace tramsel {

class Locale;

struct EmptyValue {
    friend bool operator==(EmptyValue, EmptyValue) = default;
};
struct NullValue {
    friend bool operator==(NullValue, NullValue) = default;
};

// The kinds a property value may have: empty, null, integer, floating-point,
// date-time, text (UTF-8).
using PropertyValue =
    std::variant<EmptyValue, NullValue, std::int64_t, double, DateTime, std::string>;

// The value as report text: empty text for empty, nothing for null (it has no
// text), plain decimals for numbers, the locale's date and time for date-times.
std::optional<std::string> valueText(const PropertyValue &value, const Locale &locale);

// A floating-point number as plain decimal (never an exponent) with at most
// 15 significant digits, no trailing zeros and the locale's decimal separator.
// Nothing for infinities and NaN.
std::optional<std::string> numberText(double number, const Locale &locale);

// The date-time on the user's clock as date, space and time; midnight
// shows as the date alone.
std::string dateTimeText(const DateTime &dateTime, const Locale &locale);

// The value as a number, for arithmetic: integers and floating-point numbers
// only. Other kinds (text holding digits included) are not numbers here.
std::optional<double> numberValue(const PropertyValue &value);

} // namespace tramsel
