// How many of an audit's accounts are in each state that asks for action,
// and how many controllers answered: the line after a table, --summary,
// and the audit window's status.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "report/account_source.h"

namespace tramsel {

class Locale;

struct AccountCounts {
    std::int64_t accounts = 0;
    std::int64_t locked = 0;
    std::int64_t disabled = 0;
    std::int64_t neverLoggedIn = 0;  // no login known, as --never-logged-in
    std::int64_t passwordsExpired = 0;
    void add(const AccountRecord &record);
};

struct ControllersAnswered {
    std::size_t answered = 0;
    std::size_t asked = 0;
};
// How many of the sources answered, where they are domain controllers;
// nothing for a machine's own accounts.
std::optional<ControllersAnswered> controllersAnswered(const std::vector<Source> &sources);

// A whole number with its digits grouped by the locale: "3,010".
std::string groupedNumber(std::int64_t number, const Locale &locale);
// "2 of 2 controllers answered".
std::string controllersText(const ControllersAnswered &controllers, const Locale &locale);
// "3,010 accounts: 11 locked, 303 disabled, 2,973 never logged in, 4
// passwords expired; 2 of 2 controllers answered" (without the controllers
// for a machine's own accounts).
std::string summaryText(const AccountCounts &counts, const std::optional<ControllersAnswered> &controllers,
                        const Locale &locale);

} // namespace tramsel
