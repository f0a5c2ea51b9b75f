// The rules that turn login records into one user's history.
#include "platform/linux/login_history.h"

#include <algorithm>
#include <array>
#include <limits>
#include <numeric>
#include <unordered_map>

namespace tramsel::linux_accounts {
namespace {

struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
};
template <class Value>
using TextMap = std::unordered_map<std::string, Value, TextHash, std::equal_to<>>;

// Users found by the name a utmp record holds for them. Names that share
// their first 32 bytes share a record, so each name leads to a chain.
class UtmpUsers {
public:
    explicit UtmpUsers(std::span<const std::string> users) : next_(users.size(), kEnd)
    {
        constexpr std::size_t kUserField = 32;
        for (std::size_t i = users.size(); i-- > 0;) {
            if (users[i].empty())
                continue;
            auto [at, added] = first_.try_emplace(users[i].substr(0, kUserField), i);
            if (!added) {
                next_[i] = at->second;
                at->second = i;
            }
        }
    }

    // Calls visit(index) for each user whose records carry `recordUser`.
    template <class Visit> void forEach(std::string_view recordUser, Visit visit) const
    {
        const auto at = first_.find(recordUser);
        if (at == first_.end())
            return;
        for (std::size_t i = at->second; i != kEnd; i = next_[i])
            visit(i);
    }

private:
    static constexpr std::size_t kEnd = std::numeric_limits<std::size_t>::max();
    TextMap<std::size_t> first_;
    std::vector<std::size_t> next_;
};

} // namespace

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

std::vector<SessionSummary> latestSessions(RecordLog &wtmp, std::span<const std::string> users)
{
    // Walking back, the first login of a user met is its latest. Its end is
    // the nearest later record on its line or the nearest later boot,
    // whichever comes first (as latestSession finds walking forward), so
    // the walk keeps the nearest of each so far.
    struct Event {
        std::uint64_t distance;  // records from the log's end: more is earlier
        std::uint32_t seconds;
    };
    const UtmpUsers index(users);
    std::vector<SessionSummary> sessions(users.size());
    TextMap<Event> nextOnLine;
    std::optional<Event> nextBoot;
    std::uint64_t distance = 0;
    const bool readable = wtmp.walkBackward([&](std::span<const unsigned char> bytes, RecordLog::Position) {
        const UtmpFields record = utmpFields(bytes);
        const int type = effectiveUtmpType(record);
        ++distance;
        if (type == UtmpRecord::kUserProcess) {
            index.forEach(record.user, [&](std::size_t i) {
                SessionSummary &session = sessions[i];
                if (session.login)
                    return;
                session.login = record.seconds;
                const Event *end = nextBoot ? &*nextBoot : nullptr;
                if (!record.line.empty())
                    if (const auto line = nextOnLine.find(record.line);
                        line != nextOnLine.end() && (!end || line->second.distance > end->distance))
                        end = &line->second;
                if (end)
                    session.logoff = end->seconds;
            });
        }
        if ((type == UtmpRecord::kUserProcess || type == UtmpRecord::kDeadProcess) && !record.line.empty()) {
            const Event event{distance, record.seconds};
            if (const auto line = nextOnLine.find(record.line); line != nextOnLine.end())
                line->second = event;
            else
                nextOnLine.emplace(record.line, event);
        }
        if (endsAllSessions(record, type))
            nextBoot = Event{distance, record.seconds};
        return true;
    });
    for (SessionSummary &session : sessions)
        session.readable = readable;
    return sessions;
}

std::vector<FailureSummary> summarizeFailures(RecordLog &btmp, std::span<const std::string> users,
                                              std::span<const FailureQuery> queries)
{
    // summarizeFailures stops counting at the first record, walking back,
    // that is not newer than the user's last login: a record counts while
    // every record from it to the log's end is newer.
    const UtmpUsers index(users);
    std::vector<FailureSummary> summaries(users.size());
    std::int64_t oldestSoFar = std::numeric_limits<std::int64_t>::max();
    const bool readable = btmp.walkBackward([&](std::span<const unsigned char> bytes, RecordLog::Position) {
        oldestSoFar = std::min<std::int64_t>(oldestSoFar, utmpSeconds(bytes));
        index.forEach(utmpUser(bytes), [&](std::size_t i) {
            const FailureQuery &query = queries[i];
            FailureSummary &summary = summaries[i];
            if (query.count && (!query.after || oldestSoFar > *query.after))
                ++summary.countAfter;
            if (!summary.when) {
                UtmpRecord record = decodeUtmp(bytes);
                summary.when = record.seconds;
                summary.host = std::move(record.host);
            }
        });
        return true;
    });
    for (FailureSummary &summary : summaries)
        summary.readable = readable;
    return summaries;
}

std::vector<std::optional<LastlogRecord>> lastlogEntries(const ReadableFile &lastlog,
                                                         std::span<const std::uint32_t> uids)
{
    constexpr std::uint64_t kChunk = 64 * 1024;
    constexpr std::uint64_t kRecord = LastlogRecord::kSize;
    std::vector<std::optional<LastlogRecord>> entries(uids.size());
    std::vector<std::size_t> order(uids.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return uids[a] < uids[b]; });

    // One read covers a uid and the uids after it within a chunk's reach;
    // the holes of a sparse file between far-apart uids are never read.
    std::vector<unsigned char> buffer;
    std::uint64_t bufferAt = 0;
    for (std::size_t k = 0; k < order.size(); ++k) {
        const std::uint64_t offset = std::uint64_t{uids[order[k]]} * kRecord;
        if (lastlog.size() < offset + kRecord)
            break;  // so are all larger uids
        if (offset < bufferAt || offset + kRecord > bufferAt + buffer.size()) {
            std::uint64_t end = offset + kRecord;
            for (std::size_t j = k + 1; j < order.size(); ++j) {
                const std::uint64_t next = std::uint64_t{uids[order[j]]} * kRecord + kRecord;
                if (next - offset > kChunk || next > lastlog.size())
                    break;
                end = next;
            }
            buffer.resize(static_cast<std::size_t>(end - offset));
            const auto read = lastlog.readAt(buffer, offset);
            buffer.resize(read ? *read : 0);
            bufferAt = offset;
            if (buffer.size() < kRecord)
                continue;
        }
        LastlogRecord record = decodeLastlog(std::span(buffer).subspan(offset - bufferAt, kRecord));
        if (record.seconds != 0)
            entries[order[k]] = std::move(record);
    }
    return entries;
}

std::optional<TallySummary> summarizeTally(RecordLog &tally, std::int64_t now,
                                           std::int64_t failIntervalSeconds)
{
    // pam_faillock forgets failures older than the interval (and a time
    // ahead of the clock counts too, as it does there).
    const std::int64_t oldest = now - failIntervalSeconds;
    TallySummary summary;
    std::vector<std::int64_t> valid;
    const bool readable = tally.walkBackward([&](std::span<const unsigned char> bytes, RecordLog::Position) {
        TallyRecord record = decodeTally(bytes);
        if (record.seconds > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
            return true;
        const auto seconds = static_cast<std::int64_t>(record.seconds);
        if (record.status & TallyRecord::kValid) {
            valid.push_back(seconds);
            if (seconds >= oldest)
                ++summary.countNow;
        }
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
    if (!valid.empty()) {
        const std::int64_t latest = *std::max_element(valid.begin(), valid.end());
        summary.latestValid = latest;
        summary.validNearLatest = std::count_if(valid.begin(), valid.end(), [&](std::int64_t seconds) {
            return latest - seconds < failIntervalSeconds;
        });
    }
    return summary;
}

} // namespace tramsel::linux_accounts
