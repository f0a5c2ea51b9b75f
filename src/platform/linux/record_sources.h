// Where a Linux machine keeps its login records, and reading them for one
// user (a report) or for every user at once (a listing).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/linux/account_files.h"
#include "platform/linux/files.h"
#include "platform/linux/login_databases.h"
#include "platform/linux/usage_merge.h"

namespace tramsel::linux_accounts {

// wtmp, btmp and their rotated files, lastlog, lastlog2's and wtmpdb's
// databases and pam_faillock's tallies, all reached through `files`.
class RecordSources {
public:
    RecordSources(FileReader &files, DatabaseState databaseState) : files_(files), databaseState_(databaseState) {}

    // One user's records: each file is read at most once, and each walk
    // stops as soon as it knows the answer.
    UserRecords forUser(const PasswdEntry &user, std::int64_t now);
    // Every user's records, one per user in the order given: each file is
    // read once for all of them.
    std::vector<UserRecords> forUsers(std::span<const PasswdEntry> users, std::int64_t now);

    // pam_faillock's settings, from faillock.conf.
    const FaillockSettings &faillock();

private:
    RecordLog log(const std::string &path);
    std::optional<TallySummary> tally(const std::string &user, std::int64_t now);
    template <typename Query> auto queryDatabase(const std::string &path, Query query) -> decltype(query(std::string()));

    FileReader &files_;
    DatabaseState databaseState_;
    std::optional<FaillockSettings> faillock_;
};

} // namespace tramsel::linux_accounts
