// The account usage report, compared byte for byte.
#include <gtest/gtest.h>

#include <cmath>

#include "support/fakes.h"
#include "report/account_usage.h"

namespace tramsel {
namespace {

using testing::FakeLocale;
using testing::RecordingProvider;
using testing::RecordingView;
using testing::kFailureSalesNobody;

DateTime at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return *DateTime::fromCivil({y, mo, d, h, mi, s});
}

struct Fixture {
    FakeLocale locale;
    RecordingProvider provider;
    RecordingView view;
    bool bound = false;

    Fixture() { view.provider = &provider; }

    // A typical account: every property readable, a 42-day password age.
    Fixture &typical()
    {
        provider.set("LastLogin", at(2003, 6, 18, 23, 25, 7))
            .set("LastLogoff", at(2003, 6, 19, 8, 0, 0))
            .set("LastFailedLogin", at(2003, 6, 17, 9, 3, 59))
            .set("BadLoginAddress", std::string("WKS-0042"))
            .set("BadLoginCount", std::int64_t{3})
            .set("PasswordExpirationDate", at(2003, 7, 30, 14, 30, 0))
            .set("MaxPasswordAge", std::int64_t{42 * 86400});
        return *this;
    }

    std::string run(std::string_view domain, std::string_view user)
    {
        bound = ShowAccountUsage(domain, user, {provider, locale, view}).bound;
        return view.texts.empty() ? std::string("<nothing written>") : view.texts.back();
    }
};

std::string report(const std::string &name, const std::vector<std::string> &v)
{
    return "\r\n"
           "Here is how the '" + name + "' NT account\r\n"
           "has been used:\r\n"
           "\r\n"
           "Last Login: \t\t" + v[0] + "\r\n"
           "Last Logoff: \t\t" + v[1] + "\r\n"
           "Last Failed Login: \t\t" + v[2] + "\r\n"
           "Last Bad Login Address: \t" + v[3] + "\r\n"
           "Bad Login Count: \t\t" + v[4] + "\r\n"
           "Password Expiration Date: \t" + v[5] + "\r\n"
           "Password Max Age (days): \t" + v[6] + "\r\n"
           "Password Last Changed: \t" + v[7] + "\r\n"
           "\r\n";
}

TEST(Report, TypicalAccountGivesTheWholeReport)
{
    Fixture f;
    f.typical();
    EXPECT_EQ(f.run("sales", "jdoe"), report("SALES\\jdoe", {"6/18/2003 11:25:07 PM", "6/19/2003 8:00:00 AM",
                                                          "6/17/2003 9:03:59 AM", "WKS-0042", "3",
                                                          "7/30/2003 2:30:00 PM", "42", "6/18/2003 2:30:00 PM"}));
    EXPECT_TRUE(f.bound);
    EXPECT_EQ(f.provider.boundPaths, std::vector<std::string>{"WinNT://SALES/jdoe,user"});
    EXPECT_EQ(f.provider.released, 1);
}

// The age in days, and when the password last changed: counted back from the
// expiry, or else the date the directory keeps (here 5/2/2003 7:00:00 AM).
TEST(Report, MaxAgeAndLastChanged)
{
    const std::string kept = "5/2/2003 7:00:00 AM";
    struct Case {
        PropertyValue age;
        std::string days, lastChanged;
        bool expiryReadable = true;
    } cases[] = {
        {std::int64_t{90 * 86400}, "90", "5/1/2003 2:30:00 PM"},
        // Not positive: "None"; the date is still counted back, the age
        // neither rounded nor sign-tested (-0.5 s moves it half a second
        // later, which rounds up).
        {std::int64_t{0}, "None", "7/30/2003 2:30:00 PM"}, {std::int64_t{-1}, "None", "7/30/2003 2:30:01 PM"},
        {0.9, "None", "7/30/2003 2:29:59 PM"}, {-0.5, "None", "7/30/2003 2:30:01 PM"},
        {std::int64_t{3600000}, "41.6666666666667", "6/18/2003 10:30:00 PM"},
        // Rounded down for the days, not for the date.
        {3600000.75, "41.6666666666667", "6/18/2003 10:29:59 PM"},
        {86399.9, "0.999988425925926", "7/29/2003 2:30:00 PM"},
        {std::int64_t{1}, "0.0000115740740740741", "7/30/2003 2:29:59 PM"},
        // A date far out of range, or an age that is no number: the kept date.
        {1e15, "11574074074.0741", kept}, {std::string("3600000"), "3600000", kept},
        {std::string("0"), "0", kept}, {NullValue{}, "n/a", kept}, {EmptyValue{}, "n/a", kept},
        {at(2003, 6, 18), "n/a", kept}, {std::nan(""), "n/a", kept},
        {std::int64_t{-1}, "None", kept, false},
    };
    for (const Case &c : cases) {
        Fixture f;
        f.typical().provider.set("MaxPasswordAge", c.age).set("PasswordLastChanged", at(2003, 5, 2, 7));
        if (!c.expiryReadable)
            f.provider.fail("PasswordExpirationDate");
        const std::string text = f.run("SALES", "jdoe");
        EXPECT_NE(text.find("Password Max Age (days): \t" + c.days + "\r\n"), std::string::npos) << text;
        EXPECT_NE(text.find("Password Last Changed: \t" + c.lastChanged + "\r\n"), std::string::npos) << text;
    }
}

TEST(Report, EachFailedReadLeavesOnlyItsValue)
{
    Fixture f;
    f.typical().provider.fail("PasswordExpirationDate");
    EXPECT_EQ(f.run("SALES", "jdoe"), report("SALES\\jdoe", {"6/18/2003 11:25:07 PM", "6/19/2003 8:00:00 AM",
                                                          "6/17/2003 9:03:59 AM", "WKS-0042", "3", "n/a", "42", "n/a"}));

    // Throwing reads are failures too; a second read of the age failing leaves "n/a".
    Fixture g;
    g.typical().provider.script("LastLogin", {RecordingProvider::Throw{}})
        .script("MaxPasswordAge",
                {PropertyValue(std::int64_t{86400}), std::monostate{}, PropertyValue(std::int64_t{86400})});
    EXPECT_EQ(g.run("SALES", "jdoe"),
              report("SALES\\jdoe", {"n/a", "6/19/2003 8:00:00 AM", "6/17/2003 9:03:59 AM",
                                     "WKS-0042", "3", "7/30/2003 2:30:00 PM", "n/a",
                                     "7/29/2003 2:30:00 PM"}));

    // Nothing readable at all.
    Fixture h;
    EXPECT_EQ(h.run("SALES", "jdoe"), report("SALES\\jdoe", std::vector<std::string>(8, "n/a")));
    EXPECT_TRUE(h.bound);
}

TEST(Report, NamesAndPaths)
{
    struct Case {
        std::string domain, user, path, display;
    } const cases[] = {
        {"sales", "jdoe", "WinNT://SALES/jdoe,user", "SALES\\jdoe"},
        {"Sales", "JDoe", "WinNT://SALES/JDoe,user", "SALES\\JDoe"},
        {"", "jdoe", "WinNT://jdoe,user", "jdoe"},
        // Nothing is escaped: the directory gets exactly what was typed.
        {"a b\\c", "x/y,z", "WinNT://A B\\C/x/y,z,user", "A B\\C\\x/y,z"},
        // ASCII letters of a domain map as ASCII does, whatever the locale
        // (a Turkish locale's "i" is not "I" there); the rest by the locale.
        {"marketing", "jdoe", "WinNT://MARKETING/jdoe,user", "MARKETING\\jdoe"},
        {"m\xc3\xbcnchen", "jdoe", "WinNT://M\xc3\x9cNCHEN/jdoe,user", "M\xc3\x9cNCHEN\\jdoe"},
    };
    for (const Case &c : cases) {
        Fixture f;
        f.provider.bindSucceeds = false;
        f.locale.turkish = true;
        f.run(c.domain, c.user);
        EXPECT_EQ(f.provider.boundPaths, std::vector<std::string>{c.path});
        EXPECT_NE(f.view.texts.back().find("No such NT account: '" + c.display + "',\r\n"), std::string::npos);
    }
    Fixture f;
    f.typical();
    EXPECT_EQ(f.run("", "jdoe").substr(0, 37), "\r\nHere is how the 'jdoe' NT account\r\n");
}

TEST(Report, FailedBindGivesTheFailureTextAndNothingElse)
{
    Fixture f;
    f.typical().provider.bindSucceeds = false;
    EXPECT_EQ(f.run("sales", "nobody"), kFailureSalesNobody);
    EXPECT_FALSE(f.bound);
    EXPECT_TRUE(f.provider.asked.empty());
    EXPECT_EQ(f.provider.released, 0);

    Fixture g;
    g.provider.bindThrows = true;
    EXPECT_EQ(g.run("sales", "nobody"), kFailureSalesNobody);
    EXPECT_FALSE(g.bound);
}

TEST(Report, WritesOnceAndReplacesThenReleases)
{
    Fixture f;
    f.typical().run("SALES", "jdoe");
    f.provider.bindSucceeds = false;
    f.run("SALES", "nobody");
    ASSERT_EQ(f.view.texts.size(), 2u);  // one whole text per call, never appended
    EXPECT_EQ(f.view.texts[1], kFailureSalesNobody);
    EXPECT_EQ(f.view.releasedAtWrite, (std::vector<int>{0, 1}));  // written before release
    EXPECT_EQ(f.provider.released, 1);

    // A report area that fails to take the text still sees the account released.
    Fixture g;
    g.view.throws = true;
    g.typical().run("SALES", "jdoe");
    EXPECT_EQ(g.provider.released, 1);
    EXPECT_TRUE(g.bound);
}

} // namespace
} // namespace tramsel
