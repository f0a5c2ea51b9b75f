// Parsing passwd, shadow, faillock.conf and hostname texts.
#include <gtest/gtest.h>

#include "platform/linux/account_files.h"

namespace tramsel::linux_accounts {
namespace {

TEST(AccountFiles, PasswdEntries)
{
    const std::string passwd =
        "root:x:0:0:root:/root:/bin/bash\n"
        "+nisuser::::::\n"
        "broken:x:notanumber:0::/:/bin/sh\n"
        "short:x:5\n"
        "alice:x:1000:1000:Alice,,,:/home/alice:/bin/bash\r\n"
        "big:x:3000000000:100::/home/big:/bin/sh";
    EXPECT_EQ(findPasswdEntry(passwd, "root")->uid, 0u);
    EXPECT_EQ(findPasswdEntry(passwd, "alice")->uid, 1000u);
    EXPECT_EQ(findPasswdEntry(passwd, "alice")->name, "alice");
    EXPECT_EQ(findPasswdEntry(passwd, "big")->uid, 3'000'000'000u);
    for (const char *missing : {"ali", "alice ", "nisuser", "+nisuser", "broken", "short", "ROOT", ""})
        EXPECT_FALSE(findPasswdEntry(passwd, missing)) << missing;
    EXPECT_FALSE(findPasswdEntry("", "root"));
}

TEST(AccountFiles, ShadowAgeingFields)
{
    const std::string shadow =
        "root:*:19000:0:99999:7:::\n"
        "alice:$y$hash:19500:0:90:7:::\n"
        "never:!:::::::\n"
        "bad:!:19x00:0:90:7:::\n"
        "badwarn:!:19000:0:90:seven:::\n"
        "fields:!:1:2:3\n";
    const auto alice = findShadowEntry(shadow, "alice");
    ASSERT_TRUE(alice);
    EXPECT_EQ(alice->lastChangeDays, 19500);
    EXPECT_EQ(alice->maxDays, 90);
    const auto never = findShadowEntry(shadow, "never");
    ASSERT_TRUE(never);
    EXPECT_EQ(never->lastChangeDays, -1);
    EXPECT_EQ(never->maxDays, -1);
    EXPECT_EQ(findShadowEntry(shadow, "root")->maxDays, 99999);
    for (const char *missing : {"bad", "badwarn", "fields", "nobody"})
        EXPECT_FALSE(findShadowEntry(shadow, missing)) << missing;
}

TEST(AccountFiles, FaillockConf)
{
    const FaillockSettings defaults = parseFaillockConf("");
    EXPECT_EQ(defaults.dir, "/var/run/faillock");
    EXPECT_EQ(defaults.failIntervalSeconds, 900);

    const FaillockSettings set = parseFaillockConf(
        "# dir = /commented\n"
        "  dir = /var/lib/faillock   # kept across reboots\n"
        "deny=3\n"
        "fail_interval=120\n"
        "silent\n");
    EXPECT_EQ(set.dir, "/var/lib/faillock");
    EXPECT_EQ(set.failIntervalSeconds, 120);

    const FaillockSettings bad = parseFaillockConf("dir = relative/path\nfail_interval = -5\n");
    EXPECT_EQ(bad.dir, "/var/run/faillock");
    EXPECT_EQ(bad.failIntervalSeconds, 900);
}

TEST(AccountFiles, HostnameFile)
{
    EXPECT_EQ(parseHostnameFile("web01\n"), "web01");
    EXPECT_EQ(parseHostnameFile("# set by the installer\n\n  web01.example.org  extra\n"), "web01.example.org");
    EXPECT_EQ(parseHostnameFile(""), "");
}

} // namespace
} // namespace tramsel::linux_accounts
