// The account usage report: binds an account, reads how it has been used and
// writes the report (or why there is none).
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "report/account_record.h"
#include "report/account_source.h"

namespace tramsel {

class Locale;
class ReportView;

// Where the report reads from and writes to.
struct ReportServices {
    AccountSource &source;
    const Locale &locale;
    ReportView &view;
};

inline constexpr std::string_view kCrLf = "\r\n";

// The report's lines: the column each shows, its label and what stands
// between the label and the value.
struct ReportLine {
    std::string_view key;
    std::string_view label;
    std::string_view tabs;
};
std::span<const ReportLine> reportLines();

// The texts written to the report area, with the given line ends.
std::string failureText(std::string_view displayName, std::string_view lineEnd = kCrLf);
std::string usageReport(std::string_view displayName, const AccountUsage &usage, const Locale &locale,
                        std::string_view lineEnd = kCrLf);

// What one report came to.
struct ReportOutcome {
    bool bound = false;
    std::string text;                  // the usage report or the failure text
    std::string reason;                // why the account was not found; may be empty
    std::vector<std::string> missing;  // sources whose answers the report lacks
    std::vector<std::string> unread;   // sources that could not be read: some values are unknown

    explicit operator bool() const { return bound; }
};

// After a report: why the account was not found, or whose answers the
// report lacks ("dc2.sales.test: ...; its answers are missing"), one line
// each, ending in LF; empty when there is nothing to tell. The main
// window's first status panel shows it as its tool tip, and it goes to
// standard error.
std::string reportWarnings(const ReportOutcome &outcome);
// The line for one source whose answers are missing ("dc2.sales.test: ...").
std::string missingWarning(std::string_view source);

// Looks the account up and builds the report (or the failure text).
// Nothing it meets escapes it.
ReportOutcome accountReport(std::string_view domain, std::string_view userName, AccountSource &source,
                            const Locale &locale, std::string_view lineEnd = kCrLf);

// The same, written over the whole report area (lines end in CR LF).
ReportOutcome ShowAccountUsage(std::string_view domain, std::string_view userName,
                               const ReportServices &services);

} // namespace tramsel
