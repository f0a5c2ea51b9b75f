// Every user's records read at once agree with each user's read alone.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "directory/linux/record_sources.h"
#include "support/fixture_tree.h"

namespace tramsel::linux_accounts {
namespace {

using testing::Tally;
using testing::Utmp;

const std::vector<PasswdEntry> kUsers = {
    {"alice", 1000, ""}, {"bob", 1001, ""}, {"carol", 7, ""}, {std::string(32, 'z') + "a", 1003, ""},
    {std::string(32, 'z') + "b", 1004, ""},
};

// Logs of random records: users, lines, boots and run levels mixed, times
// going back now and then, as clock changes make them.
struct RandomTree : testing::ProviderFixture {
    std::mt19937 random;
    explicit RandomTree(unsigned seed) : random(seed)
    {
        const char *const names[] = {"alice", "bob", "carol", "LOGIN", "", "reboot", "shutdown", "runlevel", "mallory"};
        const char *const lines[] = {"pts/0", "pts/1", "tty1", "", "~"};
        const auto pick = [this](auto &options) { return options[random() % std::size(options)]; };
        for (const char *path : {"/var/log/wtmp.1", "/var/log/wtmp", "/var/log/btmp.1", "/var/log/btmp"}) {
            if (random() % 4 == 0)
                continue;
            std::vector<Utmp> log(random() % 60);
            std::uint32_t seconds = testing::t(2024, 5, 1);
            for (std::size_t i = 0; i < log.size(); ++i) {
                seconds += static_cast<std::uint32_t>(random() % 600) - 120;
                const std::string user = random() % 8 == 0 ? kUsers[random() % kUsers.size()].name : pick(names);
                log[i] = {static_cast<int>(1 + random() % 8), pick(lines), user, "h" + std::to_string(i), seconds,
                          static_cast<std::int32_t>(pick("036"))};
            }
            utmp(path, log);
        }
        tree.write("/var/log/lastlog", testing::lastlogRecord(testing::t(2024, 5, 1, 2), "", ""), 1000 * 292);
        tree.write("/var/log/lastlog", testing::lastlogRecord(testing::t(2024, 5, 1, 3), "", ""), 7 * 292);
        if (random() % 2 != 0)
            tally("/var/run/faillock/bob", {{"h", 3, static_cast<std::uint64_t>(now - 100)}});
    }
};

TEST(RecordSources, EveryUserAtOnceAgreesWithEachAlone)
{
    for (unsigned seed = 1; seed <= 200; ++seed) {
        RandomTree f(seed);
        testing::ObservingFileReader files(f.tree.root, f.opened);
        const auto all = RecordSources(files, DatabaseState::AtRest).forUsers(kUsers);
        EXPECT_EQ(std::set<std::string>(f.opened->begin(), f.opened->end()).size(), f.opened->size()) << "a file read twice, seed " << seed;
        ASSERT_EQ(all.size(), kUsers.size());
        for (std::size_t i = 0; i < kUsers.size(); ++i)
            EXPECT_TRUE(all[i] == RecordSources(files, DatabaseState::AtRest).forUser(kUsers[i]))
                << kUsers[i].name << ", seed " << seed;
    }
}

} // namespace
} // namespace tramsel::linux_accounts
