// Reading the command line.
#include <gtest/gtest.h>

#include "main/command_line.h"
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
    std::string s = std::string(line.print ? "print " : "") + (line.help ? "help " : "")
        + (line.version ? "version " : "");
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
        {{"--bogus"}, "Unknown option 'bogus'."}, {{"--print=yes", "x"}, "Unknown option 'print'."},
        {{"--root"}, "Missing value after '--root'."}, {{"x", "--server"}, "Missing value after '--server'."},
        {{"--print"}, "--print needs an account, as DOMAIN\\user."},
        {{"a\\b", "c\\d"}, "Name one account, as DOMAIN\\user."},
    };
    for (const auto &[arguments, expected] : rows)
        EXPECT_EQ(parse(arguments).error, expected);
    EXPECT_EQ(parseCommandLine(std::vector<std::string>{"-platform", "x"}).error,
              "Unknown option 'platform'.");
}

TEST(CommandLine, AccountIsSplitAtItsFirstBackslash)
{
    const testing::FakeLocale locale;
    const std::tuple<const char *, const char *, const char *, const char *> rows[] = {
        {"sales\\jdoe", "SALES", "jdoe", ""}, {"jdoe", "", "jdoe", ""}, {"\\jdoe", "", "jdoe", ""},
        {"sales\\", "SALES", "", "User Name cannot be blank"}, {"sales\\x\\y", "SALES", "x\\y", "Wrong User Name"},
        {"sales\\j doe", "SALES", "j doe", "Wrong User Name"},
    };
    for (const auto &[argument, domain, user, error] : rows) {
        const AccountArgument account = splitAccount(argument, locale);
        EXPECT_EQ(account.domain + "|" + account.userName + "|" + account.error.value_or(""),
                  std::string(domain) + "|" + user + "|" + error);
    }
}

} // namespace
} // namespace tramsel
