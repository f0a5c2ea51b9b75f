// What the login records say about one user: the rules of last(1), lastb(1),
// lastlog(8), faillock(8) and pam_lastlog, applied to decoded records.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "directory/linux/files.h"
#include "directory/linux/records.h"

namespace tramsel::linux_accounts {

// The user's latest session in a wtmp log.
struct SessionSummary {
    bool readable = false;                     // some file of the log could be read
    std::optional<std::int64_t> login;         // seconds since the epoch
    // The end of the latest session; while that is still open, the latest
    // end of an earlier one. Absent: no session has ended (or no login).
    std::optional<std::int64_t> logoff;
    friend bool operator==(const SessionSummary &, const SessionSummary &) = default;
};
// Pairs the session end as last(1) does: the next record on the same line
// (a logout, or another login there), or a boot or shutdown, whichever
// comes first after the login.
SessionSummary latestSession(RecordLog &wtmp, std::string_view user);

// The user's latest failed login in a btmp log (any record type) and, when
// asked, the count of the user's records newer than `after` (all of them
// when there is no `after`), compared by time as pam_lastlog compares them:
// a clock set back leaves newer records anywhere in the log, so a count
// reads the whole log.
struct FailureQuery {
    bool count = false;
    std::optional<std::int64_t> after;
};
struct FailureSummary {
    bool readable = false;  // some file of the log could be read
    std::optional<std::int64_t> when;
    std::string host;
    std::int64_t countAfter = 0;  // when asked for
    friend bool operator==(const FailureSummary &, const FailureSummary &) = default;
};
FailureSummary summarizeFailures(RecordLog &btmp, std::string_view user, const FailureQuery &query);

// The user's lastlog record, at uid x 292; nothing when the file holds none
// for the uid or the user never logged in.
std::optional<LastlogRecord> lastlogEntry(const ReadableFile &lastlog, std::uint32_t uid);

// What a pam_faillock tally file holds.
struct TallySummary {
    std::optional<std::int64_t> latest;  // the latest failure, valid or not
    std::string address;                 // its remote host or tty; empty for a service
    std::int64_t validCount = 0;         // valid failures since the tally was reset
    // pam_faillock's view: its latest valid failure, and the valid failures
    // less than the interval before that one.
    std::optional<std::int64_t> latestValid;
    std::int64_t validNearLatest = 0;
    friend bool operator==(const TallySummary &, const TallySummary &) = default;
};
// `tally` is a log of the one tally file; nothing when it cannot be read.
std::optional<TallySummary> summarizeTally(RecordLog &tally, std::int64_t failIntervalSeconds);

// A ut_user field holds at most 32 bytes: longer names are cut there.
bool utmpUserIs(std::string_view recordUser, std::string_view user);

// Every user at once: one walk of each log answers for all the users named,
// by the same rules as above, one result per user in the order given. The
// walks go to the log's first record; memory grows with the users and the
// log's lines, never with its records.
std::vector<SessionSummary> latestSessions(RecordLog &wtmp, std::span<const std::string> users);
// `queries` holds one query per user.
std::vector<FailureSummary> summarizeFailures(RecordLog &btmp, std::span<const std::string> users,
                                              std::span<const FailureQuery> queries);
// Both walks at once, on two threads, where a count must start from the last
// login that wtmp holds: a count starts after the later of its query's
// `after` and the user's latest login in wtmp. The same results as the two
// functions above, in about the time of the longer walk. The btmp walk holds
// at most `holdAtMost` failures whose user's login wtmp has not yet given.
struct LoginHistories {
    std::vector<SessionSummary> sessions;
    std::vector<FailureSummary> failures;
};
LoginHistories walkLogins(RecordLog &wtmp, RecordLog &btmp, std::span<const std::string> users,
                          std::span<const FailureQuery> queries, std::size_t holdAtMost = 256 * 1024);
// Nearby uids' records are read together.
std::vector<std::optional<LastlogRecord>> lastlogEntries(const ReadableFile &lastlog,
                                                         std::span<const std::uint32_t> uids);

} // namespace tramsel::linux_accounts
