// Which account paths parse, and the checks on names (which host they name:
// in the provider's binding test).
#include <gtest/gtest.h>

#include "platform/linux/account_path.h"

namespace tramsel::linux_accounts {
namespace {

TEST(AccountPath, AcceptedForms)
{
    struct Case {
        std::string path;
        std::string domain;
        std::string user;
    };
    const Case cases[] = {
        {"WinNT://SALES/jdoe,user", "SALES", "jdoe"},
        {"WinNT://jdoe,user", "", "jdoe"},
        {"WinNT://WEB01.EXAMPLE.ORG/alice.smith,user", "WEB01.EXAMPLE.ORG", "alice.smith"},
        {"WinNT://H/" + std::string(256, 'a') + ",user", "H", std::string(256, 'a')},
        {"WinNT://H/user@corp.example,user", "H", "user@corp.example"},
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
        "WinNT://",
        "WinNT://,user",
        "WinNT:///jdoe,user",
        "WinNT://SALES/,user",
        "WinNT://SALES/jdoe",
        "WinNT://SALES/jdoe,group",
        "winnt://SALES/jdoe,user",
        "WinNT://SALES/../etc/x,user",
        "WinNT://../etc/x,user",
        "WinNT://SALES/a/b,user",
        "WinNT://SALES/..,user",
        "WinNT://SALES/.,user",
        "WinNT://SALES/a,b,user",
        "WinNT://SALES/" + std::string(300, 'a') + ",user",
        "WinNT://" + std::string(257, 'D') + "/a,user",
        std::string("WinNT://SALES/a\0b,user", 23),
        "WinNT://SALES/a\nb,user",
        "WinNT://SALES/a\x7f,user",
        "WinNT://SAL\x01ES/a,user",
    };
    for (const std::string &path : rejected)
        EXPECT_FALSE(parseAccountPath(path)) << path;
}

} // namespace
} // namespace tramsel::linux_accounts
