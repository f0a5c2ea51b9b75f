// The ADSI provider: reading through IADs::Get from a scripted object, and a
// real bind through ADsGetObject of an account that does not exist.
#include <gtest/gtest.h>

#include <memory>
#include <thread>

#include "fake_com.h"
#include "platform/provider_factory.h"
#include "platform/win/adsi_provider.h"
#include "report/account_usage.h"
#include "support/fakes.h"

namespace tramsel {
namespace {

using win::testing::FakeAds;
using win::testing::FakeLargeInteger;
using tramsel::testing::kFailureSalesNobody;

// Hands the provider an object it did not bind: one reference to the fake,
// given back by release().
AdsiObject *holding(FakeAds &ads)
{
    auto *object = new AdsiObject;
    ads.AddRef();
    object->hold(&ads);
    return object;
}

TEST(AdsiDirectoryProvider, ReadsPropertiesByNameAndGivesBackEverything)
{
    FakeLargeInteger large(0, 3628800);
    FakeAds ads;
    ads.set(L"LastLogin", [](VARIANT &v) {
        V_VT(&v) = VT_DATE;
        V_DATE(&v) = 37790.97577546296;
    });
    ads.set(L"BadLoginCount", [](VARIANT &v) {
        V_VT(&v) = VT_I4;
        V_I4(&v) = 3;
    });
    ads.set(L"MaxPasswordAge", [&](VARIANT &v) {
        V_VT(&v) = VT_DISPATCH;
        V_DISPATCH(&v) = &large;
        large.AddRef();
    });
    ads.set(L"HomeDirectory", [](VARIANT &v) {
        V_VT(&v) = VT_BSTR;
        V_BSTR(&v) = SysAllocString(L"\\\\server\\jdoe");
    });
    const ULONG largeRefsHeld = large.refs;

    AdsiDirectoryProvider provider;
    DirectoryObject *account = holding(ads);
    EXPECT_EQ(provider.get(*account, "LastLogin"),
              PropertyValue(*DateTime::fromCivil({2003, 6, 18, 23, 25, 7})));
    EXPECT_EQ(provider.get(*account, "BadLoginCount"), PropertyValue(std::int64_t{3}));
    EXPECT_EQ(provider.get(*account, "MaxPasswordAge"), PropertyValue(std::int64_t{3628800}));
    EXPECT_EQ(provider.get(*account, "HomeDirectory"),
              PropertyValue(std::string("\\\\server\\jdoe")));
    EXPECT_EQ(provider.get(*account, "LastFailedLogin"), std::nullopt);
    // Names that cannot be passed whole never reach the directory.
    EXPECT_EQ(provider.get(*account, std::string_view("LastLogin\0x", 11)), std::nullopt);
    EXPECT_EQ(provider.get(*account, "Last\xffLogin"), std::nullopt);

    EXPECT_EQ(ads.asked, (std::vector<std::wstring>{L"LastLogin", L"BadLoginCount",
                                                    L"MaxPasswordAge", L"HomeDirectory",
                                                    L"LastFailedLogin"}));
    EXPECT_TRUE(ads.namesWereBstrs);
    EXPECT_EQ(large.refs, largeRefsHeld);  // the VARIANT that Get filled was cleared
    EXPECT_EQ(ads.refs, 2u);
    provider.release(account);
    EXPECT_EQ(ads.refs, 1u);
}

// The whole report, as the program runs it, against the system's own ADSI
// client (Wine's knows no WinNT provider, so every bind there fails), on a
// thread without COM, one with OLE and one in the multithreaded apartment.
TEST(AdsiDirectoryProvider, MissingAccountGivesTheFailureTextInAnyApartment)
{
    struct Apartment {
        HRESULT (*start)();
        void (*end)();
    };
    const Apartment apartments[] = {
        {[] { return S_OK; }, [] {}},
        {[] { return OleInitialize(nullptr); }, [] { OleUninitialize(); }},
        {[] { return CoInitializeEx(nullptr, COINIT_MULTITHREADED); }, [] { CoUninitialize(); }},
    };
    for (const Apartment &apartment : apartments) {
        std::thread([&apartment] {
            ASSERT_TRUE(SUCCEEDED(apartment.start()));
            const auto provider = makeDirectoryProvider();
            testing::FakeLocale locale;
            testing::RecordingView view;
            EXPECT_FALSE(ShowAccountUsage("sales", "nobody", {*provider, locale, view}));
            EXPECT_EQ(view.texts, std::vector<std::string>{kFailureSalesNobody});
            apartment.end();
        }).join();
    }
}

TEST(AdsiDirectoryProvider, PathsThatCannotBePassedWholeBindNothing)
{
    AdsiDirectoryProvider provider;
    EXPECT_EQ(provider.bind(std::string_view("WinNT://SALES/nobody\0,user", 26)), nullptr);
    EXPECT_EQ(provider.bind("WinNT://SALES/n\xf6\x62ody,user"), nullptr);
}

} // namespace
} // namespace tramsel
