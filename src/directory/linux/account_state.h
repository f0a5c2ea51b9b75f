// The state an account listing shows beside an account's usage: whether a
// login would be refused now, and whether the account or its password has
// expired. The rules of pam_faillock, passwd -l and chage -l, in one place.
#pragma once

#include <cstdint>
#include <optional>

#include "directory/linux/account_files.h"
#include "directory/linux/login_history.h"
#include "report/date_time.h"

namespace tramsel::linux_accounts {

// Whether pam_faillock would refuse the user now: at least `deny` valid
// failures within fail_interval of the latest, and that one within
// unlock_time of now (or unlock_time 0: until an administrator unlocks).
// Root is refused only with even_deny_root, after root_unlock_time.
bool faillockRefuses(const TallySummary &tally, const FaillockSettings &settings, bool root, std::int64_t now);

struct AccountState {
    std::optional<bool> locked;           // faillock refuses, or the hash starts with '!'
    std::optional<bool> disabled;         // the account's expiry day has come
    std::optional<DateTime> accountExpires;
    std::optional<bool> passwordExpired;  // its expiry day has come, or it must be changed
};

// Nothing is known where shadow could not be read, but a lock by pam_faillock.
AccountState accountState(const std::optional<ShadowEntry> &shadow, const std::optional<TallySummary> &tally,
                          const FaillockSettings &settings, std::uint32_t uid, std::int64_t now);

} // namespace tramsel::linux_accounts
