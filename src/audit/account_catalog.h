// The accounts of a domain or machine, all at once: the port each directory
// provider implements for an audit, and the per-controller view of one account.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "report/account_record.h"

namespace tramsel::audit {

/// One place the accounts were read from: a domain controller (its URI), or
/// the machine's account files. A source that did not answer contributes
/// nothing and is named with its error.
struct Source {
    std::string name;
    bool answered = false;
    std::string error;
};

/// What to list.
struct Request {
    // A NetBIOS or DNS name or a host name, upper-cased as the report's
    // (upperDomain); empty for this machine.
    std::string domain;
    std::string base;    // an AD distinguished name to list below; empty: the whole domain
    // Only this account (--print with a --format): a catalog may list just
    // the account of that name, or every account; the caller keeps only the
    // rows whose user is this name. Empty: every account.
    std::string user;
};

/// How far a listing has come, for a progress line.
struct Progress {
    std::size_t sourcesDone = 0;
    std::size_t sourcesTotal = 0;
    std::size_t accountsRead = 0;
};

/// How a listing ended.
struct Listing {
    std::string domain;            // the domain or machine as the rows name it ("SALES", "WEB01")
    std::vector<Source> sources;   // every source asked, in order
    // Set when nothing could be read at all: one plain line. A request the
    // directory cannot answer as asked (a --base it does not hold) begins "--base ".
    std::string error;
    // What could not be read though the source answered, leaving some values
    // unknown: one plain line each ("/var/log/btmp: Permission denied; failed logins are unknown").
    std::vector<std::string> unread;
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
    std::string account;                   // "SALES\jdoe"
    std::vector<ControllerValues> controllers;
    std::string error;                     // set when nothing could be read at all
};

/// Every user account of a domain or machine, merged over every source,
/// with the same rules the single-account report uses.
class AccountCatalog {
public:
    virtual ~AccountCatalog() = default;

    /// Calls `row` once for each account (in no promised order) and
    /// `progress` now and then, both on the calling thread; returns the
    /// sources and how they answered.
    virtual Listing listAccounts(const Request &request, const std::function<void(AccountRecord &&)> &row,
                                 const std::function<void(const Progress &)> &progress) = 0;

    /// What each domain controller says of one account. A directory without
    /// controllers says so in `error`.
    virtual PerController perController(const std::string &domain, const std::string &user)
    {
        return {domain + "\\" + user, {}, "a per-controller view needs a domain account"};
    }
};

} // namespace tramsel::audit
