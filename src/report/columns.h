// The columns of an account: one table that every output walks, the
// report's lines, the audit's table, CSV and JSON alike. A new column is a
// new row here, never an edit to each writer.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "report/account_record.h"

namespace tramsel {

class Locale;

// How a column's value is shown.
enum class ColumnKind {
    Text,   // a property value of any kind, or text
    Count,  // a whole number
    Time,   // a date-time
    Days,   // a number of days, or the text "None": passwords never expire
    Flag,   // yes or no (1 or 0)
};

// What a Days column holds where passwords never expire.
inline constexpr std::string_view kNeverExpires = "None";

// A value of a column; nothing when there is none or it is not known.
using Cell = std::optional<PropertyValue>;

// One column of a table of rows: the accounts', or the controllers' of the
// per-controller view.
template <class Row> struct Column {
    std::string_view key;  // the JSON key and CSV header: "lastLogin"
    ColumnKind kind;
    Cell (*cell)(const Row &row);
    std::string_view help;  // what the column holds, in a few words, for --help
};

// Every column of an account, in order: account, user, full name, the
// report's eight values, then the audit's state and how many controllers answered.
std::span<const Column<AccountRecord>> accountColumns();
// The column of that key, in any case; nullptr when there is none.
const Column<AccountRecord> *accountColumn(std::string_view key);
// The columns a table shows unless told otherwise, a row fitting about 120
// characters: account, full name, last login, last failed login, bad login
// count, password expiry, disabled and locked. (CSV and JSON show every column.)
std::vector<const Column<AccountRecord> *> tableColumns();

// A cell as the report writes it: "n/a" when it is not known or has no text.
std::string reportText(const Cell &cell, const Locale &locale);

} // namespace tramsel
