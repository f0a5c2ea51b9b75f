// How one user's login records and shadow entry add up to the report's
// values: which source wins, what is counted, and shadow's password ageing.
// Pure: the same rules serve one report and a listing of every account.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "directory/linux/account_files.h"
#include "directory/linux/login_history.h"
#include "report/account_record.h"

namespace tramsel::linux_accounts {

// What each source of login records says about one user.
struct UserRecords {
    std::optional<std::int64_t> lastlog2;  // lastlog2's last login
    bool lastlog2Read = false;             // its database could be read
    SessionSummary wtmpdb;
    std::optional<std::int64_t> lastlog;   // lastlog's last login
    bool lastlogRead = false;
    SessionSummary wtmp;
    std::optional<TallySummary> tally;     // nothing: the user's tally could not be read
    FailureSummary btmp;                   // as asked by btmpQuery
    friend bool operator==(const UserRecords &, const UserRecords &) = default;
};

// What btmp must tell, given every other source: the failures since the
// last login are counted there only when no tally counts them.
FailureQuery btmpQuery(const UserRecords &records);

// The user's usage, in seconds since the epoch.
struct MergedUsage {
    struct Failure {
        std::int64_t when = 0;
        std::string address;
    };
    std::optional<std::int64_t> lastLogin;   // the latest of every source
    std::optional<std::int64_t> lastLogoff;  // the end of the latest session
    std::optional<Failure> lastFailure;      // the later of btmp's and the tally's
    std::optional<std::int64_t> badLoginCount;
};
MergedUsage mergeRecords(const UserRecords &records);

// chage(1)'s limit: a maximum age of this many days or more never expires.
inline constexpr std::int64_t kNeverExpiresDays = 10000;

// The day the password expires (days since 1970-01-01): the last change plus
// the maximum age. Nothing when either is unset or the password never expires.
std::optional<std::int64_t> passwordExpiryDay(const ShadowEntry &shadow);

// The report's values of a user: from the records, and from the shadow
// entry (none when the user has none; unknown when shadow could not be
// read). A value is unknown when none of its sources could be read. Shadow's
// days are UTC days, as pam_unix counts them.
AccountUsage accountUsage(const UserRecords &records, const Known<ShadowEntry> &shadow);

// Which of the report's values some account lacks because its sources could not be read.
struct UnknownValues {
    bool logins = false;
    bool logoffs = false;
    bool failures = false;
    bool ageing = false;
    void add(const AccountUsage &usage);
};

} // namespace tramsel::linux_accounts
