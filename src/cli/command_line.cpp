// Reading the command line, and its help.
#include "cli/command_line.h"

#include <algorithm>
#include <charconv>

#include "output/controller_columns.h"
#include "report/account_path.h"
#include "report/columns.h"

namespace tramsel {
namespace {

bool oneOf(std::string_view name, std::span<const std::string_view> names)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

// What an option needs beside it.
enum class Needs { Nothing, Print, Audit, PrintOrAudit };

// One option: its names, its value's name (none: it takes no value), what
// it needs, what it does with its value (setting line.error when the value
// is bad), and its help, whose later lines are indented as it shows them.
struct Option {
    std::string_view name;
    std::string_view shortName;
    std::string_view valueName;
    Needs needs;
    void (*apply)(CommandLine &line, const std::string &value);
    std::string_view help;
    bool takesValue() const { return !valueName.empty(); }
};

constexpr int kMaxDays = 3'650'000;  // ten thousand years

std::optional<int> daysFrom(const std::string &text)
{
    int days = 0;
    const char *end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, days);
    if (error != std::errc() || stop != end || text.front() == '-' || days > kMaxDays)
        return std::nullopt;
    return days;
}

void setDays(CommandLine &line, std::optional<int> &days, std::string_view option, const std::string &value)
{
    days = daysFrom(value);
    if (!days)
        line.error = "--" + std::string(option) + " needs a whole number of days from 0 to "
            + std::to_string(kMaxDays) + ", not '" + value + "'.";
}

// The columns a comma-separated LIST names; with `signs`, a key may start
// with '-' for a descending order.
void setColumns(CommandLine &line, const std::string &list, bool signs)
{
    for (std::size_t at = 0; at <= list.size() && line.error.empty();) {
        const std::size_t comma = std::min(list.find(',', at), list.size());
        std::string_view key = std::string_view(list).substr(at, comma - at);
        const bool descending = signs && key.starts_with('-');
        key.remove_prefix(descending ? 1 : 0);
        const Column<AccountRecord> *column = accountColumn(key);
        if (!column)
            line.error = key.empty() ? "A column is missing in '" + list + "'."
                                     : "Unknown column '" + std::string(key) + "': --help lists the column keys.";
        else if (signs)
            line.sort.push_back({column, descending});
        else
            line.columns.push_back(column);
        at = comma + 1;
    }
}

// --help's Options, then its Filters (the options that need --audit and narrow the rows).
const Option kOptions[] = {
    {"print", "p", "", Needs::Nothing, [](CommandLine &l, const std::string &) { l.print = true; },
     "Print the report to standard output; no window."},
    {"audit", "", "", Needs::Nothing, [](CommandLine &l, const std::string &) { l.audit = true; },
     "List every user account of DOMAIN (without one, of this\n"
     "machine), merged over every domain controller; no window."},
    {"format", "", "FORMAT", Needs::PrintOrAudit,
     [](CommandLine &l, const std::string &v) {
         l.format = audit::formatNamed(v);
         if (!l.format)
             l.error = "Unknown format '" + v + "': use " + audit::formatNames() + ".";
     },
     "{formats}: with --print the account's row instead\n"
     "of the report; with --audit every row (table by default)."},
    {"columns", "o", "LIST", Needs::PrintOrAudit,
     [](CommandLine &l, const std::string &v) { setColumns(l, v, false); },
     "Show these columns, in this order (keys from the list\n"
     "below, comma-separated). A table shows account, fullName,\n"
     "lastLogin, lastFailedLogin, badLoginCount, passwordExpires,\n"
     "disabled and locked unless told; CSV and JSON all."},
    {"sort", "", "KEYS", Needs::Audit, [](CommandLine &l, const std::string &v) { setColumns(l, v, true); },
     "With --audit: sort by these columns in turn (comma-\n"
     "separated; -KEY descending), values not known last.\n"
     "Without it, rows come as listed: a domain's by user name."},
    {"summary", "", "", Needs::Audit, [](CommandLine &l, const std::string &) { l.summary = true; },
     "With --audit: only the counts (accounts, locked, disabled,\n"
     "never logged in, passwords expired, controllers answered)."},
    {"per-dc", "", "", Needs::Print, [](CommandLine &l, const std::string &) { l.perController = true; },
     "With --print: what each domain controller says of the\n"
     "account, one row a controller."},
    {"root", "", "DIR", Needs::Nothing, [](CommandLine &l, const std::string &v) { l.root = v; },
     "Read the account files below DIR instead of /."},
    {"server", "", "URI", Needs::Nothing, [](CommandLine &l, const std::string &v) { l.servers.push_back(v); },
     "Ask this domain controller (ldap://dc1.sales.example.com,\n"
     "or ldaps:// for TLS, its certificate always verified);\n"
     "may be given more than once. Without it, DNS names them."},
    {"base", "", "DN", Needs::Audit, [](CommandLine &l, const std::string &v) { l.base = v; },
     "With --audit: only the accounts below this AD container."},
    {"computers", "", "", Needs::Audit, [](CommandLine &l, const std::string &) { l.computers = true; },
     "With --audit: the computer accounts of an AD domain\n"
     "(objectCategory=computer) instead of the users."},
    {"help", "h", "", Needs::Nothing, [](CommandLine &l, const std::string &) { l.help = true; }, "Show this help."},
    {"version", "", "", Needs::Nothing, [](CommandLine &l, const std::string &) { l.version = true; },
     "Show the version."},
    {"inactive", "", "DAYS", Needs::Audit,
     [](CommandLine &l, const std::string &v) { setDays(l, l.filters.inactiveDays, "inactive", v); },
     "No login in the last DAYS days, never counting, unless the\n"
     "account was created within them."},
    {"never-logged-in", "", "", Needs::Audit, [](CommandLine &l, const std::string &) { l.filters.neverLoggedIn = true; },
     "No login known."},
    {"locked", "", "", Needs::Audit, [](CommandLine &l, const std::string &) { l.filters.locked = true; },
     "Locked out now."},
    {"disabled", "", "", Needs::Audit, [](CommandLine &l, const std::string &) { l.filters.disabled = true; },
     "Disabled (on Linux: the account has expired)."},
    {"enabled", "", "", Needs::Audit, [](CommandLine &l, const std::string &) { l.filters.enabled = true; },
     "Not disabled."},
    {"account-expired", "", "", Needs::Audit, [](CommandLine &l, const std::string &) { l.filters.accountExpired = true; },
     "Its expiry has passed (in AD that is no disabled\naccount; on Linux it is)."},
    {"password-never-expires", "", "", Needs::Audit,
     [](CommandLine &l, const std::string &) { l.filters.passwordNeverExpires = true; },
     "By the policy, or by the account's own flag\n(AD's userAccountControl bit 0x10000)."},
    {"user-accounts", "", "", Needs::Audit, [](CommandLine &l, const std::string &) { l.filters.userAccounts = true; },
     "Not a system account."},
    {"system-accounts", "", "", Needs::Audit,
     [](CommandLine &l, const std::string &) { l.filters.systemAccounts = true; },
     "A system account: on Linux a uid outside UID_MIN..UID_MAX\n"
     "of login.defs (1000..60000 when unset); in AD one with\n"
     "isCriticalSystemObject (Administrator, krbtgt ...)."},
    {"password-expires-within", "", "DAYS", Needs::Audit,
     [](CommandLine &l, const std::string &v) {
         setDays(l, l.filters.passwordExpiresWithinDays, "password-expires-within", v);
     },
     "The password expires within DAYS days, or has expired."},
};

bool isFilter(const Option &option)
{
    constexpr std::string_view kShaping[] = {"base", "computers", "sort", "summary"};
    return option.needs == Needs::Audit && !oneOf(option.name, kShaping);
}

// "  -p, --print      Print ..." with the help's later lines under its first.
std::string optionHelp(bool filters)
{
    constexpr std::size_t kHelpColumn = 19;
    std::string text;
    for (const Option &option : kOptions) {
        if (isFilter(option) != filters)
            continue;
        std::string label = "  " + (option.shortName.empty() ? "" : "-" + std::string(option.shortName) + ", ")
            + "--" + std::string(option.name) + (option.takesValue() ? " " + std::string(option.valueName) : "");
        label += label.size() > kHelpColumn ? "\n" + std::string(kHelpColumn, ' ')
                                            : std::string(std::max(kHelpColumn, label.size() + 2) - label.size(), ' ');
        std::string help(option.help);
        if (const auto at = help.find("{formats}"); at != std::string::npos)
            help.replace(at, 9, audit::formatNames());
        for (std::size_t at = 0; (at = help.find('\n', at)) != std::string::npos; at += kHelpColumn + 1)
            help.insert(at + 1, kHelpColumn, ' ');
        text += label + help + "\n";
    }
    return text;
}

const Option *optionNamed(std::string_view name)
{
    for (const Option &option : kOptions)
        if (name == option.name || (!option.shortName.empty() && name == option.shortName))
            return &option;
    return nullptr;
}

// The first option given without what it needs, and the message that says so.
std::string missingNeed(const CommandLine &line, const std::vector<const Option *> &given)
{
    for (const Option *option : given) {
        const std::string name = "--" + std::string(option->name);
        switch (option->needs) {
        case Needs::Print:
            if (!line.print)
                return name + " needs --print and an account.";
            break;
        case Needs::Audit:
            if (!line.audit)
                return name + " needs --audit.";
            break;
        case Needs::PrintOrAudit:
            if (!line.print && !line.audit)
                return name + " needs --print or --audit.";
            break;
        case Needs::Nothing:
            break;
        }
    }
    return {};
}

// The whole line once every argument is read: what depends on several options.
void checkWhole(CommandLine &line, const std::vector<const Option *> &given, std::vector<std::string> &positional)
{
    // Help and the version are answered whatever else the line asks.
    if (line.help || line.version)
        return;
    if (line.print && line.audit)
        line.error = "Use --print or --audit, not both.";
    else if (line.filters.disabled && line.filters.enabled)
        line.error = "Use --disabled or --enabled, not both.";
    else if (line.filters.userAccounts && line.filters.systemAccounts)
        line.error = "Use --user-accounts or --system-accounts, not both.";
    else if (line.perController && line.audit)
        line.error = "--per-dc needs --print and an account.";
    else if (std::string need = missingNeed(line, given); !need.empty())
        line.error = std::move(need);
    else if (!line.columns.empty() && (line.perController || (line.print && !line.format)))
        line.error = line.perController ? "--columns chooses the account's columns, not --per-dc's."
                                        : "--columns needs --format with --print.";
    else if (!line.columns.empty() && line.summary)
        line.error = "--summary shows no columns: use --columns or --summary.";
    else if (line.audit && positional.size() > 1)
        line.error = "Name one domain to audit.";
    else if (line.audit && positional.size() == 1 && positional.front().find_first_of("\\/") != std::string::npos)
        line.error = "Name a domain to audit, not an account.";
    else if (positional.size() > 1)
        line.error = "Name one account, as DOMAIN\\user.";
    else if (positional.empty() && line.print)
        line.error = "--print needs an account, as DOMAIN\\user.";
    if (line.error.empty() && positional.size() == 1)
        line.account = positional.front();
}

// "  key    what it holds" for each column of a table.
template <class Columns> std::string columnHelp(const Columns &columns)
{
    std::string text;
    for (const auto &column : columns)
        text.append("  ").append(column.key).append(22 - std::min<std::size_t>(20, column.key.size()), ' ')
            .append(column.help).append("\n");
    return text;
}

} // namespace

CommandLine parseCommandLine(std::span<const std::string> arguments, const ToolkitOptions &toolkit)
{
    CommandLine line;
    std::vector<std::string> positional;
    std::vector<const Option *> given;
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
        if (const Option *option = optionNamed(name)) {
            given.push_back(option);
            // --audit=SALES names the domain, as --audit SALES does.
            const bool domainValue = option->name == "audit" && inlineValue;
            if (!option->takesValue() && inlineValue && !domainValue) {
                line.error = "Option '" + std::string(name) + "' takes no value.";
                break;
            }
            const auto text = option->takesValue() || domainValue ? value() : std::optional<std::string>("");
            if (domainValue && !text->empty())
                positional.push_back(*text);
            if ((option->takesValue() || domainValue) && text && text->empty())
                line.error = "The value of '--" + std::string(option->name) + "' cannot be empty.";
            else if (text)
                option->apply(line, *text);
        } else if (oneOf(name, toolkit.withValue))
            value();
        else if (!(!inlineValue && oneOf(name, toolkit.flags)))
            line.error = "Unknown option '" + argument.substr(0, argument.find('=')) + "'.";
    }
    if (line.error.empty())
        checkWhole(line, given, positional);
    return line;
}

std::string helpText()
{
    return "Usage: tramsel [options] [DOMAIN\\user]\n"
           "       tramsel --print [--format FORMAT | --per-dc] [options] DOMAIN\\user\n"
           "       tramsel --audit [filters] [--format FORMAT] [options] [DOMAIN]\n"
           "Shows how an account has been used: last login and logoff, failed logins,\n"
           "password expiry and last password change. --audit lists every user account\n"
           "of a domain or machine with the same values and its state.\n"
           "\n"
           "Options:\n"
        + optionHelp(false) + "\nFilters of --audit, each narrowing the rows (all must hold):\n" + optionHelp(true)
        + "\nColumns of --audit, --format, --columns and --sort (CSV headings, JSON keys):\n"
        + columnHelp(accountColumns())
        + "\nColumns of --per-dc:\n"
        + columnHelp(audit::controllerColumns())
        + "\nTables show times as the report does and control characters as escapes\n"
          "(\\u202e); on a terminal they cut a cell at 40 columns and end with the counts.\n"
          "CSV (RFC 4180, UTF-8) and JSON, never cut, show times in ISO 8601 with their\n"
          "offset from UTC, flags as true or false, and leave what is not known empty\n"
          "(null in JSON). JSON is one document:\n"
          "{\"domain\", \"generated\", \"controllers\", \"accounts\"}, with one account for\n"
          "--print --format json, and \"summary\" in place of \"accounts\" with --summary.\n"
          "\n"
          "Exit status: 0 every source answered (no rows is still 0); 1 nothing could\n"
          "be read, or the account was not found (why goes to standard error); 2 a bad\n"
          "command line; 3 some domain controllers did not answer (standard error names\n"
          "them; what the others said is printed).\n"
          "\n"
          "Arguments:\n"
          "  DOMAIN\\user   The account, as DOMAIN\\user, DOMAIN/user or user.\n"
          "  DOMAIN        A NetBIOS or DNS domain name, or this machine's name.\n";
}

AccountArgument splitAccount(std::string_view argument, const Locale &locale)
{
    AccountArgument account;
    if (const auto separator = argument.find_first_of("\\/"); separator != std::string_view::npos) {
        account.domain = upperDomain(argument.substr(0, separator), locale);
        argument.remove_prefix(separator + 1);
    }
    account.userName = std::string(argument);
    account.error = userNameError(account.userName);
    if (!account.error && account.userName.find('/') != std::string::npos)
        account.error = "Wrong User Name";
    return account;
}

} // namespace tramsel
