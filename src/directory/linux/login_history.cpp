// The rules that turn login records into one user's history.
#include "directory/linux/login_history.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <limits>
#include <memory>
#include <mutex>
#include <numeric>
#include <thread>
#include <utility>

namespace tramsel::linux_accounts {
namespace {

// A utmp name (ut_user or ut_line, at most 32 bytes) as four words, zero
// after its end: compared and hashed a word at a time.
struct FieldKey {
    std::array<std::uint64_t, 4> words{};
    friend bool operator==(const FieldKey &a, const FieldKey &b)
    {
        // Word by word; the library's compare is a call per record.
        return ((a.words[0] ^ b.words[0]) | (a.words[1] ^ b.words[1]) | (a.words[2] ^ b.words[2])
                | (a.words[3] ^ b.words[3])) == 0;
    }
};
constexpr std::size_t kFieldBytes = 32;

// A name as a record holds it: `text` views a field of a record, so all
// 32 bytes from its start may be read, and whole words are.
FieldKey recordKey(std::string_view text)
{
    FieldKey key;
    for (std::size_t w = 0; w < key.words.size(); ++w) {
        const std::size_t start = w * 8;
        if (text.size() <= start)
            break;
        std::uint64_t word = 0;
        std::memcpy(&word, text.data() + start, 8);
        const std::size_t kept = text.size() - start;
        key.words[w] = kept >= 8 ? word : word & ((std::uint64_t{1} << (8 * kept)) - 1);
    }
    return key;
}

// Any text, cut where a record would cut it.
FieldKey textKey(std::string_view text)
{
    std::array<char, kFieldBytes> field{};
    text = text.substr(0, kFieldBytes);
    std::memcpy(field.data(), text.data(), text.size());
    return recordKey({field.data(), text.size()});
}

// Every word mixed in by a multiply, then every bit spread to the low ones
// a table uses: names differ in few bits ("user0001").
std::uint32_t hashOf(const FieldKey &key)
{
    std::uint64_t hash = 0;
    for (const std::uint64_t word : key.words)
        hash = (hash ^ word) * 0x9e3779b97f4a7c15u;
    hash ^= hash >> 33;
    hash *= 0xc4ceb9fe1a85ec53u;
    return static_cast<std::uint32_t>(hash ^ (hash >> 33));
}

// Names numbered in the order they were added, found through one flat table
// of small slots probed in place: a walk looks a name up for every record.
class NameIndex {
public:
    static constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();

    explicit NameIndex(std::size_t expected = 0) { rehash(std::max<std::size_t>(16, std::bit_ceil(expected * 2 + 1))); }

    std::size_t find(const FieldKey &key) const
    {
        const std::uint32_t hash = hashOf(key);
        for (std::size_t slot = hash & mask_;; slot = (slot + 1) & mask_) {
            const Slot at = slots_[slot];
            if (at.number == kEmpty)
                return kNone;
            if (at.hash == hash && keys_[at.number] == key)
                return at.number;
        }
    }

    // The name's number, adding it when it is new.
    std::size_t add(const FieldKey &key)
    {
        if (const std::size_t number = find(key); number != kNone)
            return number;
        if ((keys_.size() + 1) * 2 > slots_.size())
            rehash(slots_.size() * 2);
        keys_.push_back(key);
        place(hashOf(key), static_cast<std::uint32_t>(keys_.size() - 1));
        return keys_.size() - 1;
    }

private:
    static constexpr std::uint32_t kEmpty = std::numeric_limits<std::uint32_t>::max();
    struct Slot {
        std::uint32_t hash = 0;
        std::uint32_t number = kEmpty;
    };


    void place(std::uint32_t hash, std::uint32_t number)
    {
        std::size_t slot = hash & mask_;
        while (slots_[slot].number != kEmpty)
            slot = (slot + 1) & mask_;
        slots_[slot] = {hash, number};
    }

    void rehash(std::size_t size)
    {
        slots_.assign(size, Slot{});
        mask_ = size - 1;
        for (std::size_t i = 0; i < keys_.size(); ++i)
            place(hashOf(keys_[i]), static_cast<std::uint32_t>(i));
    }

    std::vector<Slot> slots_;
    std::size_t mask_ = 0;
    std::vector<FieldKey> keys_;
};

// A record's 32-byte name field, read in place: its bytes up to the first
// NUL, as recordKey gives them, without measuring the field first.
FieldKey fieldKey(const unsigned char *field)
{
    FieldKey key;
    for (std::size_t w = 0; w < key.words.size(); ++w) {
        std::uint64_t word = 0;
        std::memcpy(&word, field + w * 8, 8);
        // The lowest zero byte shows as the lowest set bit; the bytes below
        // it stay, and the words after it stay 0.
        if (const std::uint64_t zero = (word - 0x0101010101010101u) & ~word & 0x8080808080808080u) {
            key.words[w] = word & (((zero & (~zero + 1)) >> 7) - 1);
            break;
        }
        key.words[w] = word;
    }
    return key;
}

constexpr std::size_t kUserOffset = 44;

// Users found by the name a utmp record holds for them. Names that share
// their first 32 bytes share a record, so each name leads to a chain of
// users. Each name has a slot of one cache line, so that a lookup reads one
// line; the walks below fetch the slots of a batch of records together. The
// index is only read while walks use it, so two threads' walks can share it;
// each walk keeps what it has met of a name by the slot's number.
class UtmpUsers {
public:
    static constexpr std::uint32_t kEnd = std::numeric_limits<std::uint32_t>::max();
    struct alignas(64) Slot {
        FieldKey key;
        std::uint32_t hash = 0;
        std::uint32_t first = kEnd;  // the first user of the chain; kEnd: an empty slot
    };

    explicit UtmpUsers(std::span<const std::string> users)
        : next_(users.size(), kEnd)
    {
        // At most four slots in five full: a name not in the table is known
        // after a few slots, and 100,000 users take 8 MiB.
        slots_.resize(std::max<std::size_t>(16, std::bit_ceil(users.size() + users.size() / 4 + 1)));
        mask_ = slots_.size() - 1;
        for (std::size_t i = users.size(); i-- > 0;) {
            if (users[i].empty())
                continue;
            const FieldKey key = textKey(users[i]);
            const std::uint32_t hash = hashOf(key);
            std::size_t at = hash & mask_;
            while (slots_[at].first != kEnd && !(slots_[at].hash == hash && slots_[at].key == key))
                at = (at + 1) & mask_;
            Slot &slot = slots_[at];
            slot.key = key;
            slot.hash = hash;
            next_[i] = slot.first;
            slot.first = static_cast<std::uint32_t>(i);
        }
    }


    void prefetch(std::uint32_t hash) const { __builtin_prefetch(&slots_[hash & mask_]); }

    std::size_t slotCount() const { return slots_.size(); }
    std::size_t number(const Slot &slot) const { return static_cast<std::size_t>(&slot - slots_.data()); }

    // The slot of users named `key`, or nullptr.
    const Slot *find(const FieldKey &key, std::uint32_t hash) const
    {
        if (key.words[0] == 0)
            return nullptr;  // an empty name
        for (std::size_t at = hash & mask_;; at = (at + 1) & mask_) {
            const Slot &slot = slots_[at];
            if (slot.first == kEnd)
                return nullptr;
            if (slot.hash == hash && slot.key == key)
                return &slot;
        }
    }

    // The users of a slot's chain: for (i = slot.first; i != kEnd; i = next(i)).
    std::uint32_t next(std::uint32_t user) const { return next_[user]; }

    // Walks the log back, calling visit(record bytes, the slot of its
    // ut_user or nullptr) for every record, newest first. The slots of a
    // chunk's records are fetched from memory together before any is used.
    template <class Visit> bool walkBackward(RecordLog &log, Visit visit) const
    {
        const std::size_t size = log.recordSize();
        std::vector<FieldKey> keys;
        std::vector<std::uint32_t> hashes;
        return log.walkChunksBackward([&](std::span<const unsigned char> chunk, RecordLog::Position) {
            const std::size_t count = chunk.size() / size;
            keys.resize(count);
            hashes.resize(count);
            // Keys in the order the records lie, which the processor reads
            // ahead best; visits newest first.
            for (std::size_t r = 0; r < count; ++r) {
                keys[r] = fieldKey(chunk.data() + r * size + kUserOffset);
                hashes[r] = hashOf(keys[r]);
                prefetch(hashes[r]);
            }
            for (std::size_t r = count; r-- > 0;)
                visit(std::span(chunk.data() + r * size, size), find(keys[r], hashes[r]));
            return true;
        });
    }

private:
    std::vector<Slot> slots_;
    std::size_t mask_ = 0;
    std::vector<std::uint32_t> next_;    // by user
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
    // An open session: the earlier sessions' ends, as a walk of every user finds them.
    if (!summary.logoff) {
        const std::string name(user);
        summary.logoff = latestSessions(wtmp, std::span(&name, 1)).front().logoff;
    }
    return summary;
}

FailureSummary summarizeFailures(RecordLog &btmp, std::string_view user, const FailureQuery &query)
{
    FailureSummary summary;
    summary.readable = btmp.walkBackward([&](std::span<const unsigned char> bytes, RecordLog::Position) {
        if (!utmpUserIs(utmpUser(bytes), user))
            return true;
        if (query.count && (!query.after || utmpSeconds(bytes) > *query.after))
            ++summary.countAfter;
        if (!summary.when) {
            UtmpRecord record = decodeUtmp(bytes);
            summary.when = record.seconds;
            summary.host = std::move(record.host);
        }
        // A clock set back leaves newer failures anywhere in the log.
        return query.count;
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

namespace {

// The latest logins that a walk of wtmp hands, user by user, to a walk of
// btmp running beside it on another thread, so that a failure count can start
// from a user's last login as soon as that is known. A walk backward meets a
// user's latest login first, so a login handed over is final.
class LoginHandover {
public:
    explicit LoginHandover(std::size_t users) : logins_(std::make_unique<std::atomic<std::int64_t>[]>(users)), users_(users)
    {
        for (std::size_t i = 0; i < users; ++i)
            logins_[i].store(kPending, std::memory_order_relaxed);
    }

    // What the wtmp walk knows of a user so far.
    struct Login {
        bool known = false;                   // the walk has met the user's login, or ended
        std::optional<std::int64_t> seconds;  // nothing: no login in the log
    };
    Login login(std::size_t user) const
    {
        const std::int64_t seconds = logins_[user].load(std::memory_order_acquire);
        if (seconds == kPending)
            return {};
        return {true, seconds == kNone ? std::nullopt : std::optional(seconds)};
    }
    void handOver(std::size_t user, std::int64_t seconds) { logins_[user].store(seconds, std::memory_order_release); }

    // The walk has ended: users it did not meet have no login in it.
    void finish()
    {
        for (std::size_t i = 0; i < users_; ++i) {
            std::int64_t pending = kPending;
            logins_[i].compare_exchange_strong(pending, kNone, std::memory_order_release);
        }
        const std::lock_guard lock(mutex_);
        done_ = true;
        finished_.notify_all();
    }
    void waitUntilFinished() const
    {
        std::unique_lock lock(mutex_);
        finished_.wait(lock, [this] { return done_; });
    }

private:
    static constexpr std::int64_t kPending = std::numeric_limits<std::int64_t>::min();
    static constexpr std::int64_t kNone = kPending + 1;
    std::unique_ptr<std::atomic<std::int64_t>[]> logins_;
    std::size_t users_;
    mutable std::mutex mutex_;
    mutable std::condition_variable finished_;
    bool done_ = false;
};

// What a walk has met of a name, by its slot's number.
struct Met {
    bool met = false;   // whether the walk has acted on the name yet
    bool open = false;  // its latest session is open: earlier ones' ends are looked at
};

// Hands each latest login met over when `handover` is given; the caller
// finishes it.
std::vector<SessionSummary> sessionsOf(RecordLog &wtmp, const UtmpUsers &index, std::size_t users,
                                       LoginHandover *handover)
{
    // Walking back, the first login of a user met is its latest. Its end is
    // the nearest later record on its line or the nearest later boot,
    // whichever comes first (as latestSession finds walking forward), so
    // the walk keeps the nearest of each so far.
    struct Event {
        std::uint64_t distance;  // records from the log's end: more is earlier
        std::uint32_t seconds;
    };
    std::vector<SessionSummary> sessions(users);
    std::vector<Met> met(index.slotCount());
    NameIndex lines;
    std::vector<Event> nextOnLine;  // by line number; distance 0: none yet
    std::optional<Event> nextBoot;
    std::uint64_t distance = 0;
    const bool readable = index.walkBackward(wtmp, [&](std::span<const unsigned char> bytes, const UtmpUsers::Slot *user) {
        const UtmpFields record = utmpFields(bytes);
        const int type = effectiveUtmpType(record);
        ++distance;
        if (Met *seen = user ? &met[index.number(*user)] : nullptr;
            type == UtmpRecord::kUserProcess && seen && (!seen->met || seen->open)) {
            const Event *end = nextBoot ? &*nextBoot : nullptr;
            if (!record.line.empty())
                if (const std::size_t line = lines.find(recordKey(record.line));
                    line != NameIndex::kNone && (!end || nextOnLine[line].distance > end->distance))
                    end = &nextOnLine[line];
            const bool latest = !std::exchange(seen->met, true);
            seen->open = latest ? !end : seen->open;
            // While the latest session is open, the latest end of an earlier one.
            for (std::uint32_t i = user->first; i != UtmpUsers::kEnd; i = index.next(i)) {
                if (latest)
                    sessions[i].login = record.seconds;
                if (latest && handover)
                    handover->handOver(i, record.seconds);
                if (end && (!sessions[i].logoff || end->seconds > *sessions[i].logoff))
                    sessions[i].logoff = end->seconds;
            }
        }
        if ((type == UtmpRecord::kUserProcess || type == UtmpRecord::kDeadProcess) && !record.line.empty()) {
            const std::size_t line = lines.add(recordKey(record.line));
            if (line == nextOnLine.size())
                nextOnLine.emplace_back();
            nextOnLine[line] = {distance, record.seconds};
        }
        if (endsAllSessions(record, type))
            nextBoot = Event{distance, record.seconds};
    });
    for (SessionSummary &session : sessions)
        session.readable = readable;
    return sessions;
}

// With `handover`, a count starts after the later of its query's `after` and
// the user's login handed over. Records whose user's login is not known yet
// are held, at most `holdAtMost` of them; when they fill that, the walk waits
// for the wtmp walk to end.
std::vector<FailureSummary> failuresOf(RecordLog &btmp, const UtmpUsers &index, std::span<const FailureQuery> queries,
                                       const LoginHandover *handover, std::size_t holdAtMost)
{
    std::vector<FailureSummary> summaries(queries.size());
    std::vector<Met> met(index.slotCount());
    const auto count = [&](std::size_t i, std::int64_t seconds, std::optional<std::int64_t> login) {
        const std::optional<std::int64_t> after = std::max(queries[i].after, login);
        if (!after || seconds > *after)
            ++summaries[i].countAfter;
    };
    struct Held {
        std::uint32_t user;
        std::uint32_t seconds;
    };
    std::vector<Held> held;
    const auto countHeld = [&](bool all) {
        std::size_t kept = 0;
        for (const Held &h : held) {
            const LoginHandover::Login login = handover->login(h.user);
            if (login.known)
                count(h.user, h.seconds, login.seconds);
            else if (!all)
                held[kept++] = h;
        }
        held.resize(all ? 0 : kept);
    };
    const auto hold = [&](std::uint32_t user, std::int64_t seconds) {
        held.push_back({user, static_cast<std::uint32_t>(seconds)});
        // Full: count what is known by now, and wait when that frees too little.
        if (held.size() >= holdAtMost) {
            countHeld(false);
            if (held.size() * 2 > holdAtMost) {
                handover->waitUntilFinished();
                countHeld(true);
            }
        }
    };
    const bool readable = index.walkBackward(btmp, [&](std::span<const unsigned char> bytes, const UtmpUsers::Slot *user) {
        if (!user)
            return;
        const std::optional<UtmpRecord> latest =
            std::exchange(met[index.number(*user)].met, true) ? std::nullopt : std::optional(decodeUtmp(bytes));
        const std::int64_t seconds = utmpSeconds(bytes);
        for (std::uint32_t i = user->first; i != UtmpUsers::kEnd; i = index.next(i)) {
            if (queries[i].count) {
                const auto login = handover ? handover->login(i) : LoginHandover::Login{true, {}};
                if (login.known)
                    count(i, seconds, login.seconds);
                else
                    hold(i, seconds);
            }
            if (latest) {
                summaries[i].when = latest->seconds;
                summaries[i].host = latest->host;
            }
        }
    });
    if (handover) {
        handover->waitUntilFinished();
        countHeld(true);
    }
    for (FailureSummary &summary : summaries)
        summary.readable = readable;
    return summaries;
}

} // namespace

std::vector<SessionSummary> latestSessions(RecordLog &wtmp, std::span<const std::string> users)
{
    return sessionsOf(wtmp, UtmpUsers(users), users.size(), nullptr);
}

std::vector<FailureSummary> summarizeFailures(RecordLog &btmp, std::span<const std::string> users,
                                              std::span<const FailureQuery> queries)
{
    return failuresOf(btmp, UtmpUsers(users), queries, nullptr, 0);
}

LoginHistories walkLogins(RecordLog &wtmp, RecordLog &btmp, std::span<const std::string> users,
                          std::span<const FailureQuery> queries, std::size_t holdAtMost)
{
    // Files are opened on this thread: their openers need not be safe on another.
    wtmp.openAll();
    btmp.openAll();
    const UtmpUsers index(users);
    LoginHandover handover(users.size());
    LoginHistories histories;
    std::exception_ptr failed;
    std::thread sessions([&] {
        try {
            histories.sessions = sessionsOf(wtmp, index, users.size(), &handover);
        } catch (...) {
            failed = std::current_exception();
        }
        handover.finish();
    });
    try {
        histories.failures = failuresOf(btmp, index, queries, &handover, holdAtMost);
    } catch (...) {
        sessions.join();
        throw;
    }
    sessions.join();
    if (failed)
        std::rethrow_exception(failed);
    return histories;
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

std::optional<TallySummary> summarizeTally(RecordLog &tally, std::int64_t failIntervalSeconds)
{
    TallySummary summary;
    std::vector<std::int64_t> valid;
    const bool readable = tally.walkBackward([&](std::span<const unsigned char> bytes, RecordLog::Position) {
        TallyRecord record = decodeTally(bytes);
        if (record.seconds > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
            return true;
        const auto seconds = static_cast<std::int64_t>(record.seconds);
        // What faillock --user lists as valid, until a good login resets the tally.
        if (record.status & TallyRecord::kValid) {
            valid.push_back(seconds);
            ++summary.validCount;
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
