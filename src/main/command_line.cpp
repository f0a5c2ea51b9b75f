// Reading the command line and answering it without a window.
#include "main/command_line.h"

#include <algorithm>

#include "enter_user/entry.h"
#include "report/account_usage.h"
#include "report/directory_provider.h"
#include "report/locale.h"

namespace tramsel {
namespace {

bool oneOf(std::string_view name, std::span<const std::string_view> names)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

} // namespace

CommandLine parseCommandLine(std::span<const std::string> arguments, const ToolkitOptions &toolkit)
{
    CommandLine line;
    std::vector<std::string> positional;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size() && line.error.empty(); ++i) {
        const std::string &argument = arguments[i];
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            positional.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        std::string_view name(argument);
        name.remove_prefix(name.starts_with("--") ? 2 : 1);
        std::optional<std::string> inlineValue;
        if (const auto equals = name.find('='); equals != std::string_view::npos) {
            inlineValue = std::string(name.substr(equals + 1));
            name = name.substr(0, equals);
        }
        const auto value = [&]() -> std::optional<std::string> {
            if (inlineValue)
                return inlineValue;
            if (i + 1 < arguments.size())
                return arguments[++i];
            line.error = "Missing value after '" + argument + "'.";
            return std::nullopt;
        };
        const bool flag = !inlineValue;
        if (flag && (name == "p" || name == "print"))
            line.print = true;
        else if (flag && (name == "h" || name == "help"))
            line.help = true;
        else if (flag && name == "version")
            line.version = true;
        else if (name == "root") {
            if (auto dir = value())
                line.root = std::move(*dir);
        } else if (name == "server") {
            if (auto uri = value())
                line.servers.push_back(std::move(*uri));
        } else if (oneOf(name, toolkit.withValue))
            value();
        else if (!(flag && oneOf(name, toolkit.flags)))
            line.error = "Unknown option '" + std::string(name) + "'.";
    }
    if (!line.error.empty())
        return line;
    if (positional.size() > 1)
        line.error = "Name one account, as DOMAIN\\user.";
    else if (positional.size() == 1)
        line.account = positional.front();
    else if (line.print)
        line.error = "--print needs an account, as DOMAIN\\user.";
    return line;
}

std::string helpText()
{
    return "Usage: tramsel [options] [DOMAIN\\user]\n"
           "Shows how an account has been used: last login and logoff, failed logins,\n"
           "password expiry and last password change.\n"
           "\n"
           "Options:\n"
           "  -p, --print   Print the report to standard output; no window.\n"
           "  --root DIR    Read the account files below DIR instead of /.\n"
           "  --server URI  Ask this domain controller (ldap://dc1.sales.example.com);\n"
           "                may be given more than once. Without it, DNS names them.\n"
           "  -h, --help    Show this help.\n"
           "  --version     Show the version.\n"
           "\n"
           "Arguments:\n"
           "  DOMAIN\\user   The account, as DOMAIN\\user (or user).\n";
}

AccountArgument splitAccount(std::string_view argument, const Locale &locale)
{
    AccountArgument account;
    if (const auto backslash = argument.find('\\'); backslash != std::string_view::npos) {
        account.domain = upperDomain(argument.substr(0, backslash), locale);
        argument.remove_prefix(backslash + 1);
    }
    account.userName = std::string(argument);
    account.error = enter_user::userNameError(account.userName);
    return account;
}

WindowlessResult runWindowless(const CommandLine &line, const Locale &locale, const ProviderFactory &makeProvider)
{
    if (!line.error.empty())
        return {kExitBadCommandLine, {}, line.error + "\n"};
    if (line.help)
        return {kExitSuccess, helpText(), {}};
    if (line.version)
        return {kExitSuccess, "Tramsel 2.0\n", {}};
    const AccountArgument account = splitAccount(line.account.value_or(std::string()), locale);
    if (account.error)
        return {kExitBadCommandLine, {}, *account.error + "\n"};
    const auto provider = makeProvider({line.root, line.servers});
    const ReportOutcome report = accountReport(account.domain, account.userName, *provider, locale, "\n");
    WindowlessResult result{report.bound ? kExitSuccess : kExitNotBound, report.text, {}};
    if (!report.bound && !report.reason.empty())
        result.err = report.reason + "\n";
    for (const std::string &source : report.missing)
        result.err += source + "; its answers are missing\n";
    if (report.bound && !report.missing.empty())
        result.status = kExitPartial;
    return result;
}

} // namespace tramsel
