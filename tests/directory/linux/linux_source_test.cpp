// Every account of a fixture tree at once: the same values as the report,
// and the lock and expiry state beside them.
#include <gtest/gtest.h>

#include <set>

#include "directory/linux/linux_source.h"
#include "report/account_usage.h"
#include "report/columns.h"
#include "support/fakes.h"
#include "support/fixture_tree.h"

namespace tramsel {
namespace {

using testing::Tally;
using testing::t;

// 2024-06-01 is day 19875; the fixture's clock is at 12:00 UTC that day.
const char *const kPasswd =
    "root:x:0:0:root:/root:/bin/bash\n"
    "alice:x:1000:1000:Alice Liddell,Room 1,,:/home/alice:/bin/bash\n"
    "bob:x:1001:1001::/home/bob:/bin/bash\n"
    "carol:x:1002:1002::/home/carol:/bin/bash\n"
    "dave:x:1003:1003::/home/dave:/bin/sh\n"
    "erin:x:1004:1004::/:/bin/sh\n"
    "+nisuser::::::\n"
    "alice:x:2000:2000:Another Alice:/:/bin/sh\n"
    "bad,name:x:1005:1005::/:/bin/sh\n";
const char *const kShadow =
    "root:$y$h:19500:0:99999:7:::\n"
    "alice:$y$h:19800:0:90:7:::\n"    // the password expires on day 19890
    "bob:$y$h:19785:0:90:7:::\n"      // it expires today
    "carol:!$y$h:19800:0:::::\n"      // passwd -l
    "dave:*:19800::::::\n"            // no password, not locked
    "erin:$y$h:0:0::::19875:\n";     // the account expires today; a new password is due

struct Fixture : testing::ProviderFixture {
    Fixture()
    {
        tree.write("/etc/passwd", kPasswd);
        tree.write("/etc/shadow", kShadow);
    }

    std::vector<AccountRecord> rows(const Request &request = {}, Listing *listing = nullptr)
    {
        LinuxAccountSource source(std::make_unique<testing::ObservingFileReader>(tree.root, opened),
                                  [](auto &files) { return std::make_unique<linux_accounts::TreeAccounts>(files); },
                                  [this] { return now; }, linux_accounts::DatabaseState::AtRest, tree.root);
        std::vector<AccountRecord> records;
        const Listing done = source.list(request, [&](AccountRecord &&r) { records.push_back(std::move(r)); }, {});
        if (listing)
            *listing = done;
        return records;
    }
    // The tally of `user` with valid failures this many seconds ago.
    void failures(const std::string &user, std::vector<std::int64_t> agos, std::uint16_t status = 0x3)
    {
        std::vector<Tally> records;
        for (const std::int64_t ago : agos)
            records.push_back({"192.0.2.9", status, static_cast<std::uint64_t>(now - ago)});
        tally("/var/run/faillock/" + user, records);
    }
};

// The audit's own columns of a row, as "key=text" in the column table's order.
std::string state(const AccountRecord &record)
{
    std::string text;
    const auto inReport = [](std::string_view key) {
        return std::any_of(reportLines().begin(), reportLines().end(), [&](const ReportLine &l) { return l.key == key; });
    };
    for (const auto &column : accountColumns())
        if (!inReport(column.key) && column.key != "account" && column.key != "user")
            text += std::string(column.key) + "=" + reportText(column.cell(record), testing::FakeLocale()) + " ";
    return text;
}

TEST(LinuxSource, EveryAccountAgreesWithItsReport)
{
    Fixture f;
    f.utmp("/var/log/wtmp", {{7, "pts/1", "alice", "192.0.2.1", t(2024, 5, 20, 8)}, {7, "tty1", "bob", "", t(2024, 5, 21, 9)},
                             {8, "pts/1", "", "", t(2024, 5, 20, 17)}, {2, "~", "reboot", "", t(2024, 5, 22)}});
    // Failures at the second of alice's login, and after dave's login in wtmp but before lastlog's, do not count.
    f.utmp("/var/log/btmp", {{6, "ssh:notty", "carol", "203.0.113.9", t(2024, 5, 19)}, {6, "", "alice", "", t(2024, 5, 20, 8)},
                             {6, "ssh:notty", "alice", "203.0.113.9", t(2024, 5, 21, 7)}});
    f.utmp("/var/log/wtmp.1", {{7, "pts/3", "carol", "", t(2024, 4, 2, 9)}, {7, "pts/1", "alice", "", t(2024, 4, 1)},
                               {7, "tty3", "dave", "", t(2024, 5, 1)}});
    f.utmp("/var/log/btmp.1", {{6, "ssh:notty", "bob", "h", t(2024, 4, 3)}, {6, "ssh:notty", "erin", "", t(2024, 4, 4)},
                               {6, "", "dave", "", t(2024, 5, 10)}});
    f.tree.write("/var/log/lastlog", testing::lastlogRecord(t(2024, 5, 23), "tty2", ""), 1003 * 292);
    f.failures("bob", {700, 650, 599});
    f.failures("root", {30, 20, 10});
    f.tree.write("/etc/login.defs", "# user accounts\nUID_MIN\t\t 1002\nUID_MAX 1003\n");

    const auto rows = f.rows();
    EXPECT_EQ(std::set<std::string>(f.opened->begin(), f.opened->end()).size(), f.opened->size()) << "a file read twice";
    std::string states;
    const auto text = [](const AccountRecord &row) {
        return usageReport(row.account, row.usage, testing::FakeLocale(), "\n") + state(row);
    };
    for (const AccountRecord &row : rows) {
        // Found alone (the report, --print with a format), the account reads the same.
        const Lookup alone = f.source()->lookup({"WEB01", row.user});
        ASSERT_TRUE(alone.record) << row.user;
        EXPECT_EQ(text(*alone.record), text(row));
        states += row.account + " " + state(row) + "\n";
    }
    EXPECT_EQ(states,
              "WEB01\\root fullName=root disabled=0 locked=0 accountExpires=n/a accountExpired=0 passwordExpired=0 passwordNeverExpires=1 created=n/a systemAccount=1 container=n/a operatingSystem=n/a controllersAnswered=1 controllersAsked=1 \n"
              "WEB01\\alice fullName=Alice Liddell disabled=0 locked=0 accountExpires=n/a accountExpired=0 passwordExpired=0 passwordNeverExpires=0 created=n/a systemAccount=1 container=n/a operatingSystem=n/a controllersAnswered=1 controllersAsked=1 \n"
              "WEB01\\bob fullName=n/a disabled=0 locked=1 accountExpires=n/a accountExpired=0 passwordExpired=1 passwordNeverExpires=0 created=n/a systemAccount=1 container=n/a operatingSystem=n/a controllersAnswered=1 controllersAsked=1 \n"
              "WEB01\\carol fullName=n/a disabled=0 locked=1 accountExpires=n/a accountExpired=0 passwordExpired=0 passwordNeverExpires=1 created=n/a systemAccount=0 container=n/a operatingSystem=n/a controllersAnswered=1 controllersAsked=1 \n"
              "WEB01\\dave fullName=n/a disabled=0 locked=0 accountExpires=n/a accountExpired=0 passwordExpired=0 passwordNeverExpires=1 created=n/a systemAccount=0 container=n/a operatingSystem=n/a controllersAnswered=1 controllersAsked=1 \n"
              "WEB01\\erin fullName=n/a disabled=1 locked=0 accountExpires=6/1/2024 accountExpired=1 passwordExpired=1 passwordNeverExpires=1 created=n/a systemAccount=1 container=n/a operatingSystem=n/a controllersAnswered=1 controllersAsked=1 \n");
}

TEST(LinuxSource, LockedWhilePamFaillockWouldRefuse)
{
    struct Case { const char *name, *conf, *user; std::vector<std::int64_t> agos; std::uint16_t status; bool locked; };
    const Case cases[] = {
        {"three failures, the latest within unlock_time", "", "bob", {700, 650, 599}, 0x3, true},
        {"unlock_time has passed", "", "bob", {700, 650, 601}, 0x3, false},
        {"never unlocks by itself", "unlock_time = never", "bob", {87000, 86500, 86400}, 0x3, true},
        {"0 is never", "unlock_time=0\n", "bob", {87000, 86500, 86400}, 0x3, true},
        {"a longer unlock_time", "# unlock_time = 5\nunlock_time 3600 # an hour", "bob", {1300, 1200, 1000}, 0x3, true},
        {"fewer than deny", "deny = 4", "bob", {30, 20, 10}, 0x3, false},
        {"deny 0 never locks", "deny = 0", "bob", {30, 20, 10}, 0x3, false},
        {"spread wider than fail_interval", "", "bob", {1100, 200, 100}, 0x3, false},
        {"a shorter fail_interval", "fail_interval=120", "bob", {200, 20, 10}, 0x3, false},
        {"unusable values keep the defaults", "dir = relative\nfail_interval = -5", "bob", {800, 200, 100}, 0x3, true},
        {"no longer valid", "", "bob", {30, 20, 10}, 0x2, false},
        {"root is spared", "", "root", {30, 20, 10}, 0x3, false},
        {"unless even_deny_root", "even_deny_root\nroot_unlock_time = 60", "root", {30, 20, 10}, 0x3, true},
        {"after root_unlock_time", "even_deny_root\nroot_unlock_time = 60", "root", {300, 200, 100}, 0x3, false},
        {"in the configured folder", "  dir = /var/lib/faillock  # kept", "bob", {30, 20, 10}, 0x3, false},
    };
    for (const Case &c : cases) {
        Fixture f;
        f.tree.write("/etc/security/faillock.conf", c.conf);
        f.failures(c.user, c.agos, c.status);
        // Every account is listed, and only c.user's lock is decided by the tally (carol's password is locked).
        std::string listed, expected;
        for (const AccountRecord &row : f.rows()) {
            listed += row.user + "=" + (row.locked ? std::to_string(*row.locked) : "?") + " ";
            expected += row.user + "=" + ((row.user == c.user ? c.locked : row.user == "carol") ? "1 " : "0 ");
        }
        EXPECT_EQ(listed, expected) << c.name;
    }
}

TEST(LinuxSource, FailsWithAReason)
{
    struct Case { const char *name, *domain, *base, *error; std::size_t rows; const char *listed; };
    const Case cases[] = {
        {"this machine by name", "web01", "", "", 6, "WEB01"},
        {"another machine", "SALES", "", "SALES is not the machine in ", 0, "SALES"},
        {"no passwd", "", "", "cannot read ", 0, "WEB01"},
        {"a base", "", "OU=x", "--base limits only a listing of an Active Directory domain", 0, "WEB01"},
        {"stopped", "", "", "stopped", 0, "WEB01"},
        {"computers", "", "", "a Linux machine has no computer accounts", 0, "WEB01"},
    };
    for (const Case &c : cases) {
        Fixture f;
        const std::string name = c.name;
        if (name == "no passwd")
            std::filesystem::remove(f.tree.path("/etc/passwd"));
        std::stop_source stop;
        if (name == "stopped")
            stop.request_stop();
        Request request{c.domain, c.base, stop.get_token()};
        if (name == "computers")
            request.kind = Request::Kind::Computers;
        Listing listing;
        EXPECT_EQ(f.rows(request, &listing).size(), c.rows) << c.name;
        EXPECT_TRUE(listing.failure.text.starts_with(c.error)) << c.name;
        EXPECT_EQ(listing.failure.kind == Failure::Kind::BadRequest, name == "a base" || name == "computers") << c.name;
        EXPECT_EQ(listing.domain, c.listed) << c.name;
    }
}

} // namespace
} // namespace tramsel
