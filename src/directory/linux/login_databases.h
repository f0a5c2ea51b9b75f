// The SQLite login records of newer systems: lastlog2's last logins and
// wtmpdb's sessions, read through read-only URIs with prepared statements.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "directory/linux/login_history.h"

namespace tramsel::linux_accounts {

// How a database file may be opened.
enum class DatabaseState {
    // A running system's file that logins may be writing right now: read-only
    // without locks (nolock=1), so that a reader never holds up a writer. A
    // read that meets a half-written transaction fails instead of guessing.
    Live,
    // A file at rest (a disk image under --root): immutable=1, which also
    // skips the journal checks; safe only because nothing writes the file.
    AtRest,
};

// A "file:" URI for a database at `path`, read-only as `state` allows.
std::string databaseUri(std::string_view path, DatabaseState state);

// The user's time in lastlog2's Lastlog2 table, in seconds; nothing when the
// database cannot be read, has another schema or has no row for the user.
std::optional<std::int64_t> lastlog2Login(const std::string &uri, std::string_view user);

// The user's latest session (Type 3) in wtmpdb's wtmp table, in seconds. A
// session without Logout ends at the next boot row (Type 1) after it, as
// `last` shows a crash; otherwise it is still open, and its logoff is an
// earlier session's (SessionSummary).
SessionSummary wtmpdbSession(const std::string &uri, std::string_view user);

// The same for every user named, one query each for all of them, one
// result per user in the order given.
std::vector<std::optional<std::int64_t>> lastlog2Logins(const std::string &uri, std::span<const std::string> users);
std::vector<SessionSummary> wtmpdbSessions(const std::string &uri, std::span<const std::string> users);

} // namespace tramsel::linux_accounts
