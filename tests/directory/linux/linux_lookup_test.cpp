// One account of a Linux machine on fixture trees: finding it, and each value's rules.
#include <gtest/gtest.h>

#include "support/fixture_tree.h"
#include "directory/linux/linux_source.h"
#include "report/account_usage.h"
#include "support/fakes.h"

namespace tramsel {
namespace {

using testing::Tally;
using testing::Utmp;
using testing::t;

using Fixture = testing::ProviderFixture;
const std::string kPasswd = Fixture::kWeb01Passwd;

TEST(LinuxSource, FindsThisMachinesUsersByAnyOfItsNames)
{
    Fixture f;
    auto source = f.source();
    const auto finds = [&](const std::string &domain, const std::string &user) { return !!source->lookup({domain, user}).record; };
    const std::pair<std::string, std::string> found[] = {
        {"", "alice"}, {"WEB01", "alice"}, {"WEB01.EXAMPLE.ORG", "alice"}, {"LOCALHOST", "alice"},
        {"web01", "big"}, {"CORP.EXAMPLE", "dave"}};
    for (const auto &[domain, user] : found)
        EXPECT_TRUE(finds(domain, user)) << domain << "\\" << user;
    const std::pair<std::string, std::string> notFound[] = {
        {"WEB02", "alice"}, {"WEB0", "alice"}, {"WEB01.EXAMPLE", "alice"}, {"WEB01", "nobody"},
        {"WEB01", "Alice"}, {"WEB01", "dave"}, {"CORP", "alice"}, {"SALES", "jdoe"}, {"WEB01/x", "alice"}};
    for (const auto &[domain, user] : notFound)
        EXPECT_FALSE(finds(domain, user)) << domain << "\\" << user;
    EXPECT_EQ(source->lookup({"WEB01", "nobody"}).failure.text, "no user nobody on WEB01");
    EXPECT_EQ(source->lookup({".", "x"}).failure.text, "not an account name this system can have");
    // A host name's letters upper-cased to the last, its file's comments skipped; without
    // /etc/hostname, no name of its own (LOCALHOST aside).
    f.tree.write("/etc/hostname", "# set by the installer\n\n  az  extra\n");
    const Lookup mine = f.source()->lookup({"", "alice"});
    EXPECT_EQ(mine.record ? mine.record->account : "", "AZ\\alice");
    std::filesystem::remove(f.tree.path("/etc/hostname"));
    EXPECT_FALSE(f.source()->lookup({"WEB02", "alice"}).record);
}

// What could not be read, named once, when values are left unknown: a log
// merely missing beside one that answers is no loss.
TEST(LinuxSource, NamesTheFilesThatLeaveValuesUnknown)
{
    const std::string wtmp = "/var/log/wtmp: No such file or directory; last ", btmp = "/var/log/btmp: No such file or directory; failed logins are unknown";
    const struct { const char *name; std::vector<const char *> folders, files; std::vector<std::string> unread; } cases[] = {
        {"no logs", {}, {}, {wtmp + "logins and last logoffs are unknown", btmp}},
        {"lastlog answers for logins", {}, {"/var/log/lastlog"}, {wtmp + "logoffs are unknown", btmp}},
        {"every log answers", {}, {"/var/log/wtmp", "/var/log/btmp"}, {}},
        {"folders in place of the databases", {"/var/lib/wtmpdb/wtmp.db", "/var/log/lastlog"}, {"/var/log/btmp"},
         {wtmp + "logins and last logoffs are unknown", "/var/lib/wtmpdb/wtmp.db: Is a directory; last logins and last logoffs are unknown",
          "/var/log/lastlog: Is a directory; last logins are unknown"}},
    };
    for (const auto &c : cases) {
        Fixture f;
        for (const char *folder : c.folders)
            std::filesystem::create_directories(f.tree.path(folder));
        for (const char *file : c.files)
            f.tree.write(file, "");
        EXPECT_EQ(f.source()->lookup({"WEB01", "alice"}).unread, c.unread) << c.name;
    }
}

// An account database (as NSS would be) that gives back any name it is told to.
struct NamingAccounts final : linux_accounts::AccountDatabase {
    explicit NamingAccounts(std::string name) : canonical(std::move(name)) {}
    std::string canonical;
    std::optional<linux_accounts::PasswdEntry> findUser(const std::string &) override { return {{canonical, 1000, {}}}; }
    std::optional<linux_accounts::ShadowEntry> findShadow(const std::string &) override { return {}; }
    bool isHostName(std::string_view) override { return false; }
};

TEST(LinuxSource, OnlyASafeNameFromTheAccountDatabaseIsFound)
{
    // Whether the account NSS calls `canonical` is found, and whether any file is opened for it.
    const auto bind = [](const std::string &canonical) {
        testing::ProviderFixture f;
        const bool found = f.source([&](auto &) { return std::make_unique<NamingAccounts>(canonical); })
                               ->lookup({"CORP", "alice"})
                               .record.has_value();
        return std::pair(found, !f.opened->empty());
    };
    EXPECT_EQ(bind("alice"), std::pair(true, true));
    for (const char *unsafe : {"..", "../../etc/passwd", ""})
        EXPECT_EQ(bind(unsafe), std::pair(false, false)) << unsafe;
}

// An instant of 2024 in UTC, as the report shows it.
std::string at(int month, int day, int hour) { return testing::at(2024, month, day, hour); }

TEST(LinuxSource, LastLoginFromWhicheverSourceHasTheUser)
{
    Fixture f;
    EXPECT_EQ(f.values("alice"), "n/a|n/a|n/a|n/a|n/a|") << "no record anywhere";

    f.tree.write("/var/log/lastlog", testing::lastlogRecord(t(2024, 5, 1, 8, 0, 0), "pts/0", "h"), 1000 * 292);
    EXPECT_EQ(f.values("alice"), at(5, 1, 8) + "|n/a|n/a|n/a|n/a|") << "lastlog only";
    EXPECT_EQ(f.values("bob"), "n/a|n/a|n/a|n/a|n/a|") << "bob's lastlog slot is past the end";
    f.tree.write("/var/log/lastlog", testing::lastlogRecord(t(2039, 1, 2, 3, 4, 5), "tty1", ""), 3'000'000'000ull * 292);
    EXPECT_EQ(f.values("big"), testing::at(2039, 1, 2, 3, 4, 5) + "|n/a|n/a|n/a|n/a|") << "a uid past 2^31 in a sparse file";
    EXPECT_EQ(f.values("alice"), "n/a|n/a|n/a|n/a|n/a|") << "a hole reads as never";

    f.utmp("/var/log/wtmp", {{7, "pts/2", "bob", "", t(2024, 5, 2, 9)}, {8, "pts/2", "bob", "", t(2024, 5, 2, 10)}});
    EXPECT_EQ(f.values("bob"), at(5, 2, 9) + "|" + at(5, 2, 10) + "|n/a|n/a|n/a|") << "wtmp; a logout that keeps the name";

    // wtmp keeps the first 32 bytes of a longer name.
    const std::string longName(40, 'z');
    f.tree.write("/etc/passwd", kPasswd + longName + ":x:1004:1004::/:/bin/sh\n");
    f.utmp("/var/log/wtmp", {{7, "pts/3", longName, "h", t(2024, 5, 3, 9)}, {7, "pts/4", longName.substr(0, 31), "", t(2024, 5, 4, 9)}});
    EXPECT_EQ(f.values(longName), at(5, 3, 9) + "|n/a|n/a|n/a|n/a|") << "a 40-byte name";
}

TEST(LinuxSource, SessionsArePairedAsLastPairsThem)
{
    // alice's last login and logoff.
    struct Case { const char *name; std::vector<Utmp> wtmp; std::vector<Utmp> rotated; std::string values; };
    const Utmp login{7, "pts/1", "alice", "", t(2024, 5, 1, 9)};
    const Case cases[] = {
        {"logout on the same line, other lines in between",
         {login, {7, "pts/2", "bob", "", t(2024, 5, 1, 10)}, {8, "pts/2", "", "", t(2024, 5, 1, 11)},
          {8, "pts/1", "", "", t(2024, 5, 1, 12)}, {8, "pts/1", "", "", t(2024, 5, 1, 13)}}, {},
         at(5, 1, 9) + "|" + at(5, 1, 12)},
        {"still logged in", {login, {8, "pts/2", "", "", t(2024, 5, 1, 10)}}, {}, at(5, 1, 9) + "|n/a"},
        {"closed by a reboot (crash)",
         {login, {2, "~", "reboot", "6.1.0", t(2024, 5, 1, 14)}, {8, "pts/1", "", "", t(2024, 5, 1, 15)}}, {},
         at(5, 1, 9) + "|" + at(5, 1, 14)},
        {"the next login on the line ends it", {login, {7, "pts/1", "bob", "", t(2024, 5, 1, 18)}}, {},
         at(5, 1, 9) + "|" + at(5, 1, 18)},
        {"an open session: the latest end of an earlier one",
         {login, {7, "pts/2", "alice", "", t(2024, 5, 1, 10)}, {8, "pts/2", "", "", t(2024, 5, 1, 11)},
          {8, "pts/1", "", "", t(2024, 5, 1, 12)}, {7, "pts/4", "alice", "", t(2024, 5, 2, 9)}}, {},
         at(5, 2, 9) + "|" + at(5, 1, 12)},
        {"the rotated file's login, closed in the current file",
         {{7, "pts/2", "bob", "", t(2024, 5, 1, 9)}, {8, "pts/1", "", "", t(2024, 5, 1, 10)}},
         {{7, "pts/1", "alice", "", t(2024, 4, 1, 9)}, {7, "pts/3", "bob", "", t(2024, 4, 2, 9)}},
         at(4, 1, 9) + "|" + at(5, 1, 10)},
    };
    for (const Case &c : cases) {
        Fixture f;
        f.utmp("/var/log/wtmp", c.wtmp);
        f.utmp("/var/log/wtmp.1", c.rotated);
        EXPECT_EQ(f.values("alice"), c.values + "|n/a|n/a|n/a|") << c.name;
    }
}

TEST(LinuxSource, FailuresComeFromBtmpAndTheTallyWhicheverIsLater)
{
    Fixture f;
    f.utmp("/var/log/wtmp", {{7, "pts/2", "bob", "", t(2024, 5, 1, 9)}});
    f.utmp("/var/log/wtmp.1", {{7, "pts/3", "bob", "", t(2024, 4, 2, 9)}});
    f.utmp("/var/log/btmp", {{6, "ssh:notty", "alice", "203.0.113.9", t(2024, 5, 1, 10)},
                             {7, "tty3", "alice", "", t(2024, 5, 1, 11)},
                             {6, "ssh:notty", "bob", "203.0.113.1", t(2024, 5, 1, 12)}});
    // Any record type; no host recorded is no address. The current wtmp's record wins over the rotated one.
    EXPECT_EQ(f.values("alice"), "n/a|n/a|" + at(5, 1, 11) + "|n/a|2|");
    EXPECT_EQ(f.values("bob"), at(5, 1, 9) + "|n/a|" + at(5, 1, 12) + "|203.0.113.1|1|");
    EXPECT_EQ(f.values("carol"), "n/a|n/a|n/a|n/a|0|");

    // The tally's latest entry (source, status) at 13:00, or at 9:00 when older than btmp's.
    const std::tuple<Tally, std::string> cases[] = {
        {{"192.0.2.50", 0x3, t(2024, 5, 1, 13)}, at(5, 1, 13) + "|192.0.2.50"},  // remote host
        {{"/dev/tty2", 0x5, t(2024, 5, 1, 13)}, at(5, 1, 13) + "|n/a"},  // a terminal is no address
        {{"sudo", 0x1, t(2024, 5, 1, 13)}, at(5, 1, 13) + "|n/a"},  // a service
        {{"192.0.2.50", 0x3, t(2024, 5, 1, 9)}, at(5, 1, 11) + "|n/a"},
    };
    for (const auto &[latest, failure] : cases) {
        f.tally("/var/run/faillock/alice", {{"10.0.0.1", 0x3, t(2024, 4, 1)}, latest});
        EXPECT_EQ(f.values("alice"), "n/a|n/a|" + failure + "|2|") << latest.source;
    }
}

TEST(LinuxSource, BadLoginCount)
{
    // From the tally: every valid failure it lists, however old (the
    // interval decides a lock, not the count), until a good login resets it.
    Fixture f;
    const auto count = [&f] { const std::string v = f.values("alice"); return v.substr(v.rfind('|', v.size() - 2) + 1); };
    f.utmp("/var/log/btmp", {{6, "ssh:notty", "alice", "h", t(2024, 5, 31)}});
    const auto ago = [&f](std::int64_t seconds) { return static_cast<std::uint64_t>(f.now - seconds); };
    f.tally("/var/run/faillock/alice", {{"h", 0x3, ago(3600)}, {"h", 0x3, ago(899)}, {"h", 0x2, ago(600)}, {"h", 0x3, ago(10)}});
    EXPECT_EQ(count(), "3|");
    f.now += 86400;
    EXPECT_EQ(count(), "3|") << "a day later, with no good login between";
    f.tree.write("/etc/security/faillock.conf", "dir = /var/lib/faillock\n");
    EXPECT_EQ(count(), "1|") << "no tally there: btmp";

    // From btmp since the last login.
    f.utmp("/var/log/btmp.1", {{6, "ssh:notty", "alice", "h", t(2024, 4, 1)}, {6, "ssh:notty", "alice", "h", t(2024, 4, 2)}});
    f.utmp("/var/log/btmp", {{6, "ssh:notty", "alice", "h", t(2024, 5, 1)}, {6, "ssh:notty", "bob", "h", t(2024, 5, 2)},
                             {6, "ssh:notty", "alice", "h", t(2024, 5, 3)}});
    EXPECT_EQ(count(), "4|") << "never logged in";
    f.utmp("/var/log/wtmp", {{7, "pts/1", "alice", "", t(2024, 5, 1, 12)}});
    EXPECT_EQ(count(), "1|");
    // By time, not place: a clock set back put the last record before the login.
    f.utmp("/var/log/btmp", {{6, "ssh:notty", "alice", "h", t(2024, 5, 2)}, {6, "ssh:notty", "alice", "h", t(2024, 5, 3)},
                             {6, "ssh:notty", "bob", "h", t(2024, 4, 30)}});
    EXPECT_EQ(count(), "2|") << "a record out of time order";
    f.tree.write("/var/log/lastlog", testing::lastlogRecord(t(2024, 5, 4), "", ""), 1000 * 292);
    EXPECT_EQ(count(), "0|");
}

TEST(LinuxSource, PasswordAgeingFollowsChage)
{
    // The report's last three values for a shadow line; 19500 days after
    // 1970-01-01 is 2023-05-23.
    struct Case { const char *shadow; std::string expires, maxAge, lastChanged; };
    const Case cases[] = {
        {"alice:h:19500:0:90:7:::", "8/21/2023", "90", "5/23/2023"},
        {"alice:h:19500:0:9999:7:::", "10/7/2050", "9999", "5/23/2023"},
        {"alice:h:19500:0:0:7:::", "5/23/2023", "0", "5/23/2023"},  // change at once
        {"alice:h:19500:0:99999:7:::", "n/a", "None", "5/23/2023"},  // Debian's default
        {"alice:h:19500:0:10000:7:::", "n/a", "None", "5/23/2023"},
        {"alice:h:19500:0::7:::", "n/a", "None", "5/23/2023"},
        {"alice:h:19500:0:-1:7:::", "n/a", "None", "5/23/2023"},
        {"alice:h:0:0:90:7:::", "n/a", "90", "n/a"}, {"alice:h::0:90:7:::", "n/a", "90", "n/a"},  // change at next login
        {"alice:h:1:0:90:7:::", "4/2/1970", "90", "1/2/1970"},
        {"+bob::::::::\n-carol::::::::\nalice:h:19500:0:90:7:::", "8/21/2023", "90", "5/23/2023"},
        {"alice:h:19x:0:90:7:::", "n/a", "n/a", "n/a"}, {"alice:h:19500:0:90", "n/a", "n/a", "n/a"},
        {"bob:h:19500:0:90:7:::", "n/a", "n/a", "n/a"}, {nullptr, "n/a", "n/a", "n/a"},
    };
    for (const Case &c : cases) {
        Fixture f;
        std::filesystem::remove(f.tree.path("/etc/shadow"));
        if (c.shadow)
            f.tree.write("/etc/shadow", std::string(c.shadow) + "\n");
        else
            std::filesystem::create_directories(f.tree.path("/etc/shadow"));  // unreadable
        const std::string report = accountReport("web01", "alice", *f.source(), testing::FakeLocale(), "\n").text;
        EXPECT_EQ(report.substr(report.find("Password Expiration")),
                  "Password Expiration Date: \t" + c.expires + "\nPassword Max Age (days): \t" + c.maxAge
                      + "\nPassword Last Changed: \t" + c.lastChanged + "\n\n")
            << (c.shadow ? c.shadow : "a folder");
    }
}

} // namespace
} // namespace tramsel
