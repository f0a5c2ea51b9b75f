// What the program answers without a window: exit status, standard output
// and standard error for every way a run can end, with a scripted source.
#include <gtest/gtest.h>

#include "cli/command_line.h"
#include "support/fakes.h"

namespace tramsel {
namespace {

using Scripted = testing::ScriptedSource;

// Each run makes its source, which asks the one the test scripted.
class Forward final : public AccountSource {
public:
    explicit Forward(AccountSource &to) : to_(to) {}
    Lookup lookup(const AccountName &name) override { return to_.lookup(name); }
    Listing list(const Request &r, const RowSink &row, const ProgressSink &p) override { return to_.list(r, row, p); }
    PerController perController(const AccountName &name) override { return to_.perController(name); }

private:
    AccountSource &to_;
};

WindowlessResult run(std::vector<std::string> arguments, Scripted &source)
{
    const testing::FakeLocale locale;
    const auto makeSource = [&](const SourceOptions &) { return std::make_unique<Forward>(source); };
    const AuditHooks hooks{{}, [] { return *DateTime::instantFromCivil({2026, 12, 7, 8, 30, 0}); }};
    return runWindowless(parseCommandLine(arguments), locale, makeSource, hooks);
}

AccountRecord account(const std::string &user)
{
    AccountRecord r;
    r.account = "SALES\\" + user;
    r.user = user;
    return r;
}

const Source kDc1{"dc1", true, {}}, kDc2{"dc2", false, "timed out"}, kDc3{"dc3", false, "refused"};
const std::string kHeading = "account,user,fullName,lastLogin,lastLogoff,lastFailedLogin,lastBadLoginAddress,"
                             "badLoginCount,passwordExpires,passwordMaxAgeDays,passwordLastChanged,disabled,"
                             "locked,accountExpires,accountExpired,passwordExpired,passwordNeverExpires,created,systemAccount,container,"
                             "operatingSystem,controllersAnswered,"
                             "controllersAsked\r\n";
const std::string kJdoe = "SALES\\jdoe,jdoe,,,,,,,,,,,,,,,,,,,,0,0\r\n";

TEST(Windowless, StatusAndStreams)
{
    struct Row {
        const char *name;
        std::vector<std::string> arguments;
        void (*script)(Scripted &);
        int status;
        std::string out, err;
    } rows[] = {
        {"nothing could be listed", {"--audit", "sales"},
         [](Scripted &s) { s.listing.failure = {Failure::Kind::NotFound, "no ticket"}; }, 1, "", "no ticket\n"},
        {"no source answered", {"--audit"}, [](Scripted &s) { s.listing.sources = {kDc2, kDc3}; }, 1, "",
         "no source answered: dc2: timed out; dc3: refused\n"},
        {"some sources answered", {"--audit", "--format=csv"},
         [](Scripted &s) { s.listing.sources = {kDc1, kDc2}, s.records = {account("jdoe")}; }, 3,
         kHeading + kJdoe, "dc2: timed out; its answers are missing\n"},
        {"sorted, in the columns asked for", {"--audit", "--format=csv", "--sort=-user", "-o", "user,LOCKED"},
         [](Scripted &s) { s.listing.sources = {kDc1}, s.records = {account("jdoe"), account("sam")}; }, 0,
         "user,locked\r\nsam,\r\njdoe,\r\n", ""},
        {"the counts alone", {"--audit", "--format=csv", "--summary"},
         [](Scripted &s) { s.listing.sources = {kDc1, kDc2}, s.records = {account("jdoe"), account("sam")}, s.records[0].locked = true; }, 3,
         "accounts,locked,disabled,neverLoggedIn,passwordsExpired,controllersAnswered,controllersAsked\r\n"
         "2,1,0,0,0,1,2\r\n", "dc2: timed out; its answers are missing\n"},
        {"the source fails", {"--audit"}, [](Scripted &s) { s.throws = true; }, 1, "",
         "the accounts could not be read: out of memory\n"},
        {"one account's row", {"-p", "--format", "csv", "sales/JDOE"}, [](Scripted &s) { s.found = account("jdoe"); },
         0, kHeading + kJdoe, ""},
        {"no such account", {"-p", "--format", "csv", "sales\\nobody"},
         [](Scripted &s) { s.found.reset(), s.reason = "no user nobody", s.missing = {"dc2: x"}; },
         1, "", "no user nobody\ndc2: x; its answers are missing\n"},
        {"no controller answered", {"-p", "--per-dc", "sales\\x"},
         [](Scripted &s) { s.perDc.controllers = {{kDc2, {}, {}, {}, {}, {}, {}}}; }, 1,
         "server  answered  error      lastLogon  lastLogonTimestamp  badPwdCount  badPasswordTime  lockoutTime  pwdLastSet\n"
         "dc2     no        timed out  n/a        n/a                         n/a  n/a              n/a          n/a\n",
         "no source answered: dc2: timed out\n"},
    };
    for (const Row &row : rows) {
        Scripted source;
        row.script(source);
        const WindowlessResult result = run(row.arguments, source);
        EXPECT_EQ(result.status, row.status) << row.name;
        EXPECT_EQ(result.err, row.err) << row.name;
        EXPECT_EQ(result.out, row.out) << row.name;
    }
}

} // namespace
} // namespace tramsel
