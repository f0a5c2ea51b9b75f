// The ADSI reader reading through IADs::Get from a scripted object, and
// VARIANTs as the WinNT provider hands them over, turned into property values.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <limits>

#include "fake_com.h"
#include "directory/adsi/adsi_reader.h"
#include "directory/adsi/property_reads.h"
#include "directory/adsi/variant_value.h"
#include "platform/win/com.h"
#include "platform/win/nls_locale.h"
#include "report/account_usage.h"

namespace tramsel {
namespace {

using win::testing::FakeAds;
using win::testing::FakeLargeInteger;
using win::testing::Fill;
using win::testing::of;

// An object the reader did not bind, holding one reference to the fake.
void hold(AdsiObject &account, FakeAds &ads) { ads.AddRef(), account.hold(&ads); }

TEST(AdsiReader, ReadsPropertiesByNameAndGivesBackEverything)
{
    FakeLargeInteger large(0, 3628800);
    FakeAds ads;
    ads.properties[L"MaxPasswordAge"] =
        win::testing::of(VT_DISPATCH, [&](VARIANT &v) { V_DISPATCH(&v) = &large, large.AddRef(); });
    auto *account = new AdsiObject;
    hold(*account, ads);
    AdsiReader provider;
    EXPECT_EQ(provider.get(*account, "MaxPasswordAge"), PropertyValue(std::int64_t{3628800}));
    // WinNT keeps no value for what never happened: none, not a failed read.
    EXPECT_EQ(provider.get(*account, "LastFailedLogin"), PropertyValue(NullValue{}));
    // Names and paths that cannot be passed whole never reach the directory.
    EXPECT_EQ(provider.get(*account, std::string_view("MaxPasswordAge\0x", 16)), std::nullopt);
    EXPECT_EQ(provider.bind(std::string_view("WinNT://SALES/nobody\0,user", 26)).account, nullptr);
    AdsiObject unbound;
    EXPECT_EQ(provider.get(unbound, "MaxPasswordAge"), std::nullopt);

    EXPECT_EQ(ads.asked, (std::vector<std::wstring>{L"MaxPasswordAge", L"LastFailedLogin"}));
    EXPECT_TRUE(ads.namesWereBstrs);
    EXPECT_EQ(large.refs, 1u);  // the VARIANT that Get filled was cleared
    provider.release(account);
    EXPECT_EQ(ads.refs, 1u);
}

// WinNT keeps the password's age in seconds, not the date it was set.
TEST(AdsiReader, PasswordLastChangedIsNowLessThePasswordAge)
{
    const DateTime now = *DateTime::instantFromCivil({2026, 12, 7, 8, 44, 54});
    const auto seconds = [](LONG n) { return of(VT_I4, [=](VARIANT &v) { V_I4(&v) = n; }); };
    const struct {
        const char *name;
        LONG expired, age;
        std::optional<PropertyValue> expected;
    } rows[] = {
        {"age", 0, 10 * 86400 + 1, *DateTime::instantFromCivil({2026, 11, 27, 8, 44, 53})},
        {"must change at next logon", 1, 5, std::nullopt},
        {"age out of range", 0, -1, std::nullopt},
    };
    for (const auto &row : rows) {
        FakeAds ads;
        ads.properties = {{L"PasswordExpired", seconds(row.expired)}, {L"PasswordAge", seconds(row.age)}};
        AdsiObject account;
        hold(account, ads);
        EXPECT_EQ(AdsiReader({}, [&] { return now; }).get(account, "PasswordLastChanged"), row.expected) << row.name;
    }
}

// ADSI gives the expiry on the local clock; a password set in winter expires
// 120 days later in summer time (half an hour later on Lord Howe). The change
// shows on the winter clock. Each zone is named, and is also the user's own
// when the test runs with TZ set to it (Wine takes the zone from TZ).
TEST(AdsiReader, PasswordLastChangedIsTheChangeOnTheUsersClockAcrossDaylightSaving)
{
    const struct {
        const char *tz;
        const wchar_t *key;
        SYSTEMTIME expires;
        const char *changed;
    } rows[] = {
        {"America/New_York", L"Eastern Standard Time", {2026, 5, 0, 15, 3, 24, 44, 0}, "1/15/2026 2:24:44 AM"},
        {"Australia/Sydney", L"AUS Eastern Standard Time", {2026, 11, 0, 12, 13, 0, 0, 0}, "7/15/2026 12:00:00 PM"},
        {"Australia/Lord_Howe", L"Lord Howe Standard Time", {2026, 11, 0, 12, 12, 30, 0, 0}, "7/15/2026 12:00:00 PM"},
    };
    const char *tz = std::getenv("TZ");
    for (const auto &row : rows) {
        std::vector<std::optional<win::TimeZone>> zones{win::TimeZone::named(row.key)};
        if (tz && std::string_view(tz) == row.tz)
            zones.emplace_back(win::TimeZone());  // the user's
        for (const auto &zone : zones) {
            SCOPED_TRACE(std::string(row.tz) + (zones.size() > 1 ? " (TZ)" : ""));
            ASSERT_TRUE(zone);
            double expires = 0;
            ASSERT_TRUE(SystemTimeToVariantTime(const_cast<SYSTEMTIME *>(&row.expires), &expires));
            FakeAds ads;
            ads.properties = {{L"PasswordExpirationDate", of(VT_DATE, [=](VARIANT &v) { V_DATE(&v) = expires; })},
                              {L"MaxPasswordAge", of(VT_I4, [](VARIANT &v) { V_I4(&v) = 120 * 86400; })}};
            AdsiObject account;
            hold(account, ads);
            AdsiReader provider(*zone);
            const win::NlsLocale locale(L"en-US", *zone);
            const auto changed =
                readProperties([&](std::string_view name) { return provider.get(account, name); }).passwordLastChanged;
            ASSERT_TRUE(changed.hasValue());
            EXPECT_EQ(valueText(*changed, locale), row.changed);
        }
    }
}

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
    win::testing::FakeLargeInteger interval(-8449, -1);
    win::testing::PlainDispatch other;
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
        win::ClearedVariant variant;
        row.fill(*variant.get());
        EXPECT_EQ(win::propertyValue(*variant), row.expected) << row.name;
    }
    // Every reference the conversion took was given back: the test's own are all that is left.
    EXPECT_EQ(interval.refs + other.refs, 2u);
}

} // namespace
} // namespace tramsel
