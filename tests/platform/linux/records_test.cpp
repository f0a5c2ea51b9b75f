// Decoding of the fixed-size login records.
#include <gtest/gtest.h>

#include "platform/linux/records.h"
#include "platform/linux/fixture_tree.h"

namespace tramsel::linux_accounts {
namespace {

using testing::Bytes;
using testing::Utmp;

TEST(Records, UtmpFieldsComeFromTheirOffsets)
{
    const Bytes bytes = testing::pack(Utmp{7, "pts/3", "alice", "192.0.2.7", 1700000000, 4242});
    const UtmpRecord record = decodeUtmp(bytes);
    EXPECT_EQ(record.type, 7);
    EXPECT_EQ(record.pid, 4242);
    EXPECT_EQ(record.line, "pts/3");
    EXPECT_EQ(record.user, "alice");
    EXPECT_EQ(record.host, "192.0.2.7");
    EXPECT_EQ(record.seconds, 1700000000u);
}

TEST(Records, FullFieldsAreNotNulTerminated)
{
    const std::string user(32, 'u');
    const std::string host(256, 'h');
    Bytes bytes = testing::pack(Utmp{7, std::string(32, 'l'), user + "overflow", host, 1});
    const UtmpRecord record = decodeUtmp(bytes);
    EXPECT_EQ(record.line, std::string(32, 'l'));
    EXPECT_EQ(record.user, user);
    EXPECT_EQ(record.host, host);

    const LastlogRecord lastlog = decodeLastlog(testing::lastlogRecord(5, std::string(40, 't'), host));
    EXPECT_EQ(lastlog.line, std::string(32, 't'));
    EXPECT_EQ(lastlog.host, host);

    const TallyRecord tally = decodeTally(testing::pack({testing::Tally{std::string(60, 's'), 3, 9}}));
    EXPECT_EQ(tally.source, std::string(52, 's'));
}

TEST(Records, TimesAfter2038StayPositive)
{
    const std::uint32_t in2040 = 2'208'988'800u;  // 2040-01-01 UTC, above INT32_MAX
    EXPECT_EQ(decodeUtmp(testing::pack(Utmp{7, "tty1", "a", "", in2040})).seconds, in2040);
    EXPECT_EQ(decodeLastlog(testing::lastlogRecord(in2040, "", "")).seconds, in2040);
    const std::uint64_t far = 0x1'0000'0005ull;
    EXPECT_EQ(decodeTally(testing::pack({testing::Tally{"", 1, far}})).seconds, far);
}

TEST(Records, EffectiveTypeFollowsLast)
{
    struct Case {
        const char *name;
        Utmp record;
        int type;
        bool endsSessions;
    };
    const Case cases[] = {
        {"login", {7, "pts/0", "alice", "", 1}, 7, false},
        {"logout", {8, "pts/0", "", "", 1}, 8, false},
        {"dead with a user stays dead", {8, "pts/0", "alice", "", 1}, 8, false},
        {"login process of a named user counts as login", {6, "tty1", "alice", "", 1}, 7, false},
        {"getty's LOGIN is no login", {6, "tty1", "LOGIN", "", 1}, 6, false},
        {"ghost login without user is a logout", {7, "pts/1", "", "", 1}, 8, false},
        {"boot", {2, "~", "reboot", "6.1", 1}, 2, true},
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
