// The ADSI reader reading through IADs::Get from a scripted object.
#include <gtest/gtest.h>

#include <cstdlib>

#include "fake_com.h"
#include "directory/adsi/adsi_reader.h"
#include "directory/adsi/property_reads.h"
#include "platform/win/nls_locale.h"
#include "report/account_usage.h"

namespace tramsel {
namespace {

using win::testing::FakeAds;
using win::testing::FakeLargeInteger;
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

} // namespace
} // namespace tramsel
