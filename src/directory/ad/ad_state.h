// The state of a domain account beside its usage: disabled, locked, when
// it expires and whether its password has, over every controller that
// found it. The one place these rules live.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "directory/ad/ad_values.h"
#include "report/date_time.h"

namespace tramsel::ad {

struct AccountState {
    std::optional<bool> disabled;
    std::optional<bool> locked;
    std::optional<DateTime> accountExpires;  // nothing: never, or not known
    std::optional<bool> accountExpired;
    std::optional<bool> passwordExpired;
    std::optional<bool> passwordNeverExpires;
};

// The rules, with `now` as a FILETIME:
// - disabled: userAccountControl bit 0x2.
// - locked: bit 0x10 of msDS-User-Account-Control-Computed where a
//   controller computes it (any one that says locked); else lockoutTime > 0
//   and now before lockoutTime plus the effective lockout duration (a
//   "never" duration: until an administrator unlocks).
// - accountExpires: 0 and 0x7FFFFFFFFFFFFFFF are never; accountExpired: it is past.
// - passwordNeverExpires: userAccountControl bit 0x10000, or a policy of "never".
// - passwordExpired: bit 0x800000 of msDS-User-Account-Control-Computed,
//   or a password expiry already past.
AccountState accountState(const std::vector<DcAnswer> &answers, const MergedUsage &usage, std::int64_t now);

// This moment as a FILETIME.
std::int64_t fileTimeNow();

} // namespace tramsel::ad
