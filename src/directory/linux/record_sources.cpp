// Reading the login records of one user or of every user.
#include "directory/linux/record_sources.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unordered_set>

namespace tramsel::linux_accounts {

namespace {
constexpr const char *kWtmp = "/var/log/wtmp";
constexpr const char *kBtmp = "/var/log/btmp";
constexpr const char *kLastlog = "/var/log/lastlog";
constexpr const char *kLastlog2 = "/var/lib/lastlog/lastlog2.db";
constexpr const char *kWtmpdb = "/var/lib/wtmpdb/wtmp.db";
constexpr const char *kFaillockConf = "/etc/security/faillock.conf";
} // namespace

// A log's rotated file may be missing; its own file should not.
RecordLog RecordSources::log(const std::string &path)
{
    return RecordLog(UtmpRecord::kSize, {[this, p = path + ".1"] { return files_.open(p); },
                                         [this, path] { return open(path); }});
}

std::unique_ptr<ReadableFile> RecordSources::open(const std::string &path)
{
    auto file = files_.open(path);
    if (!file && !errorOn(path.c_str()))
        failed_.emplace_back(path, files_.lastError());
    return file;
}

std::vector<std::string> RecordSources::unread(const UnknownValues &unknown) const
{
    struct Log {
        const char *path;
        bool logins, logoffs, failures;
    };
    // The first of each kind is named when every one is merely missing.
    static constexpr Log kLogs[] = {{kWtmp, true, true, false},      {kWtmpdb, true, true, false},
                                    {kLastlog, true, false, false},  {kLastlog2, true, false, false},
                                    {kBtmp, false, false, true}};
    const auto errorOf = [&](const char *path) -> std::optional<int> {
        for (const auto &[failedPath, error] : failed_)
            if (failedPath == path)
                return error;
        return std::nullopt;
    };
    std::vector<std::string> lines;
    for (const Log &log : kLogs) {
        const auto error = errorOf(log.path);
        std::vector<std::string> what;
        if (log.logins && unknown.logins)
            what.emplace_back("last logins");
        if (log.logoffs && unknown.logoffs)
            what.emplace_back("last logoffs");
        if (log.failures && unknown.failures)
            what.emplace_back("failed logins");
        const bool primary = log.path == kWtmp || log.path == kBtmp;
        if (!error || what.empty() || (*error == ENOENT && !primary))
            continue;
        std::string line = shownRoot_ + log.path + ": " + (*error ? std::strerror(*error) : "cannot be read") + "; ";
        for (std::size_t i = 0; i < what.size(); ++i)
            line += (i == 0 ? "" : i + 1 == what.size() ? " and " : ", ") + what[i];
        lines.push_back(line + " are unknown");
    }
    return lines;
}

std::optional<std::string> RecordSources::unreadShadow()
{
    if (files_.open("/etc/shadow"))
        return std::nullopt;
    const int error = files_.lastError();
    return shownRoot_ + "/etc/shadow: " + (error ? std::strerror(error) : "cannot be read")
        + "; password ageing is unknown";
}

const FaillockSettings &RecordSources::faillock()
{
    if (!faillock_) {
        const auto conf = files_.open(kFaillockConf);
        const auto text = conf ? readText(*conf) : std::nullopt;
        faillock_ = parseFaillockConf(text.value_or(""));
    }
    return *faillock_;
}

const UidRange &RecordSources::userUids()
{
    if (!userUids_) {
        const auto defs = files_.open("/etc/login.defs");
        userUids_ = parseLoginDefs(defs ? readText(*defs).value_or("") : "");
    }
    return *userUids_;
}

std::optional<TallySummary> RecordSources::tally(const std::string &user)
{
    const FaillockSettings &settings = faillock();
    RecordLog file(TallyRecord::kSize, {[this, path = settings.dir + "/" + user] { return files_.open(path); }});
    return summarizeTally(file, settings.failIntervalSeconds);
}

// A SQLite database opened by SQLite itself, once `files` has found it. A
// tree's database is named by its open descriptor, so that a link in the
// tree cannot lead SQLite out of it; the file stays open meanwhile.
template <typename Query>
auto RecordSources::queryDatabase(const std::string &path, Query query) -> decltype(query(std::string()))
{
    const auto file = open(path);
    if (!file)
        return {};
    if (databaseState_ == DatabaseState::Live)
        return query(databaseUri(path, databaseState_));
    const std::string held = file->descriptorPath();
    if (held.empty())
        return {};
    return query(databaseUri(held, databaseState_));
}

UserRecords RecordSources::forUser(const PasswdEntry &user)
{
    UserRecords records;
    records.lastlog2 = queryDatabase(kLastlog2, [&](const std::string &uri) { return lastlog2Login(uri, user.name); });
    records.lastlog2Read = !errorOn(kLastlog2);
    records.wtmpdb = queryDatabase(kWtmpdb, [&](const std::string &uri) { return wtmpdbSession(uri, user.name); });
    if (const auto file = open(kLastlog)) {
        records.lastlogRead = true;
        if (const auto entry = lastlogEntry(*file, user.uid))
            records.lastlog = entry->seconds;
    }
    RecordLog wtmp = log(kWtmp);
    records.wtmp = latestSession(wtmp, user.name);
    records.tally = tally(user.name);
    RecordLog btmp = log(kBtmp);
    records.btmp = summarizeFailures(btmp, user.name, btmpQuery(records));
    return records;
}

std::vector<UserRecords> RecordSources::forUsers(std::span<const PasswdEntry> users)
{
    if (users.empty())
        return {};
    std::vector<std::string> names;
    std::vector<std::uint32_t> uids;
    for (const PasswdEntry &user : users) {
        names.push_back(user.name);
        uids.push_back(user.uid);
    }
    std::vector<UserRecords> records(users.size());

    const auto lastlog2 = queryDatabase(kLastlog2, [&](const std::string &uri) { return lastlog2Logins(uri, names); });
    const auto wtmpdb = queryDatabase(kWtmpdb, [&](const std::string &uri) { return wtmpdbSessions(uri, names); });
    for (std::size_t i = 0; i < lastlog2.size(); ++i)
        records[i].lastlog2 = lastlog2[i];
    for (UserRecords &user : records)
        user.lastlog2Read = !errorOn(kLastlog2);
    for (std::size_t i = 0; i < wtmpdb.size(); ++i)
        records[i].wtmpdb = wtmpdb[i];

    if (const auto file = open(kLastlog)) {
        for (UserRecords &user : records)
            user.lastlogRead = true;
        const auto entries = lastlogEntries(*file, uids);
        for (std::size_t i = 0; i < entries.size(); ++i)
            if (entries[i])
                records[i].lastlog = entries[i]->seconds;
    }

    // Few users have a tally: the folder tells which, instead of an open
    // that fails for each of the others.
    const auto listed = files_.names(faillock().dir);
    const std::unordered_set<std::string> present = listed ? std::unordered_set<std::string>(listed->begin(), listed->end())
                                                           : std::unordered_set<std::string>();
    for (std::size_t i = 0; i < users.size(); ++i)
        if (!listed || present.contains(names[i]))
            records[i].tally = tally(names[i]);

    // btmp's counts start from the last login: the other sources' are in
    // the queries, and wtmp's come from its walk beside.
    std::vector<FailureQuery> queries;
    for (const UserRecords &user : records)
        queries.push_back(btmpQuery(user));
    RecordLog wtmp = log(kWtmp);
    RecordLog btmp = log(kBtmp);
    auto [sessions, failures] = walkLogins(wtmp, btmp, names, queries);
    for (std::size_t i = 0; i < users.size(); ++i) {
        records[i].wtmp = std::move(sessions[i]);
        records[i].btmp = std::move(failures[i]);
    }
    return records;
}

} // namespace tramsel::linux_accounts
