// Which account paths parse, and the checks on names (which host they name:
// in the provider's binding test).
#include <gtest/gtest.h>

#include "report/account_path.h"

namespace tramsel::linux_accounts {
namespace {

TEST(AccountPath, AcceptedForms)
{
    struct Case { std::string path, domain, user; };
    const Case cases[] = {
        {"WinNT://SALES/jdoe,user", "SALES", "jdoe"},
        {"WinNT://jdoe,user", "", "jdoe"},
        {"WinNT://H/" + std::string(256, 'a') + ",user", "H", std::string(256, 'a')},
        {"WinNT://H/\xc3\xa9mile,user", "H", "\xc3\xa9mile"},
    };
    for (const Case &c : cases) {
        const auto parsed = parseAccountPath(c.path);
        ASSERT_TRUE(parsed) << c.path;
        EXPECT_EQ(parsed->domain, c.domain) << c.path;
        EXPECT_EQ(parsed->user, c.user) << c.path;
    }
}

TEST(AccountPath, RejectedForms)
{
    const std::string rejected[] = {
        "",
        "WinNT://,user",
        "WinNT:///jdoe,user",
        "WinNT://SALES/,user",
        "WinNT://SALES/jdoe",
        "winnt://SALES/jdoe,user",
        "WinNT://SALES/../etc/x,user",
        "WinNT://SALES/..,user",
        "WinNT://SALES/.,user",
        "WinNT://SALES/a,b,user",
        "WinNT://SALES/" + std::string(257, 'a') + ",user",
        "WinNT://SALES/a\nb,user",
        "WinNT://SALES/a\x7f,user",
        "WinNT://SAL\x01ES/a,user",
    };
    for (const std::string &path : rejected)
        EXPECT_FALSE(parseAccountPath(path)) << path;
}

} // namespace
} // namespace tramsel::linux_accounts
