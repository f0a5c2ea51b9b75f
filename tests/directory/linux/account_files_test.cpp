// Parsing passwd, faillock.conf and hostname texts (shadow: in the provider's
// password ageing table).
#include <gtest/gtest.h>

#include "directory/linux/account_files.h"

namespace tramsel::linux_accounts {
namespace {

TEST(AccountFiles, PasswdEntries)
{
    const std::string passwd =
        "root:x:0:0:root:/root:/bin/bash\n"
        "+nisuser:x:7:7::/:/bin/sh\n"
        "broken:x:notanumber:0::/:/bin/sh\n"
        "short:x:5\n"
        "alice:x:1000:1000:Alice,,,:/home/alice:/bin/bash\r\n"
        "big:x:3000000000:100::/home/big:/bin/sh";
    EXPECT_EQ(std::tuple(findPasswdEntry(passwd, "root")->uid, findPasswdEntry(passwd, "alice")->uid,
                         findPasswdEntry(passwd, "alice")->name, findPasswdEntry(passwd, "big")->uid),
              std::tuple(0u, 1000u, "alice", 3'000'000'000u));
    for (const char *missing : {"ali", "alice ", "nisuser", "+nisuser", "broken", "short", "ROOT", ""})
        EXPECT_FALSE(findPasswdEntry(passwd, missing)) << missing;
    EXPECT_FALSE(findPasswdEntry("", "root"));
}

TEST(AccountFiles, FaillockConf)
{
    const FaillockSettings set = parseFaillockConf(
        "# dir = /commented\n"
        "  dir = /var/lib/faillock   # kept across reboots\n"
        "deny=3\n"
        "fail_interval=120\n"
        "silent\n");
    EXPECT_EQ(std::pair(set.dir, set.failIntervalSeconds), std::pair(std::string("/var/lib/faillock"), std::int64_t{120}));

    // Unusable values keep the defaults.
    const FaillockSettings bad = parseFaillockConf("dir = relative/path\nfail_interval = -5\n");
    EXPECT_EQ(std::pair(bad.dir, bad.failIntervalSeconds), std::pair(std::string("/var/run/faillock"), std::int64_t{900}));
}

TEST(AccountFiles, HostnameFile)
{
    EXPECT_EQ(parseHostnameFile("web01\n"), "web01");
    EXPECT_EQ(parseHostnameFile("# set by the installer\n\n  web01.example.org  extra\n"), "web01.example.org");
    EXPECT_EQ(parseHostnameFile(""), "");
}

} // namespace
} // namespace tramsel::linux_accounts
