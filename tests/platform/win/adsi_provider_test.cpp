// The ADSI provider reading through IADs::Get from a scripted object. Its real
// bind, in each apartment a thread may be in, is tested with the COM guard.
#include <gtest/gtest.h>

#include "fake_com.h"
#include "platform/win/adsi_provider.h"

namespace tramsel {
namespace {

using win::testing::FakeAds;
using win::testing::FakeLargeInteger;

TEST(AdsiDirectoryProvider, ReadsPropertiesByNameAndGivesBackEverything)
{
    FakeLargeInteger large(0, 3628800);
    FakeAds ads;
    ads.properties[L"MaxPasswordAge"] =
        win::testing::of(VT_DISPATCH, [&](VARIANT &v) { V_DISPATCH(&v) = &large, large.AddRef(); });
    // An object the provider did not bind, holding one reference to the fake.
    auto *account = new AdsiObject;
    ads.AddRef();
    account->hold(&ads);
    AdsiDirectoryProvider provider;
    EXPECT_EQ(provider.get(*account, "MaxPasswordAge"), PropertyValue(std::int64_t{3628800}));
    EXPECT_EQ(provider.get(*account, "LastFailedLogin"), std::nullopt);
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

} // namespace
} // namespace tramsel
