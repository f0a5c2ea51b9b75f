// VARIANTs as the WinNT provider hands them over, turned into property values.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "fake_com.h"
#include "platform/win/com.h"
#include "directory/adsi/variant_value.h"

namespace tramsel::win {
namespace {

using testing::Fill;
using testing::of;

std::optional<PropertyValue> integer(std::int64_t n) { return PropertyValue(n); }
std::optional<PropertyValue> text(std::string s) { return PropertyValue(std::move(s)); }
std::optional<PropertyValue> date(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return PropertyValue(*DateTime::fromCivil({y, mo, d, h, mi, s}));
}
const std::optional<PropertyValue> kFails;

Fill dateOf(double oleDate)
{
    return of(VT_DATE, [=](VARIANT &v) { V_DATE(&v) = oleDate; });
}
Fill bstrOf(const wchar_t *s, UINT length)
{
    return of(VT_BSTR, [=](VARIANT &v) { V_BSTR(&v) = SysAllocStringLen(s, length); });
}
// The VARIANT takes one reference of its own, given back when it is cleared.
template <class Object> Fill dispatchOf(Object &object)
{
    return of(VT_DISPATCH, [&object](VARIANT &v) { V_DISPATCH(&v) = &object, object.AddRef(); });
}

TEST(VariantConversion, GivesTheValueOfItsKind)
{
    testing::FakeLargeInteger interval(-8449, -1);
    testing::PlainDispatch other;
    const struct {
        const char *name;
        Fill fill;
        std::optional<PropertyValue> expected;
    } rows[] = {
        {"Empty", of(VT_EMPTY, [](VARIANT &) {}), PropertyValue(EmptyValue{})},
        {"Null", of(VT_NULL, [](VARIANT &) {}), PropertyValue(NullValue{})},

        {"I4", of(VT_I4, [](VARIANT &v) { V_I4(&v) = -2147483647 - 1; }), integer(-2147483648LL)},
        {"UI4", of(VT_UI4, [](VARIANT &v) { V_UI4(&v) = 4294967295U; }), integer(4294967295LL)},
        {"BoolTrue", of(VT_BOOL, [](VARIANT &v) { V_BOOL(&v) = VARIANT_TRUE; }), integer(-1)},

        {"R8", of(VT_R8, [](VARIANT &v) { V_R8(&v) = 3628800.5; }), PropertyValue(3628800.5)},

        // Rounded to the second: the fraction is 23:25:06.99999...
        {"DateWithTime", dateOf(37790.97577546296), date(2003, 6, 18, 23, 25, 7)},
        // Negative dates count days backward but times of day forward.
        {"DateNegativeWithTime", dateOf(-1.25), date(1899, 12, 29, 6)},
        {"DateNotANumber", dateOf(std::numeric_limits<double>::quiet_NaN()), kFails},

        {"Text", bstrOf(L"Zo\u00eb \u2603 \U0001F600", 8), text("Zo\xc3\xab \xe2\x98\x83 \xf0\x9f\x98\x80")},
        {"TextNull", of(VT_BSTR, [](VARIANT &v) { V_BSTR(&v) = nullptr; }), text("")},

        // Of dispatch objects only a large integer is a value; its low part is unsigned.
        {"LargeInteger", dispatchOf(interval), integer(-8449LL * 4294967296LL + 4294967295LL)},
        {"OtherDispatch", dispatchOf(other), kFails},
    };
    for (const auto &row : rows) {
        ClearedVariant variant;
        row.fill(*variant.get());
        EXPECT_EQ(propertyValue(*variant), row.expected) << row.name;
    }
    // Every reference the conversion took was given back: the test's own are all that is left.
    EXPECT_EQ(interval.refs + other.refs, 2u);
}

} // namespace
} // namespace tramsel::win
