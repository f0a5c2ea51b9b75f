// The account usage report, compared byte for byte, and the checks every
// account name passes before a source may look it up.
#include <gtest/gtest.h>

#include "support/fakes.h"
#include "report/account_path.h"
#include "report/account_usage.h"

namespace tramsel {
namespace {

DateTime at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return *DateTime::fromCivil({y, mo, d, h, mi, s});
}

// A source of one typical account (every value known, a 42-day password
// age), the report area, and whether the last report bound its account.
struct Fixture {
    testing::FakeLocale locale;
    testing::ScriptedSource source;
    testing::RecordingView view;
    bool bound = false;
    AccountUsage &u = source.found.emplace().usage;

    Fixture()
    {
        u.lastLogin = at(2003, 6, 18, 23, 25, 7);
        u.lastLogoff = at(2003, 6, 19, 8, 0, 0);
        u.lastFailedLogin = at(2003, 6, 17, 9, 3, 59);
        u.lastBadLoginAddress = std::string("WKS-0042");
        u.badLoginCount = 3;
        u.passwordExpires = at(2003, 7, 30, 14, 30, 0);
        u.passwordMaxAge = MaxPasswordAge{42, false};
        u.passwordLastChanged = at(2003, 6, 18, 14, 30, 0);
    }
    std::string run(std::string_view domain, std::string_view user)
    {
        bound = ShowAccountUsage(domain, user, {source, locale, view}).bound;
        return view.texts.empty() ? std::string("<nothing written>") : view.texts.back();
    }
};

std::string report(const std::vector<std::string> &v)
{
    return "\r\nHere is how the 'SALES\\jdoe' NT account\r\nhas been used:\r\n\r\n"
           "Last Login: \t\t" + v[0] + "\r\nLast Logoff: \t\t" + v[1] + "\r\nLast Failed Login: \t\t" + v[2]
        + "\r\nLast Bad Login Address: \t" + v[3] + "\r\nBad Login Count: \t\t" + v[4] + "\r\nPassword Expiration Date: \t"
        + v[5] + "\r\nPassword Max Age (days): \t" + v[6] + "\r\nPassword Last Changed: \t" + v[7] + "\r\n\r\n";
}

TEST(Report, EveryValueInItsLine)
{
    Fixture f;
    EXPECT_EQ(f.run("sales", "jdoe"), report({"6/18/2003 11:25:07 PM", "6/19/2003 8:00:00 AM", "6/17/2003 9:03:59 AM",
                                              "WKS-0042", "3", "7/30/2003 2:30:00 PM", "42", "6/18/2003 2:30:00 PM"}));
    EXPECT_TRUE(f.bound);

    // None and unknown both read "n/a"; never expiring is "None"; an empty address stays empty.
    f.u.lastLogin = Known<DateTime>::none();
    f.u.lastLogoff = {};
    f.u.lastBadLoginAddress = std::string();
    f.u.passwordMaxAge = MaxPasswordAge{0, true};
    f.u.passwordExpires = *DateTime::fromUtcDay(12263);
    EXPECT_EQ(f.run("sales", "jdoe"),
              report({"n/a", "n/a", "6/17/2003 9:03:59 AM", "", "3", "7/30/2003", "None", "6/18/2003 2:30:00 PM"}));
}

TEST(Report, NamesAsTyped)
{
    struct Case {
        std::string domain, user, asked, display;
    } const cases[] = {
        {"Sales", "JDoe", "SALES\\JDoe", "SALES\\JDoe"},
        {"", "jdoe", "\\jdoe", "jdoe"},
        // Nothing is escaped: the source gets exactly what was typed.
        {"a b\\z", "x/y,z", "A B\\Z\\x/y,z", "A B\\Z\\x/y,z"},
        // ASCII letters of a domain map as ASCII does, whatever the locale
        // (a Turkish locale's "i" is not "I" there); the rest by the locale.
        {"marketing", "jdoe", "MARKETING\\jdoe", "MARKETING\\jdoe"},
        {"m\xc3\xbcnchen", "jdoe", "M\xc3\x9cNCHEN\\jdoe", "M\xc3\x9cNCHEN\\jdoe"},
    };
    for (const Case &c : cases) {
        Fixture f;
        f.source.found.reset();
        f.locale.turkish = true;
        f.run(c.domain, c.user);
        EXPECT_EQ(f.source.asked, std::vector<std::string>{c.asked});
        EXPECT_NE(f.view.texts.back().find("No such NT account: '" + c.display + "',\r\n"), std::string::npos);
    }
}

TEST(Report, NoAccountGivesTheFailureTextOnce)
{
    Fixture f;
    f.run("SALES", "jdoe");
    f.source.found.reset();
    EXPECT_EQ(f.run("sales", "nobody"), testing::kFailureSalesNobody);
    EXPECT_FALSE(f.bound);
    EXPECT_EQ(f.view.texts.size(), 2u);  // one whole text per call, never appended

    Fixture g;
    g.source.throws = true;
    EXPECT_EQ(g.run("sales", "nobody"), testing::kFailureSalesNobody);
    EXPECT_FALSE(g.bound);

    // A report area that fails to take the text fails nothing else.
    Fixture h;
    h.view.throws = true;
    h.run("SALES", "jdoe");
    EXPECT_TRUE(h.bound);
}

TEST(AccountPath, SafeAccounts)
{
    const std::string a256(256, 'a');
    // "domain|user", and whether a source may look it up.
    const std::pair<AccountName, bool> rows[] = {
        {{"SALES", "jdoe"}, true}, {{"", "jdoe"}, true}, {{"H", a256}, true}, {{"H", "\xc3\xa9mile"}, true},
        {{"", ""}, false}, {{"SALES", ""}, false}, {{"SALES", "../etc/x"}, false}, {{"SALES", ".."}, false},
        {{"SALES", "."}, false}, {{"SALES", "a,b"}, false}, {{"SALES", a256 + "a"}, false},
        {{"SALES", "a\nb"}, false}, {{"SALES", "a\x7f"}, false}, {{"SAL\x01" "ES", "a"}, false},
        {{"A/B", "c"}, false}, {{"..", "c"}, false},
    };
    for (const auto &[name, safe] : rows)
        EXPECT_EQ(isSafeAccount(name), safe) << name.domain << "|" << name.user;
}

} // namespace
} // namespace tramsel
