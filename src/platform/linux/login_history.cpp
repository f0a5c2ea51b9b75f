// The rules that turn login records into one user's history.
#include "platform/linux/login_history.h"

#include <array>
#include <limits>

namespace tramsel::linux_accounts {

bool utmpUserIs(std::string_view recordUser, std::string_view user)
{
    constexpr std::size_t kUserField = 32;
    return !user.empty() && recordUser == user.substr(0, kUserField);
}

SessionSummary latestSession(RecordLog &wtmp, std::string_view user)
{
    SessionSummary summary;
    std::optional<RecordLog::Position> loginAt;
    std::string line;
    summary.readable = wtmp.walkBackward([&](std::span<const unsigned char> bytes, RecordLog::Position at) {
        if (!utmpUserIs(utmpUser(bytes), user))
            return true;
        const UtmpRecord record = decodeUtmp(bytes);
        if (effectiveUtmpType(record) != UtmpRecord::kUserProcess)
            return true;
        summary.login = record.seconds;
        line = record.line;
        loginAt = at;
        return false;
    });
    if (!loginAt)
        return summary;

    // Walking back, last(1) closes a login with the nearest later record on
    // its line (a logout, or the next login there) unless a boot or shutdown
    // came first, which closes every session then open. Walking forward from
    // the login finds the same record without remembering every line.
    wtmp.walkForward(*loginAt, [&](std::span<const unsigned char> bytes, RecordLog::Position) {
        const UtmpRecord record = decodeUtmp(bytes);
        const int type = effectiveUtmpType(record);
        const bool sameLine = (type == UtmpRecord::kUserProcess || type == UtmpRecord::kDeadProcess)
            && !record.line.empty() && record.line == line;
        if (sameLine || endsAllSessions(record, type)) {
            summary.logoff = record.seconds;
            return false;
        }
        return true;
    });
    return summary;
}

FailureSummary summarizeFailures(RecordLog &btmp, std::string_view user, const FailureQuery &query)
{
    FailureSummary summary;
    bool counting = query.count;
    summary.readable = btmp.walkBackward([&](std::span<const unsigned char> bytes, RecordLog::Position) {
        if (counting && query.after && utmpSeconds(bytes) <= *query.after)
            counting = false;
        const bool mine = utmpUserIs(utmpUser(bytes), user);
        if (mine && counting)
            ++summary.countAfter;
        if (mine && !summary.when) {
            UtmpRecord record = decodeUtmp(bytes);
            summary.when = record.seconds;
            summary.host = std::move(record.host);
        }
        return counting || !summary.when;
    });
    return summary;
}

std::optional<LastlogRecord> lastlogEntry(const ReadableFile &lastlog, std::uint32_t uid)
{
    const std::uint64_t offset = std::uint64_t{uid} * LastlogRecord::kSize;
    if (lastlog.size() < offset + LastlogRecord::kSize)
        return std::nullopt;
    std::array<unsigned char, LastlogRecord::kSize> bytes{};
    const auto read = lastlog.readAt(bytes, offset);
    if (!read || *read != bytes.size())
        return std::nullopt;
    LastlogRecord record = decodeLastlog(bytes);
    if (record.seconds == 0)
        return std::nullopt;
    return record;
}

std::optional<TallySummary> summarizeTally(RecordLog &tally, std::int64_t now,
                                           std::int64_t failIntervalSeconds)
{
    // pam_faillock forgets failures older than the interval (and a time
    // ahead of the clock counts too, as it does there).
    const std::int64_t oldest = now - failIntervalSeconds;
    TallySummary summary;
    const bool readable = tally.walkBackward([&](std::span<const unsigned char> bytes, RecordLog::Position) {
        TallyRecord record = decodeTally(bytes);
        if (record.seconds > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
            return true;
        const auto seconds = static_cast<std::int64_t>(record.seconds);
        if ((record.status & TallyRecord::kValid) && seconds >= oldest)
            ++summary.countNow;
        if (!summary.latest || seconds > *summary.latest) {
            summary.latest = seconds;
            const bool remote = record.status & TallyRecord::kRemoteHost;
            const bool tty = record.status & TallyRecord::kTty;
            summary.address = remote || tty ? std::move(record.source) : std::string();
        }
        return true;
    });
    if (!readable)
        return std::nullopt;
    return summary;
}

} // namespace tramsel::linux_accounts
