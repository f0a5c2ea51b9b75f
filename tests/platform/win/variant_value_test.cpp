// VARIANTs as the WinNT provider hands them over, turned into property values.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <ostream>

#include "fake_com.h"
#include "platform/win/com.h"
#include "platform/win/variant_value.h"
#include "platform/win/wide_text.h"

namespace tramsel {

void PrintTo(const DateTime &dateTime, std::ostream *out)
{
    const CivilDateTime c = dateTime.civil();
    *out << c.year << '-' << c.month << '-' << c.day << ' ' << c.hour << ':' << c.minute << ':'
         << c.second;
}

namespace win {
namespace {

using testing::FakeLargeInteger;
using testing::PlainDispatch;

DateTime at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return *DateTime::fromCivil({y, mo, d, h, mi, s});
}

std::optional<PropertyValue> integer(std::int64_t n) { return PropertyValue(n); }
std::optional<PropertyValue> floating(double d) { return PropertyValue(d); }
std::optional<PropertyValue> text(std::string s) { return PropertyValue(std::move(s)); }
std::optional<PropertyValue> date(DateTime d) { return PropertyValue(d); }
const std::optional<PropertyValue> kFails;

using Fill = std::function<void(VARIANT &)>;

template <class Set> Fill of(VARTYPE type, Set set)
{
    return [=](VARIANT &v) {
        V_VT(&v) = type;
        set(v);
    };
}
Fill dateOf(double oleDate)
{
    return of(VT_DATE, [=](VARIANT &v) { V_DATE(&v) = oleDate; });
}
Fill bstrOf(const wchar_t *s, UINT length)
{
    return of(VT_BSTR, [=](VARIANT &v) { V_BSTR(&v) = SysAllocStringLen(s, length); });
}
Fill decimalOf(BYTE scale, BYTE sign, ULONG hi32, ULONGLONG lo64)
{
    return of(VT_DECIMAL, [=](VARIANT &v) {
        // The DECIMAL overlays the whole VARIANT, its type field included.
        DECIMAL d{};
        d.scale = scale;
        d.sign = sign;
        d.Hi32 = hi32;
        d.Lo64 = lo64;
        V_DECIMAL(&v) = d;
        V_VT(&v) = VT_DECIMAL;
    });
}

struct ConversionCase {
    const char *name;
    Fill fill;
    std::optional<PropertyValue> expected;
};

void PrintTo(const ConversionCase &c, std::ostream *out) { *out << c.name; }

class VariantConversion : public ::testing::TestWithParam<ConversionCase> {};

TEST_P(VariantConversion, GivesTheValueOfItsKind)
{
    ClearedVariant variant;
    GetParam().fill(*variant.get());
    EXPECT_EQ(propertyValue(*variant), GetParam().expected);
}

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    ValueKinds, VariantConversion,
    ::testing::Values(
        ConversionCase{"Empty", of(VT_EMPTY, [](VARIANT &) {}), PropertyValue(EmptyValue{})},
        ConversionCase{"Null", of(VT_NULL, [](VARIANT &) {}), PropertyValue(NullValue{})},

        ConversionCase{"I1", of(VT_I1, [](VARIANT &v) { V_I1(&v) = -128; }), integer(-128)},
        ConversionCase{"I2", of(VT_I2, [](VARIANT &v) { V_I2(&v) = -32768; }), integer(-32768)},
        ConversionCase{"I4", of(VT_I4, [](VARIANT &v) { V_I4(&v) = -2147483647 - 1; }), integer(-2147483648LL)},
        ConversionCase{"I8",
                       of(VT_I8,
                          [](VARIANT &v) { V_I8(&v) = std::numeric_limits<LONGLONG>::min(); }),
                       integer(std::numeric_limits<std::int64_t>::min())},
        ConversionCase{"UI1", of(VT_UI1, [](VARIANT &v) { V_UI1(&v) = 255; }), integer(255)},
        ConversionCase{"UI2", of(VT_UI2, [](VARIANT &v) { V_UI2(&v) = 65535; }), integer(65535)},
        ConversionCase{"UI4", of(VT_UI4, [](VARIANT &v) { V_UI4(&v) = 4294967295U; }), integer(4294967295LL)},
        ConversionCase{"UI8Largest",
                       of(VT_UI8, [](VARIANT &v) { V_UI8(&v) = 9223372036854775807ULL; }),
                       integer(9223372036854775807LL)},
        ConversionCase{"UI8TooLarge", of(VT_UI8, [](VARIANT &v) { V_UI8(&v) = 9223372036854775808ULL; }), kFails},
        ConversionCase{"BoolTrue", of(VT_BOOL, [](VARIANT &v) { V_BOOL(&v) = VARIANT_TRUE; }), integer(-1)},
        ConversionCase{"BoolFalse", of(VT_BOOL, [](VARIANT &v) { V_BOOL(&v) = VARIANT_FALSE; }), integer(0)},

        ConversionCase{"R4", of(VT_R4, [](VARIANT &v) { V_R4(&v) = -0.75f; }), floating(-0.75)},
        ConversionCase{"R8", of(VT_R8, [](VARIANT &v) { V_R8(&v) = 3628800.5; }), floating(3628800.5)},
        ConversionCase{"CurrencyInTenThousandths",
                       of(VT_CY, [](VARIANT &v) { V_CY(&v).int64 = -1234567; }),
                       floating(-123.4567)},
        ConversionCase{"DecimalScaledAndNegative", decimalOf(2, DECIMAL_NEG, 0, 12345), floating(-123.45)},
        ConversionCase{"DecimalHighPart", decimalOf(0, 0, 1, 0), floating(18446744073709551616.0)},
        ConversionCase{"DecimalBadScale", decimalOf(29, 0, 0, 1), kFails},

        ConversionCase{"DateWithTime", dateOf(37790.97577546296), date(at(2003, 6, 18, 23, 25, 7))},
        ConversionCase{"DateAtMidnight", dateOf(37790.0), date(at(2003, 6, 18))},
        ConversionCase{"DateRoundsToTheNextDay", dateOf(37790.999999), date(at(2003, 6, 19))},
        ConversionCase{"DateZeroIsTheEpoch", dateOf(0.0), date(at(1899, 12, 30))},
        // Negative dates count days backward but times of day forward.
        ConversionCase{"DateNegativeWithTime", dateOf(-1.25), date(at(1899, 12, 29, 6))},
        ConversionCase{"DateNegativeFractionOnly", dateOf(-0.5), date(at(1899, 12, 30, 12))},
        ConversionCase{"DateBefore1900", dateOf(-36522.0), date(at(1800, 1, 1))},
        ConversionCase{"DateAfter2038", dateOf(51195.52425925926), date(at(2040, 2, 29, 12, 34, 56))},
        ConversionCase{"DateFirstDay", dateOf(-657434.0), date(at(100, 1, 1))},
        ConversionCase{"DateLastSecond", dateOf(2958465.999988426), date(at(9999, 12, 31, 23, 59, 59))},
        ConversionCase{"DateAfterYear9999", dateOf(2958466.0), kFails},
        ConversionCase{"DateBeforeYear100", dateOf(-657435.0), kFails},
        ConversionCase{"DateNotANumber", dateOf(kNaN), kFails},
        ConversionCase{"DateHuge", dateOf(1e300), kFails},

        ConversionCase{"Text", bstrOf(L"jdoe", 4), text("jdoe")},
        ConversionCase{"TextBeyondAscii", bstrOf(L"Zo\u00eb \u2603 \U0001F600", 8),
                       text("Zo\xc3\xab \xe2\x98\x83 \xf0\x9f\x98\x80")},
        ConversionCase{"TextNull", of(VT_BSTR, [](VARIANT &v) { V_BSTR(&v) = nullptr; }), text("")},
        ConversionCase{"TextUnpairedSurrogate", bstrOf(L"a\xd800z", 3), kFails},

        ConversionCase{"NullDispatch", of(VT_DISPATCH, [](VARIANT &v) { V_DISPATCH(&v) = nullptr; }), kFails},
        ConversionCase{"Error", of(VT_ERROR, [](VARIANT &v) { V_ERROR(&v) = E_FAIL; }), kFails},
        ConversionCase{"Array",
                       of(VT_ARRAY | VT_VARIANT,
                          [](VARIANT &v) {
                              V_ARRAY(&v) = SafeArrayCreateVector(VT_VARIANT, 0, 2);
                          }),
                       kFails},
        ConversionCase{"Reference", of(VT_BYREF | VT_I4, [](VARIANT &v) {
                           static LONG number = 5;
                           V_I4REF(&v) = &number;
                       }),
                       kFails}),
    [](const ::testing::TestParamInfo<ConversionCase> &info) { return info.param.name; });

// Dispatch objects: only a large integer is a value, and every reference the
// conversion takes is given back.
TEST(VariantConversion, ReadsLargeIntegersAndGivesBackItsReferences)
{
    struct Case {
        LONG high;
        LONG low;
        std::int64_t expected;
    };
    const Case cases[] = {
        {0, 5, 5},
        {0, -1, 4294967295LL},  // the low part is unsigned
        {-1, -1, -1},
        {-8449, 178683904, -36288000000000LL},  // 42 days, as ADSI counts intervals
        {2147483647, -1, std::numeric_limits<std::int64_t>::max()},
    };
    // The VARIANT holds one reference; once it is cleared the test's own is all that is left.
    const auto convert = [](auto &object) {
        std::optional<PropertyValue> value;
        {
            ClearedVariant variant;
            V_VT(variant.get()) = VT_DISPATCH;
            V_DISPATCH(variant.get()) = &object;
            object.AddRef();
            value = propertyValue(*variant);
        }
        EXPECT_EQ(object.refs, 1u);
        return value;
    };
    for (const Case &c : cases) {
        FakeLargeInteger large(c.high, c.low);
        EXPECT_EQ(convert(large), integer(c.expected)) << c.high << ' ' << c.low;
    }
    PlainDispatch other;
    EXPECT_EQ(convert(other), kFails);
}

TEST(WideText, TakesOnlyWholeTextsOfValidUtf8)
{
    EXPECT_EQ(terminatedWide(""), std::wstring());
    EXPECT_EQ(terminatedWide("WinNT://SALES/Zo\xc3\xab,user"),
              std::wstring(L"WinNT://SALES/Zo\u00eb,user"));
    EXPECT_EQ(terminatedWide("\xf0\x9f\x98\x80"), std::wstring(L"\U0001F600"));
    EXPECT_EQ(terminatedWide(std::string_view("WinNT://SALES/a\0b,user", 23)), std::nullopt);
    EXPECT_EQ(terminatedWide("Zo\xeb"), std::nullopt);      // Latin-1, not UTF-8
    EXPECT_EQ(terminatedWide("ab\xc3"), std::nullopt);      // cut in a character
    EXPECT_EQ(terminatedWide("\xed\xa0\x80"), std::nullopt);  // an encoded surrogate
}

} // namespace
} // namespace win
} // namespace tramsel
