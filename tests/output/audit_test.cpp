// The audit's filters and writers: which accounts pass, and the whole texts
// of the table, CSV and JSON.
#include <gtest/gtest.h>


#include "report/filters.h"
#include "report/sorting.h"
#include "report/summary.h"
#include "output/writers.h"
#include "support/fakes.h"

namespace tramsel::audit {
namespace {

// The user's clock a fixed number of seconds ahead of UTC, and a decimal comma.
testing::FakeLocale OffsetLocale(int offset) { return testing::FakeLocale(",", offset); }

DateTime utc(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return *DateTime::instantFromCivil({y, mo, d, h, mi, s});
}
DateTime wall(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) { return *DateTime::fromCivil({y, mo, d, h, mi, s}); }

TEST(Audit, FiltersAtTheirBoundaries)
{
    // 2026-12-07 12:00 UTC, 13:00 on the user's clock.
    const testing::FakeLocale locale = OffsetLocale(3600);
    const Now now = nowAt(utc(2026, 12, 7, 12), locale);
    const DateTime ninetyDaysAgo = utc(2026, 9, 8, 12);
    const DateTime inFourteenDays = utc(2026, 12, 21, 12);
    const auto record = [](auto change) {
        AccountRecord r;
        change(r);
        return r;
    };
    const auto login = [](Known<DateTime> at) { return [at](AccountRecord &r) { r.usage.lastLogin = at; }; };
    const auto none = Known<DateTime>::none();
    const auto expires = [](DateTime at) { return [at](AccountRecord &r) { r.usage.passwordExpires = at; }; };
    const auto filters = [](auto change) {
        Filters f;
        change(f);
        return f;
    };
    const Filters inactive90 = filters([](Filters &f) { f.inactiveDays = 90; });
    const Filters within14 = filters([](Filters &f) { f.passwordExpiresWithinDays = 14; });
    struct Row {
        const char *name;
        Filters filters;
        AccountRecord account;
        bool passes;
    } rows[] = {
        {"login exactly 90 days ago", inactive90, record(login(ninetyDaysAgo)), false},
        {"logins could not be read", inactive90, record(login({})), false},
        {"shadow day on the user's clock", inactive90, record(login(wall(2026, 9, 8, 13))), false},
        {"never, created a second before", inactive90,
         record([&](AccountRecord &r) { r.created = ninetyDaysAgo.minusSeconds(1), r.usage.lastLogin = none; }), true},
        {"never logged in: none", filters([](Filters &f) { f.neverLoggedIn = true; }), record(login(none)), true},
        {"expires in exactly 14 days", within14, record(expires(inFourteenDays)), true},
        {"a second later", within14, record(expires(*inFourteenDays.minusSeconds(-1))), false},
        {"expired, no date", within14, record([](AccountRecord &r) { r.passwordExpired = true; }), true},
        {"every filter must hold", filters([](Filters &f) { f.inactiveDays = 90, f.locked = true; }), record(login(none)), false},
    };
    for (const Row &row : rows)
        EXPECT_EQ(matches(row.filters, row.account, now), row.passes) << row.name;
}

TEST(Audit, SortsEachKindWithUnknownLastEitherWay)
{
    const auto record = [](const char *user, Known<DateTime> login, Known<MaxPasswordAge> age, std::optional<bool> off) {
        AccountRecord r;
        r.user = user;
        r.usage.lastLogin = login;
        r.usage.passwordMaxAge = age;
        r.disabled = off;
        return r;
    };
    const std::vector<AccountRecord> records{
        record("bob", utc(2026, 1, 2), MaxPasswordAge{42}, true),
        record("carl", Known<DateTime>::none(), MaxPasswordAge{0, true}, false),
        record("alice", utc(2025, 1, 2), MaxPasswordAge{7}, std::nullopt),
        record("Alice", {}, {}, false),
        record("dave", utc(2026, 1, 1, 23, 59, 59), MaxPasswordAge{100}, true),
    };
    const auto key = [](const char *name, bool descending = false) { return SortKey{accountColumn(name), descending}; };
    const std::pair<std::vector<SortKey>, const char *> rows[] = {
        {{key("user")}, "Alice alice bob carl dave"},
        {{key("lastLogin", true)}, "bob dave alice carl Alice"},
        // Days: passwords that never expire ("None") after every number.
        {{key("passwordMaxAgeDays", true)}, "carl dave bob alice Alice"},
        {{key("disabled"), key("lastLogin", true)}, "carl Alice bob dave alice"},
    };
    for (const auto &[keys, expected] : rows) {
        std::vector<AccountRecord> sorted = records;
        sortRecords(sorted, keys);
        std::string users;
        for (const AccountRecord &r : sorted)
            users += (users.empty() ? "" : " ") + r.user;
        EXPECT_EQ(users, expected);
    }
}

TEST(Audit, IsoTimesCarryTheOffsetOfTheUsersClock)
{
    const std::pair<int, const char *> rows[] = {
        {-12600, "2026-12-07T05:00:00-03:30"},
        // A local mean time's offset has seconds, which ISO 8601 cannot write.
        {1172, "2026-12-07T08:30:00+00:00"},
    };
    for (const auto &[offset, expected] : rows)
        EXPECT_EQ(isoTime(utc(2026, 12, 7, 8, 30), OffsetLocale(offset)), expected) << offset;
    // A shadow day begins at 00:00 UTC: that instant for programs, the date itself for people.
    const DateTime day = *DateTime::fromUtcDay(19500);
    EXPECT_EQ(isoTime(day, OffsetLocale(-18000)), "2023-05-22T19:00:00-05:00");
    EXPECT_EQ(valueText(day, OffsetLocale(-18000)), "5/23/2023");
}

// One account with a value of every kind, as each format writes it.
AccountRecord everyKind()
{
    AccountRecord r;
    r.account = "SALES\\jdoe";
    r.user = "jdoe";
    r.fullName = "Doe, \"J\" J\xC3\xBCrgen";
    r.usage.lastLogin = utc(2026, 12, 7, 8, 30);
    r.usage.lastFailedLogin = Known<DateTime>::none();
    r.usage.lastBadLoginAddress = std::string();
    r.usage.badLoginCount = std::int64_t{2};
    r.usage.passwordExpires = utc(2027, 1, 18, 23, 59, 59);
    r.usage.passwordMaxAge = MaxPasswordAge{42.5, false};
    r.usage.passwordLastChanged = wall(2026, 12, 7);
    r.disabled = false;
    r.locked = true;
    r.passwordNeverExpires = false;
    r.created = utc(2003, 6, 18, 23, 25, 7);
    r.controllersAnswered = 1;
    r.controllersAsked = 2;
    return r;
}

const std::vector<Source> kSources{{"ldap://dc1.sales.test", true, {}}, {"ldap://dc2.sales.test", false, "timed out"}};

std::string listing(Format format, std::vector<AccountRecord> records)
{
    const testing::FakeLocale locale = OffsetLocale(3600);
    StringOut text;
    AccountOutput output(format, locale, text);
    for (const AccountRecord &record : records)
        output.add(record);
    output.finish("SALES", kSources, utc(2026, 12, 7, 8, 30));
    return text.text;
}

TEST(Audit, JsonIsOneDocument)
{
    EXPECT_EQ(listing(Format::Json, {everyKind()}),
              "{\n"
              "  \"domain\": \"SALES\",\n"
              "  \"generated\": \"2026-12-07T09:30:00+01:00\",\n"
              "  \"controllers\": [\n"
              "    {\"server\":\"ldap://dc1.sales.test\",\"answered\":true,\"error\":null},\n"
              "    {\"server\":\"ldap://dc2.sales.test\",\"answered\":false,\"error\":\"timed out\"}\n"
              "  ],\n"
              "  \"accounts\": [\n"
              "    {\"account\":\"SALES\\\\jdoe\",\"user\":\"jdoe\",\"fullName\":\"Doe, \\\"J\\\" J\xC3\xBCrgen\","
              "\"lastLogin\":\"2026-12-07T09:30:00+01:00\",\"lastLogoff\":null,\"lastFailedLogin\":null,"
              "\"lastBadLoginAddress\":\"\",\"badLoginCount\":2,\"passwordExpires\":\"2027-01-19T00:59:59+01:00\","
              "\"passwordMaxAgeDays\":42.5,\"passwordLastChanged\":\"2026-12-07T00:00:00+01:00\",\"disabled\":false,"
              "\"locked\":true,\"accountExpires\":null,\"accountExpired\":null,\"passwordExpired\":null,\"passwordNeverExpires\":false,"
              "\"created\":\"2003-06-19T00:25:07+01:00\",\"systemAccount\":null,\"container\":null,\"operatingSystem\":null,\"controllersAnswered\":1,\"controllersAsked\":2}\n"
              "  ]\n"
              "}\n");
    const std::string empty = listing(Format::Json, {});
    EXPECT_EQ(empty.substr(empty.find("  \"accounts")), "  \"accounts\": []\n}\n");
}

TEST(Audit, CsvQuotesWhereNeeded)
{
    const std::string heading = "account,user,fullName,lastLogin,lastLogoff,lastFailedLogin,lastBadLoginAddress,"
                                "badLoginCount,passwordExpires,passwordMaxAgeDays,passwordLastChanged,disabled,"
                                "locked,accountExpires,accountExpired,passwordExpired,passwordNeverExpires,created,"
                                "systemAccount,container,operatingSystem,controllersAnswered,controllersAsked\r\n";
    EXPECT_EQ(listing(Format::Csv, {everyKind()}),
              heading
                  + "SALES\\jdoe,jdoe,\"Doe, \"\"J\"\" J\xC3\xBCrgen\",2026-12-07T09:30:00+01:00,,,,2,"
                    "2027-01-19T00:59:59+01:00,42.5,2026-12-07T00:00:00+01:00,false,true,,,,false,"
                    "2003-06-19T00:25:07+01:00,,,,1,2\r\n");
    const std::pair<const char *, const char *> names[] = {
        {"two\nlines", "\"two\nlines\""}, {"cr\r", "\"cr\r\""},
        // A formula stays text for a spreadsheet.
        {"=1+1", "'=1+1"}, {"@x", "'@x"}, {"\tx", "'\tx"}, {"\rx", "\"'\rx\""}, {"Gro\xC3\x9F", "Gro\xC3\x9F"}, {"Gro\xDF", "Gro\xEF\xBF\xBD"},
    };
    for (const auto &[name, field] : names) {
        AccountRecord r;
        r.account = "D\\u";
        r.user = "u";
        r.fullName = name;
        EXPECT_EQ(listing(Format::Csv, {r}), heading + "D\\u,u," + field + std::string(18, ',') + ",0,0\r\n") << name;
    }
}

TEST(Audit, TableAlignsForPeople)
{
    EXPECT_EQ(listing(Format::Table, {everyKind()}),
              "account     user  fullName         lastLogin             lastLogoff  lastFailedLogin  "
              "lastBadLoginAddress  badLoginCount  passwordExpires        passwordMaxAgeDays  passwordLastChanged  "
              "disabled  locked  accountExpires  accountExpired  passwordExpired  passwordNeverExpires  created                "
              "systemAccount  container  operatingSystem  controllersAnswered  "
              "controllersAsked\n"
              "SALES\\jdoe  jdoe  Doe, \"J\" J\xC3\xBCrgen  12/7/2026 9:30:00 AM  n/a         n/a              "
              "                                 2  1/19/2027 12:59:59 AM  42,5                12/7/2026            "
              "no        yes     n/a             n/a             n/a              no                    6/19/2003 12:25:07 AM  n/a            n/a        n/a                                1                 2\n");
}

TEST(Audit, TableKeepsTheTerminalSafeAndNarrow)
{
    const auto row = [](const char *user, const char *name) {
        AccountRecord r;
        r.user = user;
        r.fullName = name;
        return r;
    };
    const testing::FakeLocale locale = OffsetLocale(0);
    StringOut text;
    AccountOutput output(Format::Table, locale, text, {{accountColumn("fullName"), accountColumn("user")}, 14});
    for (const AccountRecord &r : {row("u1", "a\u202Eb\u200E"), row("u2", "\u65E5\u672C\u8A9E\u30C6\u30AD\u30B9\u30C8\u30E0"),
                                   row("u3", "abcdefghijkle\u0301\u0301zz"), row("u4", "x\x1B\U0001F600y")})
        output.add(r);
    output.finish("SALES", kSources, {});
    EXPECT_EQ(text.text, "fullName        user\n"
                         "a\\u202eb\\u200e  u1\n"
                         "\u65E5\u672C\u8A9E\u30C6\u30AD\u30B9\u2026   u2\n"
                         "abcdefghijkle\u0301\u0301\u2026  u3\n"
                         "x\\u001b\U0001F600y      u4\n");
    AccountCounts counts{3010, 11, 303, 2973, 4};
    EXPECT_EQ(summaryText(counts, ControllersAnswered{2, 2}, locale),
              "3,010 accounts: 11 locked, 303 disabled, 2,973 never logged in, 4 passwords expired; "
              "2 of 2 controllers answered");
    EXPECT_EQ(summaryText({1, 0, 0, 1, 1}, controllersAnswered({{"/", true, {}}}), locale),
              "1 account: 0 locked, 0 disabled, 1 never logged in, 1 password expired");
}

} // namespace
} // namespace tramsel::audit
