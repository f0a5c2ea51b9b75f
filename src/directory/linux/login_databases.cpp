// Reading lastlog2 and wtmpdb with SQLite, read-only.
#include "directory/linux/login_databases.h"

#include <sqlite3.h>

#include <memory>
#include <unordered_map>

namespace tramsel::linux_accounts {
namespace {

struct CloseDatabase {
    void operator()(sqlite3 *db) const { sqlite3_close_v2(db); }
};
struct FinalizeStatement {
    void operator()(sqlite3_stmt *statement) const { sqlite3_finalize(statement); }
};
using Database = std::unique_ptr<sqlite3, CloseDatabase>;
using Statement = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

Database openReadOnly(const std::string &uri)
{
    sqlite3 *db = nullptr;
    const int status = sqlite3_open_v2(uri.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
    Database database(db);
    if (status != SQLITE_OK)
        return nullptr;
    // Belt and braces: this connection may not change anything even if a
    // statement tried to.
    if (sqlite3_exec(db, "PRAGMA query_only = 1", nullptr, nullptr, nullptr) != SQLITE_OK)
        return nullptr;
    return database;
}

Statement prepare(sqlite3 *db, const char *sql)
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
        return nullptr;
    return Statement(statement);
}

bool bindText(sqlite3_stmt *statement, int index, std::string_view text)
{
    return sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT)
        == SQLITE_OK;
}

std::optional<std::int64_t> integerColumn(sqlite3_stmt *statement, int column)
{
    if (sqlite3_column_type(statement, column) != SQLITE_INTEGER)
        return std::nullopt;
    return sqlite3_column_int64(statement, column);
}

// The row's text in a column, as a view valid until the next step.
std::optional<std::string_view> textColumn(sqlite3_stmt *statement, int column)
{
    if (sqlite3_column_type(statement, column) != SQLITE_TEXT)
        return std::nullopt;
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(statement, column));
    return std::string_view(text, static_cast<std::size_t>(sqlite3_column_bytes(statement, column)));
}

// The users' positions by name; a name given twice keeps its first.
std::unordered_map<std::string_view, std::size_t> positions(std::span<const std::string> users)
{
    std::unordered_map<std::string_view, std::size_t> byName;
    for (std::size_t i = 0; i < users.size(); ++i)
        byName.try_emplace(users[i], i);
    return byName;
}

// wtmpdb counts microseconds; the report, whole seconds.
std::int64_t secondsFromMicros(std::int64_t micros)
{
    return micros / 1'000'000 - (micros % 1'000'000 < 0);
}

} // namespace

std::string databaseUri(std::string_view path, DatabaseState state)
{
    // Everything but unreserved characters and '/' is percent-encoded, so that
    // '?', '#' and '%' in a folder name cannot change the URI.
    constexpr char kHex[] = "0123456789ABCDEF";
    std::string uri = "file:";
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z')
            || (byte >= '0' && byte <= '9') || c == '/' || c == '-' || c == '.' || c == '_' || c == '~';
        if (plain) {
            uri += c;
        } else {
            uri += '%';
            uri += kHex[byte >> 4];
            uri += kHex[byte & 15];
        }
    }
    uri += state == DatabaseState::AtRest ? "?mode=ro&immutable=1" : "?mode=ro&nolock=1";
    return uri;
}

std::optional<std::int64_t> lastlog2Login(const std::string &uri, std::string_view user)
{
    const Database db = openReadOnly(uri);
    if (!db)
        return std::nullopt;
    const Statement query = prepare(db.get(), "SELECT Time FROM Lastlog2 WHERE Name = ?1");
    if (!query || !bindText(query.get(), 1, user) || sqlite3_step(query.get()) != SQLITE_ROW)
        return std::nullopt;
    const auto seconds = integerColumn(query.get(), 0);
    if (!seconds || *seconds <= 0)
        return std::nullopt;  // lastlog2 keeps 0 for "never"
    return seconds;
}

SessionSummary wtmpdbSession(const std::string &uri, std::string_view user)
{
    SessionSummary summary;
    const Database db = openReadOnly(uri);
    if (!db)
        return summary;
    // Rows are added as sessions begin, so the newest session is the one
    // with the highest ID: walking the ID tree from its end stops at the
    // user's latest row instead of sorting the table by Login.
    const Statement session = prepare(db.get(),
        "SELECT ID, Login, Logout FROM wtmp WHERE Type = 3 AND User = ?1 ORDER BY ID DESC LIMIT 1");
    if (!session || !bindText(session.get(), 1, user))
        return summary;
    const int step = sqlite3_step(session.get());
    if (step == SQLITE_DONE)
        summary.readable = true;
    if (step != SQLITE_ROW)
        return summary;
    summary.readable = true;
    const auto id = integerColumn(session.get(), 0);
    const auto login = integerColumn(session.get(), 1);
    if (!id || !login)
        return summary;
    summary.login = secondsFromMicros(*login);
    if (const auto logout = integerColumn(session.get(), 2)) {
        summary.logoff = secondsFromMicros(*logout);
        return summary;
    }
    const Statement boot = prepare(db.get(),
        "SELECT Login FROM wtmp WHERE Type = 1 AND ID > ?1 ORDER BY ID LIMIT 1");
    if (boot && sqlite3_bind_int64(boot.get(), 1, *id) == SQLITE_OK && sqlite3_step(boot.get()) == SQLITE_ROW)
        if (const auto bootTime = integerColumn(boot.get(), 0))
            summary.logoff = secondsFromMicros(*bootTime);
    // An open session: the earlier sessions' ends, as a walk of every user finds them.
    if (!summary.logoff) {
        const std::string name(user);
        summary.logoff = wtmpdbSessions(uri, std::span(&name, 1)).front().logoff;
    }
    return summary;
}

std::vector<std::optional<std::int64_t>> lastlog2Logins(const std::string &uri, std::span<const std::string> users)
{
    std::vector<std::optional<std::int64_t>> logins(users.size());
    const Database db = openReadOnly(uri);
    const Statement query = db ? prepare(db.get(), "SELECT Name, Time FROM Lastlog2") : nullptr;
    if (!query)
        return logins;
    const auto byName = positions(users);
    while (sqlite3_step(query.get()) == SQLITE_ROW) {
        const auto name = textColumn(query.get(), 0);
        const auto at = name ? byName.find(*name) : byName.end();
        if (at == byName.end())
            continue;
        if (const auto seconds = integerColumn(query.get(), 1); seconds && *seconds > 0)
            logins[at->second] = seconds;
    }
    for (std::size_t i = 0; i < users.size(); ++i)
        if (const auto first = byName.find(users[i]); first != byName.end() && first->second != i)
            logins[i] = logins[first->second];
    return logins;
}

std::vector<SessionSummary> wtmpdbSessions(const std::string &uri, std::span<const std::string> users)
{
    std::vector<SessionSummary> sessions(users.size());
    const Database db = openReadOnly(uri);
    // Newest first: a user's first session met is its latest, and the boot
    // row met last before it is the first boot after it.
    const Statement rows = db ? prepare(db.get(),
        "SELECT ID, Type, User, Login, Logout FROM wtmp WHERE Type = 1 OR Type = 3 ORDER BY ID DESC") : nullptr;
    if (!rows)
        return sessions;
    const auto byName = positions(users);
    std::vector<bool> found(users.size(), false), open(users.size(), false);
    std::optional<std::optional<std::int64_t>> nextBoot;  // the boot row's Login, if a number
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(rows.get())) == SQLITE_ROW) {
        if (sqlite3_column_int64(rows.get(), 1) == 1) {
            nextBoot.emplace(integerColumn(rows.get(), 3));
            continue;
        }
        const auto name = textColumn(rows.get(), 2);
        const auto at = name ? byName.find(*name) : byName.end();
        if (at == byName.end() || (found[at->second] && !open[at->second]))
            continue;
        SessionSummary &session = sessions[at->second];
        const auto login = integerColumn(rows.get(), 3);
        const bool latest = !found[at->second];
        found[at->second] = true;
        session.readable = true;
        if (!integerColumn(rows.get(), 0) || !login)
            continue;
        auto end = integerColumn(rows.get(), 4);
        if (!end && nextBoot)
            end = *nextBoot;
        if (latest)
            session.login = secondsFromMicros(*login);
        // While the latest session is open, the latest end of an earlier one.
        open[at->second] = latest ? !end : open[at->second];
        if (end && (!session.logoff || secondsFromMicros(*end) > *session.logoff))
            session.logoff = secondsFromMicros(*end);
    }
    for (std::size_t i = 0; i < users.size(); ++i) {
        if (const auto first = byName.find(users[i]); first != byName.end() && first->second != i)
            sessions[i] = sessions[first->second];
        else if (step == SQLITE_DONE)
            sessions[i].readable = true;
    }
    return sessions;
}

} // namespace tramsel::linux_accounts
