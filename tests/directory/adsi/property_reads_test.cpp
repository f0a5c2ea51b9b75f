// The report's values read property by property, as WinNT gives them.
#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <map>
#include <stdexcept>
#include <variant>

#include "directory/adsi/property_reads.h"
#include "report/account_usage.h"
#include "support/fakes.h"

namespace tramsel {
namespace {

DateTime at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return *DateTime::fromCivil({y, mo, d, h, mi, s});
}

// Properties whose answers are scripted: several answers are handed out in
// turn (the last one repeats); none fails the read; Throw throws.
struct Throw {};
using Answer = std::variant<PropertyValue, std::monostate, Throw>;
struct Script {
    std::map<std::string, std::deque<Answer>, std::less<>> answers;

    Script &set(const std::string &name, PropertyValue value) { return script(name, {std::move(value)}); }
    Script &script(const std::string &name, std::deque<Answer> list) { return answers[name] = std::move(list), *this; }
    // A typical account: every property readable, a 42-day password age.
    Script &typical()
    {
        return set("LastLogin", at(2003, 6, 18, 23, 25, 7)).set("LastLogoff", at(2003, 6, 19, 8, 0, 0))
            .set("LastFailedLogin", at(2003, 6, 17, 9, 3, 59)).set("BadLoginAddress", std::string("WKS-0042"))
            .set("BadLoginCount", std::int64_t{3}).set("PasswordExpirationDate", at(2003, 7, 30, 14, 30, 0))
            .set("MaxPasswordAge", std::int64_t{42 * 86400});
    }
    // The report's eight values, one line each.
    std::string report()
    {
        const AccountUsage usage = readProperties([this](std::string_view name) -> std::optional<PropertyValue> {
            auto &list = answers[std::string(name)];
            if (list.empty())
                return std::nullopt;
            const Answer answer = list.front();
            if (list.size() > 1)
                list.pop_front();
            if (std::holds_alternative<Throw>(answer))
                throw std::runtime_error("get");
            const auto *value = std::get_if<PropertyValue>(&answer);
            return value ? std::optional(*value) : std::nullopt;
        });
        const std::string text = usageReport("D\\u", usage, testing::FakeLocale(), "\n");
        return text.substr(text.find("Last Login"));
    }
};

std::string lines(const std::vector<std::string> &v)
{
    return "Last Login: \t\t" + v[0] + "\nLast Logoff: \t\t" + v[1] + "\nLast Failed Login: \t\t" + v[2]
        + "\nLast Bad Login Address: \t" + v[3] + "\nBad Login Count: \t\t" + v[4] + "\nPassword Expiration Date: \t"
        + v[5] + "\nPassword Max Age (days): \t" + v[6] + "\nPassword Last Changed: \t" + v[7] + "\n\n";
}

// The age in days, and when the password last changed: counted back from the
// expiry, or else the date the directory keeps (here 5/2/2003 7:00:00 AM).
TEST(PropertyReads, MaxAgeAndLastChanged)
{
    const std::string kept = "5/2/2003 7:00:00 AM";
    struct Case {
        PropertyValue age;
        std::string days, lastChanged;
        bool expiryReadable = true;
    } cases[] = {
        {std::int64_t{90 * 86400}, "90", "5/1/2003 2:30:00 PM"},
        // Under a second: "None"; the date is still counted back, the age
        // not sign-tested (-0.5 s moves it half a second later, rounding up).
        {-0.5, "None", "7/30/2003 2:30:01 PM"},
        {std::int64_t{3600000}, "41.6666666666667", "6/18/2003 10:30:00 PM"},
        // An age that is no number: the kept date.
        {std::string("3600000"), "3600000", kept}, {NullValue{}, "n/a", kept},
        {at(2003, 6, 18), "n/a", kept}, {std::int64_t{-1}, "None", kept, false},
    };
    for (const Case &c : cases) {
        Script s;
        s.typical().set("MaxPasswordAge", c.age).set("PasswordLastChanged", at(2003, 5, 2, 7));
        if (!c.expiryReadable)
            s.script("PasswordExpirationDate", {});
        const std::string text = s.report();
        EXPECT_NE(text.find("Password Max Age (days): \t" + c.days + "\n"), std::string::npos) << text;
        EXPECT_NE(text.find("Password Last Changed: \t" + c.lastChanged + "\n"), std::string::npos) << text;
    }
}

TEST(PropertyReads, EachFailedReadLeavesOnlyItsValue)
{
    EXPECT_EQ(Script().typical().script("PasswordExpirationDate", {}).report(),
              lines({"6/18/2003 11:25:07 PM", "6/19/2003 8:00:00 AM", "6/17/2003 9:03:59 AM", "WKS-0042", "3", "n/a",
                     "42", "n/a"}));
    // Throwing reads are failures too; a second read of the age failing leaves "n/a".
    EXPECT_EQ(Script()
                  .typical()
                  .script("LastLogin", {Throw{}})
                  .script("MaxPasswordAge", {PropertyValue(std::int64_t{86400}), std::monostate{},
                                             PropertyValue(std::int64_t{86400})})
                  .report(),
              lines({"n/a", "6/19/2003 8:00:00 AM", "6/17/2003 9:03:59 AM", "WKS-0042", "3", "7/30/2003 2:30:00 PM",
                     "n/a", "7/29/2003 2:30:00 PM"}));
    // A value of the wrong kind is unknown, not shown.
    EXPECT_EQ(Script().set("LastLogin", std::string("yesterday")).set("BadLoginCount", 2.0).report(),
              lines({"n/a", "n/a", "n/a", "n/a", "2", "n/a", "n/a", "n/a"}));
}

} // namespace
} // namespace tramsel
