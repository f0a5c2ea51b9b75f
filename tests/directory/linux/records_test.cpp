// How each login record counts. (Every user's records read at once against
// each user's read alone: the fuzz target and LinuxSource.EveryAccountAgreesWithItsReport.)
#include <gtest/gtest.h>

#include "directory/linux/records.h"
#include "support/fixture_tree.h"

namespace tramsel::linux_accounts {
namespace {

using testing::Utmp;

TEST(Records, EffectiveTypeFollowsLast)
{
    struct Case { const char *name; Utmp record; int type; bool endsSessions; };
    const Case cases[] = {
        {"dead with a user stays dead", {8, "pts/0", "alice", "", 1}, 8, false},
        {"login process of a named user counts as login", {6, "tty1", "alice", "", 1}, 7, false},
        {"getty's LOGIN is no login", {6, "tty1", "LOGIN", "", 1}, 6, false},
        {"ghost login without user is a logout", {7, "pts/1", "", "", 1}, 8, false},
        {"reboot by name", {1, "~", "reboot", "", 1}, 2, true},
        {"shutdown", {1, "~", "shutdown", "", 1}, 100, true},
        {"run level 6", {1, "~", "runlevel", "", 1, '6'}, 1, true},
        {"run level 0", {1, "~", "runlevel", "", 1, '0' + 256 * 20}, 1, true},
        {"run level 3", {1, "~", "runlevel", "", 1, '3'}, 1, false},
    };
    for (const Case &c : cases) {
        const UtmpRecord record = decodeUtmp(testing::pack(c.record));
        const int type = effectiveUtmpType(record);
        EXPECT_EQ(std::pair(type, endsAllSessions(record, type)), std::pair(c.type, c.endsSessions)) << c.name;
    }
}

} // namespace
} // namespace tramsel::linux_accounts
