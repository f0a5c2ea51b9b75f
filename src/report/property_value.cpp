// Text of property values.
#include "report/property_value.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string_view>

#include "report/locale.h"

namespace tramsel {
namespace {

template <class... Ts> struct Overloaded : Ts... {
    using Ts::operator()...;
};

} // namespace

std::optional<std::string> numberText(double number, const Locale &locale)
{
    if (!std::isfinite(number))
        return std::nullopt;
    if (number == 0)
        return "0";

    // 15 significant digits: d.dddddddddddddde±x, then laid out as plain decimal.
    char buffer[64];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, number, std::chars_format::scientific, 14);
    if (ec != std::errc())
        return std::nullopt;
    const std::string_view sci(buffer, static_cast<std::size_t>(end - buffer));
    const std::size_t e = sci.find('e');
    const bool negative = sci.front() == '-';
    std::string digits;
    for (char c : sci.substr(0, e))
        if (c >= '0' && c <= '9')
            digits += c;
    const int exponent = std::atoi(std::string(sci.substr(e + 1)).c_str());
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    // The decimal point goes after digit number (exponent + 1).
    const int pointAt = exponent + 1;
    std::string integerPart;
    std::string fraction;
    if (pointAt <= 0) {
        integerPart = "0";
        fraction = std::string(static_cast<std::size_t>(-pointAt), '0') + digits;
    } else if (static_cast<std::size_t>(pointAt) >= digits.size()) {
        integerPart = digits + std::string(static_cast<std::size_t>(pointAt) - digits.size(), '0');
    } else {
        integerPart = digits.substr(0, static_cast<std::size_t>(pointAt));
        fraction = digits.substr(static_cast<std::size_t>(pointAt));
    }

    std::string text = negative ? "-" : "";
    text += integerPart;
    if (!fraction.empty())
        text += locale.decimalSeparator() + fraction;
    return text;
}

std::string dateTimeText(const DateTime &dateTime, const Locale &locale)
{
    // A UTC day is the date itself, wherever the user is.
    const CivilDateTime civil = dateTime.isUtcDay() ? dateTime.civil() : locale.localTime(dateTime).civil;
    std::string text = locale.dateText(civil);
    if (civil.hour != 0 || civil.minute != 0 || civil.second != 0)
        text += ' ' + locale.timeText(civil);
    return text;
}

std::optional<std::string> valueText(const PropertyValue &value, const Locale &locale)
{
    return std::visit(
        Overloaded{
            [](EmptyValue) -> std::optional<std::string> { return std::string(); },
            [](NullValue) -> std::optional<std::string> { return std::nullopt; },
            [](std::int64_t n) -> std::optional<std::string> { return std::to_string(n); },
            [&](double d) { return numberText(d, locale); },
            [&](const DateTime &dt) -> std::optional<std::string> {
                return dateTimeText(dt, locale);
            },
            [](const std::string &s) -> std::optional<std::string> { return s; },
        },
        value);
}

std::optional<double> numberValue(const PropertyValue &value)
{
    if (const auto *n = std::get_if<std::int64_t>(&value))
        return static_cast<double>(*n);
    if (const auto *d = std::get_if<double>(&value); d && std::isfinite(*d))
        return *d;
    return std::nullopt;
}

} // namespace tramsel
