// lastlog2's and wtmpdb's SQLite databases, alone and beside the other records.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include "support/fixture_tree.h"
#include "directory/linux/linux_source.h"
#include "directory/linux/login_databases.h"

namespace tramsel {
namespace {

using linux_accounts::DatabaseState;
using linux_accounts::databaseUri;
using testing::at;
using testing::civilSeconds;
using testing::t;

// Runs SQL on a database file, creating it.
void execute(const std::string &path, const std::string &sql)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sql;
    sqlite3_close(db);
}

const std::string kLastlog2 = "CREATE TABLE Lastlog2(Name TEXT PRIMARY KEY, Time INTEGER, TTY TEXT, RemoteHost TEXT, Service TEXT);";
const std::string kWtmpdb = "CREATE TABLE wtmp(ID INTEGER PRIMARY KEY, Type INTEGER, User TEXT NOT NULL, Login INTEGER, "
                            "Logout INTEGER, TTY TEXT, RemoteHost TEXT, Service TEXT);";

// lastlog2's row of a user, in seconds; wtmpdb's session row, in microseconds (0 is NULL).
std::string login(const std::string &user, std::int64_t seconds)
{
    return "INSERT INTO Lastlog2 VALUES('" + user + "'," + std::to_string(seconds) + ",'pts/0','192.0.2.1','sshd');";
}
std::string session(int type, const std::string &user, std::int64_t login, std::int64_t logout = 0)
{
    const auto value = [](std::int64_t us) { return us ? std::to_string(us) : std::string("NULL"); };
    return "INSERT INTO wtmp(Type, User, Login, Logout) VALUES(" + std::to_string(type) + ",'" + user + "',"
        + value(login) + "," + value(logout) + ");";
}
std::int64_t micros(int y, int mo, int d, int h = 0)
{
    return civilSeconds(y, mo, d, h) * 1'000'000 + 250'000;
}

struct Fixture : testing::ProviderFixture {
    const std::string lastlog2 = tree.path("/var/lib/lastlog/lastlog2.db"), wtmpdb = tree.path("/var/lib/wtmpdb/wtmp.db");
};

TEST(LoginDatabases, EachSourceCountsAndBrokenDatabasesFailOnlyTheirOwnReads)
{
    // alice's last login and logoff, from both databases and wtmp.
    struct Case { const char *name; std::string lastlog2, wtmpdb; std::vector<testing::Utmp> wtmp; std::string session; };
    const std::vector<testing::Utmp> wtmpSession = {{7, "tty1", "alice", "", t(2024, 5, 1, 9)}, {8, "tty1", "", "", t(2024, 5, 1, 10)}};
    const std::string wtmpValues = at(2024, 5, 1, 9) + "|" + at(2024, 5, 1, 10);
    const Case cases[] = {
        {"lastlog2 is latest", kLastlog2 + login("alice", civilSeconds(2024, 5, 4)) + login("bob", civilSeconds(2024, 5, 9)),
         kWtmpdb + session(3, "alice", micros(2024, 5, 3), micros(2024, 5, 3, 1)), wtmpSession, at(2024, 5, 4) + "|" + at(2024, 5, 3, 1)},
        {"wtmpdb is latest", kLastlog2 + login("alice", civilSeconds(2024, 5, 3)),
         kWtmpdb + session(3, "alice", micros(2024, 5, 4), micros(2024, 5, 4, 1)), wtmpSession, at(2024, 5, 4) + "|" + at(2024, 5, 4, 1)},
        // The logoff comes from the source of the latest session, not the latest logoff.
        {"wtmp is latest", kLastlog2 + login("alice", 0),
         kWtmpdb + session(3, "alice", micros(2024, 4, 3), micros(2024, 5, 2)), wtmpSession, wtmpValues},
        {"still open", "", kWtmpdb + session(1, "reboot", micros(2024, 4, 30)) + session(3, "alice", micros(2024, 5, 2, 9)),
         wtmpSession, at(2024, 5, 2, 9) + "|n/a"},
        {"closed by the next boot",
         "", kWtmpdb + session(3, "alice", micros(2024, 5, 2, 9)) + session(3, "bob", micros(2024, 5, 2, 10))
             + session(1, "reboot", micros(2024, 5, 2, 12), micros(2024, 5, 3)) + session(1, "reboot", micros(2024, 5, 4)),
         {}, at(2024, 5, 2, 9) + "|" + at(2024, 5, 2, 12)},
        {"an open session: the latest end of an earlier one",
         "", kWtmpdb + session(3, "alice", micros(2024, 5, 1, 9), micros(2024, 5, 1, 18))
             + session(3, "alice", micros(2024, 5, 1, 13), micros(2024, 5, 1, 14)) + session(3, "alice", micros(2024, 5, 2, 9)),
         {}, at(2024, 5, 2, 9) + "|" + at(2024, 5, 1, 18)},
        {"boot and run level rows are no sessions",
         "", kWtmpdb + session(1, "alice", micros(2024, 5, 5)) + session(2, "alice", micros(2024, 5, 6)), wtmpSession, wtmpValues},
        {"the latest session has no login time",
         "", kWtmpdb + session(3, "alice", micros(2024, 5, 1, 9), micros(2024, 5, 1, 10)) + session(3, "alice", 0), {}, "n/a|n/a"},
        {"not a database", std::string(8192, 'x'), "CREATE TABLE wtmp(ID INTEGER PRIMARY KEY, Who TEXT);", wtmpSession, wtmpValues},
        {"another schema", "CREATE TABLE Lastlog2(Name TEXT, Seen TEXT); INSERT INTO Lastlog2 VALUES('alice','today');", "",
         wtmpSession, wtmpValues},
        {"text in the time", kLastlog2 + "INSERT INTO Lastlog2 VALUES('alice','soon','','','');", "", wtmpSession, wtmpValues},
    };
    for (const Case &c : cases) {
        Fixture f;
        if (c.lastlog2.starts_with("CREATE"))
            execute(f.lastlog2, c.lastlog2);
        else if (!c.lastlog2.empty())
            f.tree.write("/var/lib/lastlog/lastlog2.db", c.lastlog2);
        if (!c.wtmpdb.empty())
            execute(f.wtmpdb, c.wtmpdb);
        f.utmp("/var/log/wtmp", c.wtmp);
        EXPECT_EQ(f.values("alice"), c.session + "|n/a|n/a|n/a|") << c.name;
    }
}

TEST(LoginDatabases, ReadsOnlyWhatItIsAskedForAndLeavesNoTrace)
{
    Fixture f;
    execute(f.lastlog2, kLastlog2 + login("alice", civilSeconds(2150, 7, 8, 9, 10, 11)) + login("bob", 0));
    // wtmpdb's file is often a link; an absolute one points into the tree.
    execute(f.tree.path("/var/lib/wtmpdb-data/wtmp.db"), kWtmpdb + session(3, "alice", micros(2024, 5, 3)));
    std::filesystem::create_directories(f.tree.path("/var/lib/wtmpdb"));
    std::filesystem::create_symlink("/var/lib/wtmpdb-data/wtmp.db", f.wtmpdb);
    EXPECT_EQ(f.values("alice"), at(2150, 7, 8, 9, 10, 11) + "|n/a|n/a|n/a|n/a|") << "after 2038, the later of the two";
    EXPECT_EQ(f.values("bob"), "n/a|n/a|n/a|n/a|n/a|") << "0 is never";
    // Listed, the users without a session in wtmpdb are known never to have logged off: only btmp is missing.
    const Listing listing = f.source()->list({}, [](AccountRecord &&) {}, {});
    EXPECT_EQ(listing.unread, std::vector<std::string>{"/var/log/btmp: No such file or directory; failed logins are unknown"});
    // Names are bound, not formatted into SQL.
    for (const char *user : {"alice' OR '1'='1", "alice\" OR \"1\"=\"1"}) {
        EXPECT_EQ(linux_accounts::lastlog2Login(databaseUri(f.lastlog2, DatabaseState::AtRest), user), std::nullopt) << user;
        EXPECT_EQ(linux_accounts::wtmpdbSession(databaseUri(f.wtmpdb, DatabaseState::AtRest), user).login, std::nullopt) << user;
    }
    // A path with URI characters in it, and the ends of each plain range with the bytes just outside them.
    EXPECT_EQ(databaseUri("/mnt/a b?c#d%e/azAZ09-._~`{@[/:", DatabaseState::AtRest),
              "file:/mnt/a%20b%3Fc%23d%25e/azAZ09-._~%60%7B%40%5B/%3A?mode=ro&immutable=1");
    // A database that may be written while it is read: without locks, so that a writer never waits on us.
    EXPECT_EQ(databaseUri("/db", DatabaseState::Live), "file:/db?mode=ro&nolock=1");
}

} // namespace
} // namespace tramsel
