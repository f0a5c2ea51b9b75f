// What the program answers without a window: exit status, standard output
// and standard error for every way a run can end, with a scripted provider
// and catalog.
#include <gtest/gtest.h>

#include "main/command_line.h"
#include "support/fake_catalog.h"
#include "support/fakes.h"

namespace tramsel {
namespace {

using testing::CatalogScript;

struct Fakes {
    testing::RecordingProvider provider;
    CatalogScript catalog;
};

WindowlessResult run(std::vector<std::string> arguments, Fakes &setup)
{
    const testing::FakeLocale locale;
    const auto makeProvider = [&](const ProviderOptions &) {
        return std::make_unique<testing::RecordingProvider>(setup.provider);
    };
    const auto makeCatalog = [&](const ProviderOptions &options) {
        setup.catalog.options.push_back(options);
        return std::make_unique<testing::ScriptedCatalog>(setup.catalog);
    };
    const AuditHooks hooks{{}, [] { return *DateTime::instantFromCivil({2026, 12, 7, 8, 30, 0}); }};
    return runWindowless(parseCommandLine(arguments), locale, makeProvider, makeCatalog, hooks);
}

AccountRecord account(const std::string &user)
{
    AccountRecord r;
    r.account = "SALES\\" + user;
    r.user = user;
    return r;
}

const audit::Source kDc1{"dc1", true, {}}, kDc2{"dc2", false, "timed out"}, kDc3{"dc3", false, "refused"};
const std::string kHeading = "account,user,fullName,lastLogin,lastLogoff,lastFailedLogin,lastBadLoginAddress,"
                             "badLoginCount,passwordExpires,passwordMaxAgeDays,passwordLastChanged,disabled,"
                             "locked,accountExpires,passwordExpired,passwordNeverExpires,created,controllersAnswered,"
                             "controllersAsked\r\n";
const std::string kJdoe = "SALES\\jdoe,jdoe,,,,,,,,,,,,,,,,0,0\r\n";

TEST(Windowless, StatusAndStreams)
{
    const std::string longDomain(5000, 'a');
    struct Row {
        const char *name;
        std::vector<std::string> arguments;
        void (*script)(Fakes &);
        int status;
        std::string out, err;
    } rows[] = {
        {"bad command line", {"--audit", "--inactive", "x"}, [](Fakes &) {}, 2, "",
         "--inactive needs a whole number of days from 0 to 3650000, not 'x'.\n"},
        {"provider's reason", {"-p", "sales\\x"}, [](Fakes &s) { s.provider.bindSucceeds = false; }, 1, "*",
         "no such account\n"},
        {"no reason from the provider", {"-p", "sales\\x"},
         [](Fakes &s) { s.provider.bindSucceeds = false, s.provider.reason = ""; }, 1, "*",
         "no account 'x' could be read in 'SALES'\n"},
        {"a dot for a domain", {"-p", ".\\x"}, [](Fakes &s) { s.provider.bindSucceeds = false, s.provider.reason = ""; },
         1, "*", "'.' is not a domain or machine name\n"},
        {"a domain of 5,000 characters", {"-p", longDomain + "\\x"},
         [](Fakes &s) { s.provider.bindSucceeds = false, s.provider.reason = ""; }, 1, "*",
         "'" + std::string(60, 'A') + "...' is not a domain or machine name\n"},
        {"controllers missing from a report", {"-p", "sales\\x"},
         [](Fakes &s) { s.provider.missing = {"dc2: timed out"}; }, 3, "*", "dc2: timed out; its answers are missing\n"},
        {"nothing could be listed", {"--audit", "sales"}, [](Fakes &s) { s.catalog.listing.error = "no ticket"; }, 1,
         "", "no ticket\n"},
        {"a base the domain does not hold", {"--audit", "sales", "--base", "OU=x,DC=other"},
         [](Fakes &s) { s.catalog.listing.error = "--base OU=x,DC=other is not in sales.test"; }, 2, "",
         "--base OU=x,DC=other is not in sales.test\n"},
        {"no source answered", {"--audit"}, [](Fakes &s) { s.catalog.listing.sources = {kDc2, kDc3}; }, 1, "",
         "no source answered: dc2: timed out; dc3: refused\n"},
        {"some sources answered", {"--audit", "--format=csv"},
         [](Fakes &s) { s.catalog.listing.sources = {kDc1, kDc2}, s.catalog.records = {account("jdoe")}; }, 3,
         kHeading + kJdoe, "dc2: timed out; its answers are missing\n"},
        {"no rows is still success", {"--audit", "--format=csv", "--locked"},
         [](Fakes &s) { s.catalog.listing.sources = {kDc1}, s.catalog.records = {account("jdoe")}; }, 0, kHeading, ""},
        {"the catalog fails", {"--audit"}, [](Fakes &s) { s.catalog.throws = true; }, 1, "",
         "the accounts could not be read: out of memory\n"},
        {"one account's row, its case as typed", {"-p", "--format", "csv", "sales/JDOE"},
         [](Fakes &s) { s.catalog.records = {account("ann"), account("jdoe")}; }, 0, kHeading + kJdoe, ""},
        {"no such account", {"-p", "--format", "csv", "sales\\nobody"},
         [](Fakes &s) { s.catalog.listing.sources = {kDc1, kDc2}, s.catalog.records = {account("jdoe")}; }, 1, "",
         "no user 'nobody' in 'SALES'\ndc2: timed out; its answers are missing\n"},
        {"no per-controller view", {"-p", "--per-dc", "pc\\x"},
         [](Fakes &s) { s.catalog.perDc.error = "a per-controller view needs a domain account"; }, 1, "",
         "a per-controller view needs a domain account\n"},
        {"no controller answered", {"-p", "--per-dc", "--format=csv", "sales\\x"},
         [](Fakes &s) { s.catalog.perDc.controllers = {{kDc2, {}, {}, {}, {}, {}, {}}}; }, 1,
         "server,answered,error,lastLogon,lastLogonTimestamp,badPwdCount,badPasswordTime,lockoutTime,pwdLastSet\r\n"
         "dc2,false,timed out,,,,,,\r\n",
         "no source answered: dc2: timed out\n"},
    };
    for (const Row &row : rows) {
        Fakes setup;
        row.script(setup);
        const WindowlessResult result = run(row.arguments, setup);
        EXPECT_EQ(result.status, row.status) << row.name;
        EXPECT_EQ(result.err, row.err) << row.name;
        if (row.out != "*")
            EXPECT_EQ(result.out, row.out) << row.name;
        else
            EXPECT_EQ(result.out.empty(), false) << row.name;
    }
}

TEST(Windowless, WhatTheCatalogIsAskedFor)
{
    Fakes setup;
    run({"--audit", "sales.example.com", "--base", "OU=Staff", "--root", "/img", "--server", "ldap://dc1"}, setup);
    run({"-p", "--format", "json", "sales/jdoe"}, setup);
    run({"-p", "--per-dc", "jdoe"}, setup);
    ASSERT_EQ(setup.catalog.requests.size(), 3u);
    const auto text = [](const audit::Request &r) { return r.domain + "|" + r.base + "|" + r.user; };
    EXPECT_EQ(text(setup.catalog.requests[0]), "SALES.EXAMPLE.COM|OU=Staff|");
    EXPECT_EQ(text(setup.catalog.requests[1]), "SALES||jdoe");
    EXPECT_EQ(text(setup.catalog.requests[2]), "||jdoe");
    EXPECT_EQ(setup.catalog.options[0].root + "|" + setup.catalog.options[0].servers.at(0), "/img|ldap://dc1");
}

TEST(Windowless, ProgressLineRewritesItself)
{
    ProgressLine line;
    EXPECT_EQ(line.done(), "");
    EXPECT_EQ(line.update({0, 12, 0}), "\r0 of 12 sources done, 0 accounts read");
    // A finished source always shows, even at once; a shorter line covers the longer one.
    EXPECT_EQ(line.update({1, 2, 5}), "\r1 of 2 sources done, 5 accounts read ");
    EXPECT_EQ(line.done(), "\r" + std::string(36, ' ') + "\r");
}

} // namespace
} // namespace tramsel
