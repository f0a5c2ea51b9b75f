// Decoding of the fixed-size login records.
#include <gtest/gtest.h>

#include "directory/linux/records.h"
#include "support/fixture_tree.h"

namespace tramsel::linux_accounts {
namespace {

using testing::Utmp;

// Full text fields carry no NUL; times are unsigned (past 2038) or 64-bit.
TEST(Records, FullFieldsAndLateTimes)
{
    const std::string host(256, 'h');
    const UtmpRecord u = decodeUtmp(testing::pack(Utmp{7, std::string(32, 'l'), std::string(40, 'u'), host, 0x8000'0001u}));
    const LastlogRecord l = decodeLastlog(testing::lastlogRecord(0x8000'0001u, std::string(40, 't'), host));
    const TallyRecord y = decodeTally(testing::pack(testing::Tally{std::string(60, 's'), 3, 0x1'0000'0005ull}));
    EXPECT_EQ(std::tuple(u.line, u.user, u.host, u.seconds, l.line, l.host, l.seconds, y.source, y.seconds),
              std::tuple(std::string(32, 'l'), std::string(32, 'u'), host, 0x8000'0001u, std::string(32, 't'), host,
                         0x8000'0001u, std::string(52, 's'), 0x1'0000'0005ull));
}

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
