// Which accounts an audit shows: the command line's filters, each a rule
// over one account record, combined with AND.
#pragma once

#include <optional>

#include "report/account_record.h"

namespace tramsel {
class Locale;
}

namespace tramsel::audit {

// The moment the audit runs, on both clocks a date-time may count on: an
// instant compares with `instant`, a wall-clock date-time (a shadow day, an
// OLE date) with `wall`, the user's clock at that instant.
struct Now {
    DateTime instant;
    DateTime wall;
};
Now nowAt(const DateTime &instant, const Locale &locale);

struct Filters {
    // No login in the last N days (never logged in counts), unless the
    // account was created within them.
    std::optional<int> inactiveDays;
    bool neverLoggedIn = false;
    bool locked = false;
    bool disabled = false;
    bool enabled = false;
    bool accountExpired = false;
    bool passwordNeverExpires = false;
    bool userAccounts = false;
    bool systemAccounts = false;
    // The password expires within N days, or has expired already.
    std::optional<int> passwordExpiresWithinDays;
};

// Whether the account passes every filter that is set. A state that is not
// known passes neither --locked nor --disabled nor --enabled, nor
// --user-accounts nor --system-accounts.
bool matches(const Filters &filters, const AccountRecord &record, const Now &now);

} // namespace tramsel::audit
