// The account columns and their report text.
#include "report/columns.h"

#include <algorithm>
#include <array>

#include "report/locale.h"

namespace tramsel {
namespace {

template <class T> Cell optionalCell(const std::optional<T> &value)
{
    return value ? Cell(PropertyValue(*value)) : std::nullopt;
}

// None and unknown alike have no cell: the report shows "n/a".
template <class T> Cell knownCell(const Known<T> &value)
{
    return value.hasValue() ? Cell(PropertyValue(*value)) : std::nullopt;
}

Cell flagCell(const std::optional<bool> &value)
{
    return value ? Cell(std::int64_t{*value ? 1 : 0}) : std::nullopt;
}

// Days as a number, or the text "None" for passwords that never expire
// (programs read that as null, beside passwordNeverExpires).
Cell maxAgeCell(const Known<MaxPasswordAge> &age)
{
    if (!age.hasValue())
        return std::nullopt;
    return age->never ? PropertyValue(std::string(kNeverExpires)) : PropertyValue(age->days);
}



const std::array kColumns{
    Column<AccountRecord>{"account", ColumnKind::Text, [](const AccountRecord &r) { return Cell(r.account); },
           "the account, as DOMAIN\\user"},
    Column<AccountRecord>{"user", ColumnKind::Text, [](const AccountRecord &r) { return Cell(r.user); },
           "the user name"},
    Column<AccountRecord>{"fullName", ColumnKind::Text, [](const AccountRecord &r) { return optionalCell(r.fullName); },
           "the full name"},
    Column<AccountRecord>{"lastLogin", ColumnKind::Time,
           [](const AccountRecord &r) { return knownCell(r.usage.lastLogin); },
           "the last login"},
    Column<AccountRecord>{"lastLogoff", ColumnKind::Time,
           [](const AccountRecord &r) { return knownCell(r.usage.lastLogoff); },
           "the last logoff"},
    Column<AccountRecord>{"lastFailedLogin", ColumnKind::Time,
           [](const AccountRecord &r) { return knownCell(r.usage.lastFailedLogin); },
           "the last failed login"},
    Column<AccountRecord>{"lastBadLoginAddress", ColumnKind::Text,
           [](const AccountRecord &r) { return knownCell(r.usage.lastBadLoginAddress); },
           "where the last failed login came from"},
    Column<AccountRecord>{"badLoginCount", ColumnKind::Count,
           [](const AccountRecord &r) { return knownCell(r.usage.badLoginCount); },
           "failed logins since the last good one"},
    Column<AccountRecord>{"passwordExpires", ColumnKind::Time,
           [](const AccountRecord &r) { return knownCell(r.usage.passwordExpires); },
           "when the password expires"},
    Column<AccountRecord>{"passwordMaxAgeDays", ColumnKind::Days,
           [](const AccountRecord &r) { return maxAgeCell(r.usage.passwordMaxAge); },
           "the password's maximum age (None: never expires)"},
    Column<AccountRecord>{"passwordLastChanged", ColumnKind::Time,
           [](const AccountRecord &r) { return knownCell(r.usage.passwordLastChanged); },
           "when the password was last changed"},
    Column<AccountRecord>{"disabled", ColumnKind::Flag, [](const AccountRecord &r) { return flagCell(r.disabled); },
           "the account is disabled (on Linux: it has expired)"},
    Column<AccountRecord>{"locked", ColumnKind::Flag, [](const AccountRecord &r) { return flagCell(r.locked); },
           "the account is locked out now"},
    Column<AccountRecord>{"accountExpires", ColumnKind::Time,
           [](const AccountRecord &r) { return optionalCell(r.accountExpires); },
           "when the account expires"},
    Column<AccountRecord>{"accountExpired", ColumnKind::Flag, [](const AccountRecord &r) { return flagCell(r.accountExpired); },
           "the account's expiry has passed"},
    Column<AccountRecord>{"passwordExpired", ColumnKind::Flag,
           [](const AccountRecord &r) { return flagCell(r.passwordExpired); },
           "the password has expired"},
    Column<AccountRecord>{"passwordNeverExpires", ColumnKind::Flag,
           [](const AccountRecord &r) { return flagCell(r.passwordNeverExpires); },
           "the password never expires"},
    Column<AccountRecord>{"created", ColumnKind::Time, [](const AccountRecord &r) { return optionalCell(r.created); },
           "when the account was created"},
    Column<AccountRecord>{"systemAccount", ColumnKind::Flag, [](const AccountRecord &r) { return flagCell(r.systemAccount); },
           "a system account (see --system-accounts)"},
    Column<AccountRecord>{"container", ColumnKind::Text, [](const AccountRecord &r) { return optionalCell(r.container); },
           "where the account lives: its parent's DN (AD)"},
    Column<AccountRecord>{"operatingSystem", ColumnKind::Text,
           [](const AccountRecord &r) { return optionalCell(r.operatingSystem); },
           "a computer's operating system (AD, --computers)"},
    Column<AccountRecord>{"controllersAnswered", ColumnKind::Count,
           [](const AccountRecord &r) { return Cell(std::int64_t{r.controllersAnswered}); },
           "controllers that listed the account (1 on a machine)"},
    Column<AccountRecord>{"controllersAsked", ColumnKind::Count,
           [](const AccountRecord &r) { return Cell(std::int64_t{r.controllersAsked}); },
           "domain controllers asked"},
};

} // namespace

std::span<const Column<AccountRecord>> accountColumns() { return kColumns; }

const Column<AccountRecord> *accountColumn(std::string_view key)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    for (const auto &column : kColumns)
        if (std::equal(key.begin(), key.end(), column.key.begin(), column.key.end(),
                       [&](char a, char b) { return lower(a) == lower(b); }))
            return &column;
    return nullptr;
}

std::vector<const Column<AccountRecord> *> tableColumns()
{
    std::vector<const Column<AccountRecord> *> columns;
    for (const std::string_view key : {"account", "fullName", "lastLogin", "lastFailedLogin", "badLoginCount",
                                       "passwordExpires", "disabled", "locked"})
        columns.push_back(accountColumn(key));
    return columns;
}

std::string reportText(const Cell &cell, const Locale &locale)
{
    return cell ? valueText(*cell, locale).value_or("n/a") : "n/a";
}

} // namespace tramsel
