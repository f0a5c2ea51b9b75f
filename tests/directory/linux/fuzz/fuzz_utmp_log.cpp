// wtmp and btmp logs of any bytes: the user's session, failures and count,
// read for the one user and for several at once.
// Input: a user name, a newline, then the bytes of wtmp.1 and wtmp, split at
// a point the first byte chooses.
#include <cstddef>
#include <cstdint>
#include <string>

#include "directory/linux/login_history.h"

using namespace tramsel::linux_accounts;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char *>(data), size);
    const auto newline = input.find('\n');
    if (newline == std::string::npos || newline == 0)
        return 0;
    const std::string user = input.substr(0, newline);
    // Names come from the account database, which holds no NUL: a record's
    // field ends at its first one, so such a name could match nothing.
    if (user.find('\0') != std::string::npos)
        return 0;
    const std::vector<unsigned char> bytes(data + newline + 1, data + size);
    const std::size_t split = bytes.empty() ? 0 : bytes.size() * bytes[0] / 256;
    const auto log = [&] {
        const std::vector<unsigned char> rotated(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(split));
        const std::vector<unsigned char> current(bytes.begin() + static_cast<std::ptrdiff_t>(split), bytes.end());
        return RecordLog(UtmpRecord::kSize,
                         {[rotated] { return std::make_unique<MemoryFile>(rotated); },
                          [current] { return std::make_unique<MemoryFile>(current); }});
    };

    RecordLog wtmp = log();
    const SessionSummary session = latestSession(wtmp, user);
    if (session.logoff && !session.login)
        __builtin_trap();
    RecordLog btmp = log();
    const FailureSummary latest = summarizeFailures(btmp, user, {});
    RecordLog counted = log();
    const FailureSummary all = summarizeFailures(counted, user, {true, session.login});
    if (latest.when != all.when || latest.host != all.host || all.countAfter < 0
        || (all.countAfter > 0 && !all.when) || all.readable != session.readable)
        __builtin_trap();

    // One walk for every user finds the same as the walks for one user.
    const std::string users[] = {user, user + "x"};
    const FailureQuery queries[] = {{true, session.login}, {}};
    RecordLog everyone = log();
    RecordLog everyoneFailed = log();
    if (latestSessions(everyone, users)[0] != session || summarizeFailures(everyoneFailed, users, queries)[0] != all)
        __builtin_trap();
    return 0;
}
