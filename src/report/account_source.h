// The port every account source implements: a platform's local accounts, a
// domain's directory. One account by name, every account handed to a sink
// as it is ready, and what each domain controller says of one account.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "report/account_record.h"

namespace tramsel {

/// Where a source reads from, as the command line may name it.
struct SourceOptions {
    // Read account files and records below this folder instead of "/"
    // (where the platform's source reads files at all). Empty: the running system.
    std::string root;
    // Domain controllers to ask, as LDAP URIs ("ldap://dc1.sales.test"),
    // instead of those the domain's DNS records name. Empty: ask DNS.
    std::vector<std::string> servers;
};

/// An account as the user named it: the domain upper-cased (upperDomain),
/// empty for this machine. Both come from the user: a source treats them as
/// untrusted text.
struct AccountName {
    std::string domain;
    std::string user;
};

/// Why a source gave no answer, and what that means to the caller.
struct Failure {
    enum class Kind {
        None,
        BadRequest,  // asked for what the source cannot answer as asked (a --base the domain does not hold)
        NotFound,    // no such account, or nothing could be read
        Stopped,     // the listing was stopped before it ended
    };
    Kind kind = Kind::None;
    std::string text;  // one plain line; may be empty for NotFound

    explicit operator bool() const { return kind != Kind::None; }
};

/// One place the accounts were read from: a domain controller (its URI), or
/// the machine's account files. A source that did not answer contributes
/// nothing and is named with its error.
struct Source {
    std::string name;
    bool answered = false;
    std::string error;
};

/// One account: its record, or why there is none.
struct Lookup {
    std::optional<AccountRecord> record;
    Failure failure;                   // set when there is no record
    std::vector<Source> sources;       // every source asked, in order
    std::vector<std::string> missing;  // sources whose answers the record lacks, "dc2.sales.test: ..."
    // Files that could not be read, leaving values unknown:
    // "/var/log/btmp: Permission denied; failed logins are unknown".
    std::vector<std::string> unread;
};

/// What to list.
struct Request {
    std::string domain;  // upper-cased (upperDomain); empty for this machine
    std::string base;    // an AD distinguished name to list below; empty: the whole domain
    // Asked from another thread: the listing ends soon after, with the
    // failure Stopped, its requests to servers broken off.
    std::stop_token stop;
    // Which accounts: users, or computers (a source without them refuses
    // the request as a BadRequest).
    enum class Kind { Users, Computers } kind = Kind::Users;
};

/// How far a listing has come, for a progress line.
struct Progress {
    std::size_t sourcesDone = 0;
    std::size_t sourcesTotal = 0;
    std::size_t accountsRead = 0;  // accounts, not each controller's copy of one
    bool controllers = false;      // the sources are domain controllers
};

/// How a listing ended.
struct Listing {
    std::string domain;           // the domain or machine as the rows name it ("SALES", "WEB01")
    std::vector<Source> sources;  // every source asked, in order
    Failure failure;              // set when nothing could be read at all
    std::vector<std::string> unread;  // as Lookup's
    // The sources that did not answer, as Lookup's missing names them; none:
    // each source's name and error.
    std::vector<std::string> missing;
};

/// One controller's own values of one account, as the per-controller view shows them.
struct ControllerValues {
    Source source;
    std::optional<DateTime> lastLogon;
    std::optional<DateTime> lastLogonTimestamp;
    std::optional<std::int64_t> badPwdCount;
    std::optional<DateTime> badPasswordTime;
    std::optional<DateTime> lockoutTime;
    std::optional<DateTime> pwdLastSet;
};

struct PerController {
    std::string account;  // "SALES\jdoe"
    std::vector<ControllerValues> controllers;
    std::string error;    // set when nothing could be read at all
};

using RowSink = std::function<void(AccountRecord &&)>;
using ProgressSink = std::function<void(const Progress &)>;

/// Every source answers the same three questions, merging what several
/// domain controllers say by the same rules, so that an account's row and
/// its report always agree.
class AccountSource {
public:
    virtual ~AccountSource() = default;

    /// One account by name.
    virtual Lookup lookup(const AccountName &name) = 0;
    /// Calls `row` once for each account (in no promised order) and
    /// `progress` now and then, both on the calling thread.
    virtual Listing list(const Request &request, const RowSink &row, const ProgressSink &progress) = 0;
    /// What each domain controller says of one account. A source without
    /// controllers says so in `error`.
    virtual PerController perController(const AccountName &name)
    {
        return {name.domain + "\\" + name.user, {}, "a per-controller view needs a domain account"};
    }
};

using SourceFactory = std::function<std::unique_ptr<AccountSource>(const SourceOptions &)>;

} // namespace tramsel
