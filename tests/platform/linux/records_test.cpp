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
    const UtmpRecord record = decodeUtmp(testing::pack(Utmp{7, std::string(32, 'l'), std::string(40, 'u'), host, 0x8000'0001u}));
    EXPECT_EQ(record.line, std::string(32, 'l'));
    EXPECT_EQ(record.user, std::string(32, 'u'));
    EXPECT_EQ(record.host, host);
    EXPECT_EQ(record.seconds, 0x8000'0001u);

    const LastlogRecord lastlog = decodeLastlog(testing::lastlogRecord(0x8000'0001u, std::string(40, 't'), host));
    EXPECT_EQ(lastlog.line, std::string(32, 't'));
    EXPECT_EQ(lastlog.host, host);
    EXPECT_EQ(lastlog.seconds, 0x8000'0001u);

    const TallyRecord tally = decodeTally(testing::pack(testing::Tally{std::string(60, 's'), 3, 0x1'0000'0005ull}));
    EXPECT_EQ(tally.source, std::string(52, 's'));
    EXPECT_EQ(tally.seconds, 0x1'0000'0005ull);
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
        EXPECT_EQ(type, c.type) << c.name;
        EXPECT_EQ(endsAllSessions(record, type), c.endsSessions) << c.name;
    }
}

} // namespace
} // namespace tramsel::linux_accounts
