// The Linux source's readers and parsers on inputs of any bytes; the first
// byte chooses which: wtmp and btmp logs, lastlog, a pam_faillock tally, or
// the account files' texts.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "directory/linux/account_files.h"
#include "directory/linux/login_history.h"

using namespace tramsel::linux_accounts;

namespace {

// A user name, a newline, then the bytes of wtmp.1 and wtmp, split at a
// point the first byte chooses: the user's session, failures and count, read
// for the one user, for several at once, and for several with both walks at once.
void utmpLogs(const std::uint8_t *data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char *>(data), size);
    const auto newline = input.find('\n');
    // Names come from the account database, which holds no NUL: a record's
    // field ends at its first one, so such a name could match nothing.
    if (newline == std::string::npos || newline == 0 || input.find('\0') < newline)
        return;
    const std::string user = input.substr(0, newline);
    const std::vector<unsigned char> bytes(data + newline + 1, data + size);
    const std::size_t split = bytes.empty() ? 0 : bytes.size() * bytes[0] / 256;
    const auto log = [&] {
        const std::vector<unsigned char> rotated(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(split));
        const std::vector<unsigned char> current(bytes.begin() + static_cast<std::ptrdiff_t>(split), bytes.end());
        return RecordLog(UtmpRecord::kSize, {[rotated] { return std::make_unique<MemoryFile>(rotated); },
                                             [current] { return std::make_unique<MemoryFile>(current); }});
    };
    RecordLog wtmp = log(), btmp = log(), counted = log();
    const SessionSummary session = latestSession(wtmp, user);
    const FailureSummary latest = summarizeFailures(btmp, user, {});
    const FailureSummary all = summarizeFailures(counted, user, {true, session.login});
    if ((session.logoff && !session.login) || latest.when != all.when || latest.host != all.host || all.countAfter < 0
        || (all.countAfter > 0 && !all.when) || all.readable != session.readable)
        __builtin_trap();
    // One walk for every user finds the same as the walks for one user.
    const std::string users[] = {user, user + "x"};
    const FailureQuery queries[] = {{true, session.login}, {}};
    RecordLog everyone = log(), everyoneFailed = log();
    if (latestSessions(everyone, users)[0] != session || summarizeFailures(everyoneFailed, users, queries)[0] != all)
        __builtin_trap();
    // And both walks at once, btmp's counting from wtmp's login, holding few failures.
    const FailureQuery fromWtmp[] = {{true, std::nullopt}, {}};
    RecordLog bothWtmp = log(), bothBtmp = log();
    if (const auto both = walkLogins(bothWtmp, bothBtmp, users, fromWtmp, 1 + split % 3);
        both.sessions[0] != session || both.failures[0] != all)
        __builtin_trap();
}

// A lastlog file, read for a uid the first four bytes give, alone and among others.
void lastlog(const std::uint8_t *data, std::size_t size)
{
    if (size < 4)
        return;
    const std::uint32_t uid = (data[0] | data[1] << 8) % 64 + (data[2] & 0x80 ? 0xffff0000u : 0);
    const MemoryFile file(std::vector<unsigned char>(data + 4, data + size));
    if (const auto record = lastlogEntry(file, uid); record && (record->seconds == 0 || record->line.size() > 32 || record->host.size() > 256))
        __builtin_trap();
    const std::uint32_t uids[] = {data[3] % 8u, uid, uid + 1, 0xffffffffu, data[3] % 8u};
    const auto entries = lastlogEntries(file, uids);
    for (std::size_t i = 0; i < std::size(uids); ++i) {
        const auto alone = lastlogEntry(file, uids[i]);
        if (entries[i].has_value() != alone.has_value()
            || (alone && (entries[i]->seconds != alone->seconds || entries[i]->host != alone->host)))
            __builtin_trap();
    }
}

// A tally file; the interval comes from the first eight bytes.
void tally(const std::uint8_t *data, std::size_t size)
{
    if (size < 8)
        return;
    std::int64_t interval = 0;
    std::memcpy(&interval, data, 8);
    interval = (interval >> 2) & 0x3fffffffffffffff;
    const std::vector<unsigned char> bytes(data + 8, data + size);
    RecordLog log(TallyRecord::kSize, {[&bytes] { return std::make_unique<MemoryFile>(bytes); }});
    const auto summary = summarizeTally(log, interval);
    if (!summary || summary->validCount < 0
        || summary->validCount > static_cast<std::int64_t>(bytes.size() / TallyRecord::kSize) || summary->address.size() > 52)
        __builtin_trap();
}

// passwd, shadow, faillock.conf and hostname texts.
void accountFiles(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const std::string_view name = text.substr(0, text.find(':'));
    if (const auto entry = findPasswdEntry(text, name); entry && entry->name != name)
        __builtin_trap();
    const auto all = shadowEntries(text);
    if (const auto entry = findShadowEntry(text, name); (entry && entry->name != name)
        || entry.has_value() != all.contains(std::string(name)) || (entry && all.at(std::string(name)).maxDays != entry->maxDays))
        __builtin_trap();
    const FaillockSettings settings = parseFaillockConf(text);
    if (settings.dir.empty() || settings.dir[0] != '/' || settings.failIntervalSeconds < 0 || settings.deny < 0
        || settings.unlockTimeSeconds < 0 || settings.rootUnlockTimeSeconds < 0)
        __builtin_trap();
    parseHostnameFile(text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    void (*const readers[])(const std::uint8_t *, std::size_t) = {utmpLogs, lastlog, tally, accountFiles};
    readers[data[0] % std::size(readers)](data + 1, size - 1);
    return 0;
}
