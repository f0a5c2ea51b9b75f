// lastlog2's and wtmpdb's SQLite databases, alone and beside the other records.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <chrono>
#include <future>

#include "support/fixture_tree.h"
#include "directory/linux/linux_source.h"
#include "directory/linux/login_databases.h"

namespace tramsel {
namespace {

using linux_accounts::DatabaseState;
using testing::Utmp;
using testing::at;
using testing::civilSeconds;
using testing::t;

constexpr const char *kLastlog2Schema =
    "CREATE TABLE Lastlog2(Name TEXT PRIMARY KEY, Time INTEGER, TTY TEXT, RemoteHost TEXT, Service TEXT);";
constexpr const char *kWtmpdbSchema =
    "CREATE TABLE wtmp(ID INTEGER PRIMARY KEY, Type INTEGER, User TEXT NOT NULL, Login INTEGER, "
    "Logout INTEGER, TTY TEXT, RemoteHost TEXT, Service TEXT);";

// Runs SQL on a database file, creating it.
void execute(const std::string &path, const std::string &sql)
{
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    char *error = nullptr;
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
}

std::int64_t micros(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return civilSeconds(y, mo, d, h, mi, s) * 1'000'000 + 250'000;
}

struct Session {
    int type;
    std::string user;
    std::optional<std::int64_t> login;
    std::optional<std::int64_t> logout;
};

struct Fixture : testing::ProviderFixture {
    Fixture()
    {
        std::filesystem::create_directories(tree.path("/var/lib/lastlog"));
        std::filesystem::create_directories(tree.path("/var/lib/wtmpdb"));
    }
    std::string lastlog2() const { return tree.path("/var/lib/lastlog/lastlog2.db"); }
    std::string wtmpdb() const { return tree.path("/var/lib/wtmpdb/wtmp.db"); }
    std::string login(const std::string &user) { const std::string v = values(user); return v.substr(0, v.find('|')); }

    void logins(const std::vector<std::pair<std::string, std::int64_t>> &rows)
    {
        std::string sql = kLastlog2Schema;
        for (const auto &[user, seconds] : rows)
            sql += "INSERT INTO Lastlog2 VALUES('" + user + "'," + std::to_string(seconds) + ",'pts/0','192.0.2.1','sshd');";
        execute(lastlog2(), sql);
    }
    void sessions(const std::vector<Session> &rows)
    {
        std::string sql = kWtmpdbSchema;
        for (const Session &row : rows)
            sql += "INSERT INTO wtmp(Type, User, Login, Logout, TTY, RemoteHost, Service) VALUES("
                + std::to_string(row.type) + ",'" + row.user + "'," + (row.login ? std::to_string(*row.login) : "NULL") + ","
                + (row.logout ? std::to_string(*row.logout) : "NULL") + ",'pts/0','','sshd');";
        execute(wtmpdb(), sql);
    }
};

TEST(LoginDatabases, LastLoginIsTheLatestOfEverySource)
{
    struct Case { const char *name; std::int64_t lastlog2, wtmpdbLogin; std::uint32_t lastlog, wtmp; std::string expected; };
    const Case cases[] = {
        {"lastlog2", civilSeconds(2024, 5, 4), micros(2024, 5, 3), t(2024, 5, 2), t(2024, 5, 1), at(2024, 5, 4)},
        {"wtmpdb", civilSeconds(2024, 5, 3), micros(2024, 5, 4), t(2024, 5, 2), t(2024, 5, 1), at(2024, 5, 4)},
        {"lastlog", civilSeconds(2024, 5, 1), micros(2024, 5, 2), t(2024, 5, 4), t(2024, 5, 3), at(2024, 5, 4)},
        {"wtmp", civilSeconds(2024, 5, 1), micros(2024, 5, 2), t(2024, 5, 3), t(2024, 5, 4), at(2024, 5, 4)},
    };
    for (const Case &c : cases) {
        Fixture f;
        f.logins({{"alice", c.lastlog2}, {"bob", civilSeconds(2024, 5, 9)}});
        f.sessions({{3, "alice", c.wtmpdbLogin, c.wtmpdbLogin + 60'000'000}});
        f.tree.write("/var/log/lastlog", testing::lastlogRecord(c.lastlog, "tty1", ""), 1000 * 292);
        f.utmp("/var/log/wtmp", {{7, "tty1", "alice", "", c.wtmp}});
        EXPECT_EQ(f.login("alice"), c.expected) << c.name;
    }
}

TEST(LoginDatabases, WtmpdbSessions)
{
    // alice's last login and logoff.
    struct Case { const char *name; std::vector<Session> rows; std::vector<Utmp> wtmp; std::string session; };
    const Case cases[] = {
        {"closed",
         {{3, "alice", micros(2024, 5, 1, 9), micros(2024, 5, 1, 10)}, {3, "bob", micros(2024, 5, 1, 11), {}}}, {},
         at(2024, 5, 1, 9) + "|" + at(2024, 5, 1, 10)},
        {"still open", {{1, "reboot", micros(2024, 4, 30), {}}, {3, "alice", micros(2024, 5, 1, 9), {}}}, {},
         at(2024, 5, 1, 9) + "|n/a"},
        {"closed by the next boot",
         {{3, "alice", micros(2024, 5, 1, 9), {}}, {3, "bob", micros(2024, 5, 1, 10), {}},
          {1, "reboot", micros(2024, 5, 1, 12), micros(2024, 5, 2)}, {1, "reboot", micros(2024, 5, 3), {}}}, {},
         at(2024, 5, 1, 9) + "|" + at(2024, 5, 1, 12)},
        {"an open session: the latest end of an earlier one",
         {{3, "alice", micros(2024, 5, 1, 9), micros(2024, 5, 1, 18)}, {3, "alice", micros(2024, 5, 1, 13), micros(2024, 5, 1, 14)},
          {3, "alice", micros(2024, 5, 2, 9), {}}}, {},
         at(2024, 5, 2, 9) + "|" + at(2024, 5, 1, 18)},
        {"boot and run level rows are no sessions",
         {{1, "alice", micros(2024, 5, 5), {}}, {2, "alice", micros(2024, 5, 6), {}}}, {}, "n/a|n/a"},
        {"the latest session has no login time",
         {{3, "alice", micros(2024, 5, 1, 9), micros(2024, 5, 1, 10)}, {3, "alice", {}, {}}}, {}, "n/a|n/a"},
        // The logoff comes from the source of the latest session.
        {"wtmpdb's session is later", {{3, "alice", micros(2024, 5, 2, 9), micros(2024, 5, 2, 17)}},
         {{7, "tty1", "alice", "", t(2024, 5, 1, 9)}, {8, "tty1", "", "", t(2024, 5, 1, 10)}},
         at(2024, 5, 2, 9) + "|" + at(2024, 5, 2, 17)},
        {"wtmp's later session is still open", {{3, "alice", micros(2024, 5, 2, 9), micros(2024, 5, 2, 17)}},
         {{7, "tty1", "alice", "", t(2024, 5, 3, 9)}}, at(2024, 5, 3, 9) + "|n/a"},
    };
    for (const Case &c : cases) {
        Fixture f;
        f.sessions(c.rows);
        f.utmp("/var/log/wtmp", c.wtmp);
        EXPECT_EQ(f.values("alice"), c.session + "|n/a|n/a|n/a|") << c.name;
    }
}

TEST(LoginDatabases, BrokenDatabasesFailOnlyTheirOwnReads)
{
    const std::string garbage(8192, 'x');
    struct Case { const char *name; std::function<void(Fixture &)> breakIt; };
    const Case cases[] = {
        {"not a database", [&](Fixture &f) { f.tree.write("/var/lib/lastlog/lastlog2.db", garbage); }},
        {"another schema", [](Fixture &f) { execute(f.lastlog2(), "CREATE TABLE Lastlog2(Name TEXT, Seen TEXT);"
                                                                 "INSERT INTO Lastlog2 VALUES('alice','today');"); }},
        {"text in the time", [](Fixture &f) { execute(f.lastlog2(), std::string(kLastlog2Schema)
                                                                   + "INSERT INTO Lastlog2 VALUES('alice','soon','','','');"); }},
    };
    for (const Case &c : cases) {
        Fixture f;
        c.breakIt(f);
        execute(f.wtmpdb(), "CREATE TABLE wtmp(ID INTEGER PRIMARY KEY, Who TEXT);");
        f.utmp("/var/log/wtmp", {{7, "tty1", "alice", "", t(2024, 5, 1, 9)}, {8, "tty1", "", "", t(2024, 5, 1, 10)}});
        EXPECT_EQ(f.values("alice"), at(2024, 5, 1, 9) + "|" + at(2024, 5, 1, 10) + "|n/a|n/a|n/a|") << c.name;
    }
}

TEST(LoginDatabases, Lastlog2TimesAndNamesBoundNotFormattedIntoSql)
{
    Fixture f;
    f.logins({{"alice", civilSeconds(2150, 7, 8, 9, 10, 11)}, {"bob", 0}});
    f.sessions({{3, "alice", micros(2024, 5, 3), micros(2024, 5, 4)}});
    EXPECT_EQ(f.login("alice"), at(2150, 7, 8, 9, 10, 11)) << "after 2038";
    EXPECT_EQ(f.values("bob"), "n/a|n/a|n/a|n/a|n/a|") << "0 is never";
    for (const char *user : {"alice' OR '1'='1", "alice\" OR \"1\"=\"1"}) {
        EXPECT_EQ(linux_accounts::lastlog2Login(linux_accounts::databaseUri(f.lastlog2(), DatabaseState::AtRest), user),
                  std::nullopt) << user;
        EXPECT_EQ(linux_accounts::wtmpdbSession(linux_accounts::databaseUri(f.wtmpdb(), DatabaseState::AtRest), user).login,
                  std::nullopt) << user;
    }
}

TEST(LoginDatabases, ReadingLeavesNoTraceAndAbsoluteLinksStayInTheTree)
{
    Fixture f;
    f.logins({{"alice", civilSeconds(2024, 5, 2)}});
    // wtmpdb's file is often a link; an absolute one points into the tree.
    std::filesystem::create_directories(f.tree.path("/var/lib/wtmpdb-data"));
    execute(f.tree.path("/var/lib/wtmpdb-data/wtmp.db"),
            std::string(kWtmpdbSchema) + "INSERT INTO wtmp VALUES(1,3,'alice'," + std::to_string(micros(2024, 5, 3))
                + ",NULL,'tty1','','login');");
    std::filesystem::create_symlink("/var/lib/wtmpdb-data/wtmp.db", f.wtmpdb());
    const auto before = testing::snapshot(f.tree.path("/var/lib"));
    EXPECT_EQ(f.values("alice"), at(2024, 5, 3) + "|n/a|n/a|n/a|n/a|");
    EXPECT_EQ(testing::snapshot(f.tree.path("/var/lib")), before) << "no journal, WAL or lock file, no change";
}

TEST(LoginDatabases, UrisAreReadOnlyAndEscaped)
{
    EXPECT_EQ(linux_accounts::databaseUri("/var/lib/wtmpdb/wtmp.db", DatabaseState::Live),
              "file:/var/lib/wtmpdb/wtmp.db?mode=ro&nolock=1");
    EXPECT_EQ(linux_accounts::databaseUri("/mnt/a b?c#d%e/x.db", DatabaseState::AtRest),
              "file:/mnt/a%20b%3Fc%23d%25e/x.db?mode=ro&immutable=1");
    // The ends of each plain range, and the bytes just outside them.
    EXPECT_EQ(linux_accounts::databaseUri("/azAZ09-._~`{@[/:", DatabaseState::AtRest),
              "file:/azAZ09-._~%60%7B%40%5B/%3A?mode=ro&immutable=1");
}

TEST(LoginDatabases, AWriterMidTransactionNeitherBlocksNorLeaksIntoTheRead)
{
    Fixture f;
    f.logins({{"alice", civilSeconds(2024, 5, 2)}});
    // The writer's small cache spills its uncommitted pages into the file.
    sqlite3 *writer = nullptr;
    ASSERT_EQ(sqlite3_open(f.lastlog2().c_str(), &writer), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(writer,
                           "PRAGMA cache_size = 1; BEGIN EXCLUSIVE;"
                           "UPDATE Lastlog2 SET Time = 1999999999 WHERE Name = 'alice';"
                           "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 5000)"
                           " INSERT INTO Lastlog2 SELECT 'user' || i, i, '', '', '' FROM n;",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    const std::string uri = linux_accounts::databaseUri(f.lastlog2(), DatabaseState::Live);
    auto read = std::async(std::launch::async, [&] { return linux_accounts::lastlog2Login(uri, "alice"); });
    ASSERT_EQ(read.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(read.get().value_or(civilSeconds(2024, 5, 2)), civilSeconds(2024, 5, 2));
    sqlite3_exec(writer, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(writer);
    EXPECT_EQ(linux_accounts::lastlog2Login(uri, "alice"), civilSeconds(2024, 5, 2));
}

} // namespace
} // namespace tramsel
