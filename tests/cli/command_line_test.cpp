// Reading the command line.
#include <gtest/gtest.h>

#include "cli/command_line.h"
#include "support/fakes.h"

namespace tramsel {
namespace {

CommandLine parse(std::vector<std::string> arguments)
{
    static constexpr std::string_view withValue[] = {"platform"};
    static constexpr std::string_view flags[] = {"reverse"};
    return parseCommandLine(arguments, {withValue, flags});
}

TEST(CommandLine, BadLines)
{
    const std::pair<std::vector<std::string>, const char *> rows[] = {
        {{"--audit", "--disabled", "--enabled"}, "Use --disabled or --enabled, not both."}, {{"--print=yes", "x"}, "Option 'print' takes no value."},
        {{"--computers", "SALES"}, "--computers needs --audit."},
        {{"--server=", "x"}, "The value of '--server' cannot be empty."},
        {{"--audit", "--inactive", "-1"}, "--inactive needs a whole number of days from 0 to 3650000, not '-1'."},
        {{"--audit", "--format", "xml"}, "Unknown format 'xml': use table, csv or json."},
        {{"--audit", "--sort", "user,-bogus"}, "Unknown column 'bogus': --help lists the column keys."},
        {{"--audit", "-o", "user,,locked"}, "A column is missing in 'user,,locked'."},
        {{"-p", "-o", "user", "x"}, "--columns needs --format with --print."},
        {{"-p", "--per-dc", "-o", "user", "x"}, "--columns chooses the account's columns, not --per-dc's."},
        {{"-p", "--base", "DC=x", "x"}, "--base needs --audit."},
        {{"--audit", "-p", "x"}, "Use --print or --audit, not both."}, {{"--audit", "a", "b"}, "Name one domain to audit."},
        {{"--audit", "SALES\\jdoe"}, "Name a domain to audit, not an account."},
        {{"--root"}, "Missing value after '--root'."},
        {{"--print"}, "--print needs an account, as DOMAIN\\user."}, {{"a\\b", "c\\d"}, "Name one account, as DOMAIN\\user."},
    };
    for (const auto &[arguments, expected] : rows)
        EXPECT_EQ(parse(arguments).error, expected);
    // The toolkit's own options pass, and only those it names.
    const CommandLine toolkit = parse({"-platform", "offscreen", "-reverse", "x"});
    EXPECT_EQ(toolkit.error + "|" + toolkit.account.value_or("none"), "|x");
    EXPECT_EQ(parseCommandLine(std::vector<std::string>{"-platform", "x"}).error, "Unknown option '-platform'.");
}

TEST(CommandLine, EachFilterFlagSetsItsFilter)
{
    using audit::Filters;
    const std::pair<const char *, bool Filters::*> flags[] = {
        {"--never-logged-in", &Filters::neverLoggedIn}, {"--locked", &Filters::locked}, {"--disabled", &Filters::disabled},
        {"--enabled", &Filters::enabled}, {"--account-expired", &Filters::accountExpired},
        {"--password-never-expires", &Filters::passwordNeverExpires}, {"--user-accounts", &Filters::userAccounts},
        {"--system-accounts", &Filters::systemAccounts},
    };
    for (const auto &[flag, field] : flags)
        EXPECT_TRUE(parse({"--audit", flag}).filters.*field) << flag;
}

TEST(CommandLine, AccountIsSplitAtItsFirstSeparator)
{
    const testing::FakeLocale locale;
    const std::tuple<const char *, const char *, const char *, const char *> rows[] = {
        {"jdoe", "", "jdoe", ""}, {"\\jdoe", "", "jdoe", ""},
        {"sales\\", "SALES", "", "User Name cannot be blank"}, {"sales\\x\\y", "SALES", "x\\y", "Wrong User Name"},
        // A slash separates as a backslash does; whichever comes first.
        {"sales/jdoe", "SALES", "jdoe", ""}, {"sales/x/y", "SALES", "x/y", "Wrong User Name"},
        {"a/b\\c", "A", "b\\c", "Wrong User Name"},
    };
    for (const auto &[argument, domain, user, error] : rows) {
        const AccountArgument account = splitAccount(argument, locale);
        EXPECT_EQ(account.domain + "|" + account.userName + "|" + account.error.value_or(""),
                  std::string(domain) + "|" + user + "|" + error);
    }
}

} // namespace
} // namespace tramsel
