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

// What a command line asks for, in one line, so that a row shows all of it.
std::string summary(const CommandLine &line)
{
    const audit::Filters &f = line.filters;
    const char *formats[] = {"table", "csv", "json"};
    std::string s = std::string(line.print ? "print " : "") + (line.audit ? "audit " : "")
        + (line.help ? "help " : "") + (line.version ? "version " : "") + (line.perController ? "per-dc " : "")
        + (line.format ? std::string("format=") + formats[int(*line.format)] + " " : "")
        + (f.inactiveDays ? "inactive=" + std::to_string(*f.inactiveDays) + " " : "")
        + (f.neverLoggedIn ? "never " : "") + (f.locked ? "locked " : "") + (f.disabled ? "disabled " : "")
        + (f.enabled ? "enabled " : "")
        + (f.passwordExpiresWithinDays ? "expires=" + std::to_string(*f.passwordExpiresWithinDays) + " " : "");
    if (!line.base.empty())
        s += "base=" + line.base + " ";
    if (!line.root.empty())
        s += "root=" + line.root + " ";
    for (const std::string &server : line.servers)
        s += "server=" + server + " ";
    if (line.account)
        s += "account=" + *line.account;
    return s;
}

TEST(CommandLine, GoodLines)
{
    const std::pair<std::vector<std::string>, const char *> rows[] = {
        {{}, ""}, {{"sales\\jdoe"}, "account=sales\\jdoe"}, {{"-p", "sales\\jdoe"}, "print account=sales\\jdoe"},
        {{"sales\\jdoe", "--print"}, "print account=sales\\jdoe"},
        {{"--root", "/mnt", "-root=/img", "-p", "x"}, "print root=/img account=x"},
        {{"--server", "ldap://a", "--server=ldap://b", "x"}, "server=ldap://a server=ldap://b account=x"},
        {{"-platform", "offscreen", "-reverse", "x"}, "account=x"}, {{"--", "-p"}, "account=-p"},
        {{"-"}, "account=-"}, {{"--help"}, "help "}, {{"--version", "-h"}, "help version "},
        {{"--audit", "--format", "CSV"}, "audit format=csv "},
    };
    for (const auto &[arguments, expected] : rows) {
        const CommandLine line = parse(arguments);
        EXPECT_EQ(line.error, "") << expected;
        EXPECT_EQ(summary(line), expected);
    }
}

TEST(CommandLine, BadLines)
{
    const std::pair<std::vector<std::string>, const char *> rows[] = {
        {{"--bogus"}, "Unknown option '--bogus'."}, {{"---audit"}, "Unknown option '---audit'."},
        {{"--audit", "--disabled", "--enabled"}, "Use --disabled or --enabled, not both."}, {{"--print=yes", "x"}, "Option 'print' takes no value."},
        {{"--audit", "--system-accounts", "--user-accounts"}, "Use --user-accounts or --system-accounts, not both."},
        {{"--computers", "SALES"}, "--computers needs --audit."},
        {{"-p=", "x"}, "Option 'p' takes no value."},
        {{"--server=", "x"}, "The value of '--server' cannot be empty."},
        {{"--root", "", "x"}, "The value of '--root' cannot be empty."}, {{"--audit="}, "The value of '--audit' cannot be empty."},
        {{"--audit", "--inactive", "-1"}, "--inactive needs a whole number of days from 0 to 3650000, not '-1'."},
        {{"--audit", "--password-expires-within", "3650001"},
         "--password-expires-within needs a whole number of days from 0 to 3650000, not '3650001'."},
        {{"--audit", "--inactive", "9 "}, "--inactive needs a whole number of days from 0 to 3650000, not '9 '."},
        {{"--audit", "--format", "xml"}, "Unknown format 'xml': use table, csv or json."},
        {{"--format", "csv", "x"}, "--format needs --print or --audit."},
        {{"--audit", "--sort", "user,-bogus"}, "Unknown column 'bogus': --help lists the column keys."},
        {{"--audit", "-o", "user,,locked"}, "A column is missing in 'user,,locked'."},
        {{"-p", "-o", "user", "x"}, "--columns needs --format with --print."},
        {{"-p", "--per-dc", "-o", "user", "x"}, "--columns chooses the account's columns, not --per-dc's."},
        {{"--locked", "x"}, "--locked needs --audit."}, {{"-p", "--base", "DC=x", "x"}, "--base needs --audit."},
        {{"--per-dc", "x"}, "--per-dc needs --print and an account."},
        {{"--audit", "--per-dc"}, "--per-dc needs --print and an account."},
        {{"--audit", "-p", "x"}, "Use --print or --audit, not both."}, {{"--audit", "a", "b"}, "Name one domain to audit."},
        {{"--audit", "SALES\\jdoe"}, "Name a domain to audit, not an account."},
        {{"--audit", "SALES/jdoe"}, "Name a domain to audit, not an account."},
        {{"--root"}, "Missing value after '--root'."}, {{"x", "--server"}, "Missing value after '--server'."},
        {{"--print"}, "--print needs an account, as DOMAIN\\user."}, {{"a\\b", "c\\d"}, "Name one account, as DOMAIN\\user."},
    };
    for (const auto &[arguments, expected] : rows)
        EXPECT_EQ(parse(arguments).error, expected);
    EXPECT_EQ(parseCommandLine(std::vector<std::string>{"-platform", "x"}).error,
              "Unknown option '-platform'.");
}

TEST(CommandLine, AccountIsSplitAtItsFirstSeparator)
{
    const testing::FakeLocale locale;
    const std::tuple<const char *, const char *, const char *, const char *> rows[] = {
        {"sales\\jdoe", "SALES", "jdoe", ""}, {"jdoe", "", "jdoe", ""}, {"\\jdoe", "", "jdoe", ""},
        {"sales\\", "SALES", "", "User Name cannot be blank"}, {"sales\\x\\y", "SALES", "x\\y", "Wrong User Name"},
        {"sales\\j doe", "SALES", "j doe", "Wrong User Name"},
        // A slash separates as a backslash does; whichever comes first.
        {"sales/jdoe", "SALES", "jdoe", ""}, {"/jdoe", "", "jdoe", ""}, {"sales/x/y", "SALES", "x/y", "Wrong User Name"},
        {"sales\\x/y", "SALES", "x/y", "Wrong User Name"}, {"a/b\\c", "A", "b\\c", "Wrong User Name"},
    };
    for (const auto &[argument, domain, user, error] : rows) {
        const AccountArgument account = splitAccount(argument, locale);
        EXPECT_EQ(account.domain + "|" + account.userName + "|" + account.error.value_or(""),
                  std::string(domain) + "|" + user + "|" + error);
    }
}

} // namespace
} // namespace tramsel
