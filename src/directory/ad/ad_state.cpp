// Disabled, locked, account expiry and an expired password.
#include "directory/ad/ad_state.h"

#include <chrono>
#include <limits>

namespace tramsel::ad {
namespace {

constexpr std::int64_t kAccountDisabled = 0x2;
constexpr std::int64_t kDontExpirePassword = 0x10000;
constexpr std::int64_t kLockedOut = 0x10;           // computed
constexpr std::int64_t kPasswordExpired = 0x800000;  // computed
constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::max();

// Any controller's computed bit, or nothing where none computes it.
std::optional<bool> computedBit(const std::vector<DcAnswer> &answers, std::int64_t bit)
{
    std::optional<bool> set;
    for (const DcAnswer &answer : answers)
        if (answer.userAccountControlComputed)
            set = set.value_or(false) || (*answer.userAccountControlComputed & bit) != 0;
    return set;
}

std::optional<bool> lockedOut(const std::vector<DcAnswer> &answers, std::int64_t now)
{
    if (const auto computed = computedBit(answers, kLockedOut))
        return computed;
    // lockoutTime replicates; an unlock writes 0, a lockout the time.
    std::optional<std::int64_t> since;
    for (const DcAnswer &answer : answers)
        if (answer.lockoutTime && (!since || *answer.lockoutTime > *since))
            since = answer.lockoutTime;
    if (!since)
        return std::nullopt;
    if (*since <= 0)
        return false;
    const auto duration = firstHaving(answers, &DcAnswer::lockoutDuration);
    if (!duration)
        return std::nullopt;
    if (*duration == 0 || *duration == std::numeric_limits<std::int64_t>::min())
        return true;  // until an administrator unlocks
    if (*duration > 0)
        return std::nullopt;
    return *since > now + *duration;  // now < since - duration, without overflow
}

} // namespace

AccountState accountState(const std::vector<DcAnswer> &answers, const MergedUsage &usage, std::int64_t now)
{
    AccountState state;
    if (const auto control = firstHaving(answers, &DcAnswer::userAccountControl))
        state.disabled = (*control & kAccountDisabled) != 0;
    state.locked = lockedOut(answers, now);
    if (const auto expires = firstHaving(answers, &DcAnswer::accountExpires)) {
        state.accountExpires = fileTimeToInstant(*expires);
        state.accountExpired = state.accountExpires.has_value() && *expires <= now;
    }
    const auto age = usage.maxPasswordAge ? passwordAgeSeconds(*usage.maxPasswordAge) : std::nullopt;
    if (const auto control = firstHaving(answers, &DcAnswer::userAccountControl); control || age)
        state.passwordNeverExpires = (control && (*control & kDontExpirePassword)) || age == 0;
    const auto computed = computedBit(answers, kPasswordExpired);
    const bool past = usage.passwordExpiry && *usage.passwordExpiry > 0 && *usage.passwordExpiry != kNever
        && *usage.passwordExpiry <= now;
    if (computed || usage.passwordExpiry)
        state.passwordExpired = computed.value_or(false) || past;
    return state;
}

std::int64_t fileTimeNow()
{
    const auto since1970 = std::chrono::duration_cast<std::chrono::duration<std::int64_t, std::ratio<1, 10'000'000>>>(
        std::chrono::system_clock::now().time_since_epoch());
    return since1970.count() + 116'444'736'000'000'000;
}

} // namespace tramsel::ad
