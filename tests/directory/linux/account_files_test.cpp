// Parsing passwd and hostname texts (faillock.conf: in the source's lock
// table; shadow: in its password ageing table).
#include <gtest/gtest.h>

#include "directory/linux/account_files.h"

namespace tramsel::linux_accounts {
namespace {

TEST(AccountFiles, PasswdEntriesAndHostname)
{
    const std::string passwd = "+nisuser:x:7:7::/:/bin/sh\n"
                               "broken:x:notanumber:0::/:/bin/sh\n"
                               "short:x:5\n"
                               "alice:x:1000:1000:Alice,,,:/home/alice:/bin/bash\r\n";
    EXPECT_EQ(findPasswdEntry(passwd, "alice")->uid, 1000u);
    for (const char *missing : {"ali", "alice ", "nisuser", "+nisuser", "broken", "short", "ALICE", ""})
        EXPECT_FALSE(findPasswdEntry(passwd, missing)) << missing;
    EXPECT_EQ(parseHostnameFile("# set by the installer\n\n  web01.example.org  extra\n"), "web01.example.org");
}

} // namespace
} // namespace tramsel::linux_accounts
