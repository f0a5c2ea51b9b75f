// VARIANTs as property values.
#include "directory/adsi/variant_value.h"

#include <activeds.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string_view>

#include "platform/win/com.h"
#include "platform/win/wide_text.h"

namespace tramsel::win {
namespace {

constexpr std::int64_t kSecondsPerDay = 86'400;
constexpr std::int64_t kMicrosPerSecond = 1'000'000;
// Far beyond the years a date-time may have, in days either way; keeps the
// arithmetic below from overflowing before the range check.
constexpr double kDaysBeyondRange = 5'000'000;

std::int64_t oleEpochMicros()
{
    static const std::int64_t epoch = DateTime::fromCivil({1899, 12, 30})->microseconds();
    return epoch;
}

// (Hi32 * 2^64 + Lo64) / 10^scale with the sign bit: as close as a double gets.
std::optional<double> decimalNumber(const DECIMAL &decimal)
{
    constexpr int kMaxScale = 28;
    if (decimal.scale > kMaxScale)
        return std::nullopt;
    constexpr double kTwoToThe64 = 18446744073709551616.0;
    const double magnitude =
        static_cast<double>(decimal.Hi32) * kTwoToThe64 + static_cast<double>(decimal.Lo64);
    const double number = magnitude / std::pow(10.0, decimal.scale);
    return (decimal.sign & DECIMAL_NEG) ? -number : number;
}

std::optional<PropertyValue> bstrText(BSTR text)
{
    // A null BSTR is the empty string by the rules of BSTRs.
    if (!text)
        return PropertyValue(std::string());
    const auto utf8 = utf8FromWide(std::wstring_view(text, SysStringLen(text)));
    if (!utf8)
        return std::nullopt;
    return PropertyValue(*utf8);
}

std::optional<PropertyValue> largeInteger(IDispatch *dispatch)
{
    if (!dispatch)
        return std::nullopt;
    IADsLargeInteger *raw = nullptr;
    if (FAILED(dispatch->QueryInterface(IID_IADsLargeInteger, reinterpret_cast<void **>(&raw)))
        || !raw)
        return std::nullopt;
    const ComRef<IADsLargeInteger> large(raw);
    LONG high = 0;
    LONG low = 0;
    if (FAILED(large->get_HighPart(&high)) || FAILED(large->get_LowPart(&low)))
        return std::nullopt;
    const std::uint64_t bits = (static_cast<std::uint64_t>(static_cast<std::uint32_t>(high)) << 32)
        | static_cast<std::uint32_t>(low);
    return PropertyValue(static_cast<std::int64_t>(bits));
}

PropertyValue integer(std::int64_t number) { return PropertyValue(number); }
PropertyValue floating(double number) { return PropertyValue(number); }

} // namespace

std::optional<DateTime> oleDateTime(double date)
{
    if (!std::isfinite(date) || std::fabs(date) > kDaysBeyondRange)
        return std::nullopt;
    const double days = std::trunc(date);
    const double secondOfDay = std::round(std::fabs(date - days) * kSecondsPerDay);
    const std::int64_t seconds =
        static_cast<std::int64_t>(days) * kSecondsPerDay + static_cast<std::int64_t>(secondOfDay);
    return DateTime::fromMicroseconds(oleEpochMicros() + seconds * kMicrosPerSecond);
}

std::optional<PropertyValue> propertyValue(const VARIANT &variant)
{
    switch (V_VT(&variant)) {
    case VT_EMPTY:
        return PropertyValue(EmptyValue{});
    case VT_NULL:
        return PropertyValue(NullValue{});
    case VT_I1:
        return integer(V_I1(&variant));
    case VT_I2:
        return integer(V_I2(&variant));
    case VT_I4:
        return integer(V_I4(&variant));
    case VT_INT:
        return integer(V_INT(&variant));
    case VT_I8:
        return integer(V_I8(&variant));
    case VT_UI1:
        return integer(V_UI1(&variant));
    case VT_UI2:
        return integer(V_UI2(&variant));
    case VT_UI4:
        return integer(V_UI4(&variant));
    case VT_UINT:
        return integer(V_UINT(&variant));
    case VT_UI8:
        if (V_UI8(&variant) > static_cast<ULONGLONG>(std::numeric_limits<std::int64_t>::max()))
            return std::nullopt;
        return integer(static_cast<std::int64_t>(V_UI8(&variant)));
    case VT_BOOL:
        return integer(V_BOOL(&variant) ? -1 : 0);
    case VT_R4:
        return floating(V_R4(&variant));
    case VT_R8:
        return floating(V_R8(&variant));
    case VT_CY:
        // Currency is a count of ten-thousandths.
        return floating(static_cast<double>(V_CY(&variant).int64) / 10'000.0);
    case VT_DECIMAL:
        if (const auto number = decimalNumber(V_DECIMAL(&variant)))
            return floating(*number);
        return std::nullopt;
    case VT_DATE:
        if (const auto dateTime = oleDateTime(V_DATE(&variant)))
            return PropertyValue(*dateTime);
        return std::nullopt;
    case VT_BSTR:
        return bstrText(V_BSTR(&variant));
    case VT_DISPATCH:
        return largeInteger(V_DISPATCH(&variant));
    default:
        return std::nullopt;
    }
}

} // namespace tramsel::win
