// The account usage report: binds an account, reads how it has been used and
// writes the report (or why there is none).
#pragma once

#include <string>
#include <string_view>

namespace tramsel {

class DirectoryProvider;
class Locale;
class ReportView;

// Where the report reads from and writes to.
struct ReportServices {
    DirectoryProvider &provider;
    const Locale &locale;
    ReportView &view;
};

// How the account is named to the directory and to the user.
struct AccountNames {
    std::string path;         // "WinNT://SALES/jdoe,user"
    std::string displayName;  // "SALES\jdoe"
};

// The domain is upper-cased; an empty domain names the bare user. Nothing is
// escaped: the provider receives exactly what was typed.
AccountNames accountNames(std::string_view domain, std::string_view userName, const Locale &locale);

// The texts written to the report area.
std::string failureText(std::string_view displayName);
struct UsageValues {
    std::string lastLogin = "n/a";
    std::string lastLogoff = "n/a";
    std::string lastFailedLogin = "n/a";
    std::string lastBadLoginAddress = "n/a";
    std::string badLoginCount = "n/a";
    std::string passwordExpirationDate = "n/a";
    std::string passwordMaxAgeDays = "n/a";
    std::string passwordLastChanged = "n/a";
};
std::string usageReport(std::string_view displayName, const UsageValues &values);

// Binds the account, reads it, replaces the whole report area with the usage
// report or the failure text and releases the account. Nothing it meets
// escapes it: every failure ends only its own step. Returns whether the
// account was bound.
bool ShowAccountUsage(std::string_view domain, std::string_view userName,
                      const ReportServices &services);

} // namespace tramsel
