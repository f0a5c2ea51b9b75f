// The rules that decide a local account's lock and expiry.
#include "directory/linux/account_state.h"

#include "directory/linux/usage_merge.h"

namespace tramsel::linux_accounts {

bool faillockRefuses(const TallySummary &tally, const FaillockSettings &settings, bool root, std::int64_t now)
{
    if ((root && !settings.evenDenyRoot) || settings.deny <= 0 || tally.validNearLatest < settings.deny
        || !tally.latestValid)
        return false;
    const std::int64_t unlock = root ? settings.rootUnlockTimeSeconds : settings.unlockTimeSeconds;
    return unlock == 0 || *tally.latestValid + unlock >= now;
}

AccountState accountState(const std::optional<ShadowEntry> &shadow, const std::optional<TallySummary> &tally,
                          const FaillockSettings &settings, std::uint32_t uid, std::int64_t now)
{
    AccountState state;
    const bool refused = tally && faillockRefuses(*tally, settings, uid == 0, now);
    if (refused)
        state.locked = true;
    if (!shadow)
        return state;
    state.locked = refused || shadow->hashLocked;

    // Days since 1970-01-01 in UTC, as shadow counts them. chage -l shows
    // any expiry of 0 or more as a date, 0 included.
    constexpr std::int64_t kSecondsPerDay = 86400;
    const std::int64_t today = now / kSecondsPerDay - (now % kSecondsPerDay < 0);
    state.disabled = shadow->expireDays >= 0 && today >= shadow->expireDays;
    if (shadow->expireDays >= 0)
        state.accountExpires = DateTime::fromUtcDay(shadow->expireDays);

    // A last change of day 0 asks for a new password at the next login.
    const auto expiry = passwordExpiryDay(*shadow);
    state.passwordExpired = shadow->lastChangeDays == 0 || (expiry && today >= *expiry);
    return state;
}

} // namespace tramsel::linux_accounts
