// Reading the login records of one user or of every user.
#include "platform/linux/record_sources.h"

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

RecordLog RecordSources::log(const std::string &path)
{
    const auto opener = [this](std::string p) { return [this, p = std::move(p)] { return files_.open(p); }; };
    return RecordLog(UtmpRecord::kSize, {opener(path + ".1"), opener(path)});
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

std::optional<TallySummary> RecordSources::tally(const std::string &user, std::int64_t now)
{
    const FaillockSettings &settings = faillock();
    RecordLog file(TallyRecord::kSize, {[this, path = settings.dir + "/" + user] { return files_.open(path); }});
    return summarizeTally(file, now, settings.failIntervalSeconds);
}

// A SQLite database opened by SQLite itself, once `files` has found it. A
// tree's database is named by its open descriptor, so that a link in the
// tree cannot lead SQLite out of it; the file stays open meanwhile.
template <typename Query>
auto RecordSources::queryDatabase(const std::string &path, Query query) -> decltype(query(std::string()))
{
    const auto file = files_.open(path);
    if (!file)
        return {};
    if (databaseState_ == DatabaseState::Live)
        return query(databaseUri(path, databaseState_));
    const std::string held = file->descriptorPath();
    if (held.empty())
        return {};
    return query(databaseUri(held, databaseState_));
}

UserRecords RecordSources::forUser(const PasswdEntry &user, std::int64_t now)
{
    UserRecords records;
    records.lastlog2 = queryDatabase(kLastlog2, [&](const std::string &uri) { return lastlog2Login(uri, user.name); });
    records.wtmpdb = queryDatabase(kWtmpdb, [&](const std::string &uri) { return wtmpdbSession(uri, user.name); });
    if (const auto file = files_.open(kLastlog))
        if (const auto entry = lastlogEntry(*file, user.uid))
            records.lastlog = entry->seconds;
    RecordLog wtmp = log(kWtmp);
    records.wtmp = latestSession(wtmp, user.name);
    records.tally = tally(user.name, now);
    RecordLog btmp = log(kBtmp);
    records.btmp = summarizeFailures(btmp, user.name, btmpQuery(records));
    return records;
}

std::vector<UserRecords> RecordSources::forUsers(std::span<const PasswdEntry> users, std::int64_t now)
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
    for (std::size_t i = 0; i < wtmpdb.size(); ++i)
        records[i].wtmpdb = wtmpdb[i];

    if (const auto file = files_.open(kLastlog)) {
        const auto entries = lastlogEntries(*file, uids);
        for (std::size_t i = 0; i < entries.size(); ++i)
            if (entries[i])
                records[i].lastlog = entries[i]->seconds;
    }

    RecordLog wtmp = log(kWtmp);
    auto sessions = latestSessions(wtmp, names);
    for (std::size_t i = 0; i < sessions.size(); ++i)
        records[i].wtmp = std::move(sessions[i]);

    // Few users have a tally: the folder tells which, instead of an open
    // that fails for each of the others.
    const auto listed = files_.names(faillock().dir);
    const std::unordered_set<std::string> present = listed ? std::unordered_set<std::string>(listed->begin(), listed->end())
                                                           : std::unordered_set<std::string>();
    std::vector<FailureQuery> queries;
    for (std::size_t i = 0; i < users.size(); ++i) {
        if (!listed || present.contains(names[i]))
            records[i].tally = tally(names[i], now);
        queries.push_back(btmpQuery(records[i]));
    }
    RecordLog btmp = log(kBtmp);
    auto failures = summarizeFailures(btmp, names, queries);
    for (std::size_t i = 0; i < failures.size(); ++i)
        records[i].btmp = std::move(failures[i]);

    return records;
}

} // namespace tramsel::linux_accounts
