// Where a Linux machine keeps its login records, and reading them for one
// user (a report) or for every user at once (a listing).
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "directory/linux/account_files.h"
#include "directory/linux/files.h"
#include "directory/linux/login_databases.h"
#include "directory/linux/usage_merge.h"

namespace tramsel::linux_accounts {

// wtmp, btmp and their rotated files, lastlog, lastlog2's and wtmpdb's
// databases and pam_faillock's tallies, all reached through `files`.
class RecordSources {
public:
    // `shownRoot` goes before the paths that unread() names (a tree's folder).
    RecordSources(FileReader &files, DatabaseState databaseState, std::string shownRoot = {})
        : files_(files), databaseState_(databaseState), shownRoot_(std::move(shownRoot))
    {
    }

    // One user's records: each file is read at most once, and each walk
    // stops as soon as it knows the answer.
    UserRecords forUser(const PasswdEntry &user);
    // Every user's records, one per user in the order given: each file is
    // read once for all of them.
    std::vector<UserRecords> forUsers(std::span<const PasswdEntry> users);

    // pam_faillock's settings, from faillock.conf.
    const FaillockSettings &faillock();
    // The uids of user accounts, from login.defs.
    const UidRange &userUids();

    // The logs that could not be read and left some value unknown, once
    // each, as "/var/log/btmp: Permission denied; failed logins are unknown".
    // A log that is missing is named only when none of its siblings answered.
    std::vector<std::string> unread(const UnknownValues &unknown) const;
    // The same for the shadow file, when ageing is unknown.
    std::optional<std::string> unreadShadow();

private:
    RecordLog log(const std::string &path);
    std::optional<TallySummary> tally(const std::string &user);
    template <typename Query> auto queryDatabase(const std::string &path, Query query) -> decltype(query(std::string()));

    std::unique_ptr<ReadableFile> open(const std::string &path);
    bool errorOn(const char *path) const
    {
        return std::any_of(failed_.begin(), failed_.end(), [&](const auto &f) { return f.first == path; });
    }

    FileReader &files_;
    DatabaseState databaseState_;
    std::string shownRoot_;
    std::vector<std::pair<std::string, int>> failed_;  // path and errno, as first met
    std::optional<FaillockSettings> faillock_;
    std::optional<UidRange> userUids_;
};

} // namespace tramsel::linux_accounts
