// Filter escaping, FILETIMEs and the merge of the controllers' answers.
#include "directory/ad/ad_values.h"

#include <ctime>

#include <algorithm>
#include <charconv>
#include <limits>

namespace tramsel::ad {
namespace {

constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kTicksPerSecond = 10'000'000;
constexpr std::int64_t kSeconds1601To1970 = 11'644'473'600;
// userAccountControl's "password never expires".
constexpr std::int64_t kDontExpirePassword = 0x10000;

bool isEvent(std::optional<std::int64_t> fileTime)
{
    return fileTime && *fileTime > 0 && *fileTime != kNever;
}

// The later of two optional events; sentinels count as no event.
void keepLatest(std::optional<std::int64_t> &latest, std::optional<std::int64_t> candidate)
{
    if (isEvent(candidate) && (!latest || *candidate > *latest))
        latest = candidate;
}

// Controllers too old to compute the expiry: password set plus maximum age.
std::optional<std::int64_t> derivedExpiry(const std::vector<DcAnswer> &answers)
{
    const auto set = firstHaving(answers, &DcAnswer::pwdLastSet);
    const auto control = firstHaving(answers, &DcAnswer::userAccountControl);
    const auto maxAge = firstHaving(answers, &DcAnswer::maxPasswordAge);
    if (!set || !maxAge)
        return std::nullopt;
    if ((control && (*control & kDontExpirePassword)) || passwordAgeSeconds(*maxAge) == 0)
        return kNever;
    if (*set <= 0 || *maxAge >= 0 || *set > kNever + *maxAge)
        return std::nullopt;
    return *set - *maxAge;
}

// A reader that may not read the user's password settings object still sees
// the expiry the controller worked out from it: the age is the time from
// the last change to that expiry.
std::optional<std::int64_t> ageFromExpiry(const std::vector<DcAnswer> &answers)
{
    const auto expiry = firstHaving(answers, &DcAnswer::passwordExpiryComputed);
    const auto set = firstHaving(answers, &DcAnswer::pwdLastSet);
    if (!isEvent(expiry) || !isEvent(set) || *expiry <= *set)
        return std::nullopt;
    return *set - *expiry;
}

Known<DateTime> dateValue(std::optional<std::int64_t> fileTime)
{
    return Known<DateTime>::read(fileTime ? fileTimeToInstant(*fileTime) : std::nullopt);
}

} // namespace

std::string escapeFilterValue(std::string_view value)
{
    static constexpr char kHex[] = "0123456789abcdef";
    std::string escaped;
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x7f || c == '*' || c == '(' || c == ')' || c == '\\') {
            escaped += '\\';
            escaped += kHex[byte >> 4];
            escaped += kHex[byte & 0xf];
        } else {
            escaped += c;
        }
    }
    return escaped;
}

std::optional<std::int64_t> integerValue(std::string_view text)
{
    std::int64_t n = 0;
    const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (text.empty() || error != std::errc() || stop != text.data() + text.size())
        return std::nullopt;
    return n;
}

std::string accountFilter(std::string_view samAccountName)
{
    const bool computer = samAccountName.ends_with('$');
    return std::string(computer ? "(&(objectCategory=computer)" : "(&(objectCategory=person)(objectClass=user)")
        + "(sAMAccountName=" + escapeFilterValue(samAccountName) + "))";
}

std::optional<DateTime> fileTimeToInstant(std::int64_t fileTime)
{
    if (!isEvent(fileTime))
        return std::nullopt;
    return DateTime::fromUnixSeconds(fileTime / kTicksPerSecond - kSeconds1601To1970);
}

std::optional<DateTime> generalizedTimeToInstant(std::string_view text)
{
    // YYYYMMDDHHMMSS, an optional fraction, then Z.
    if (text.size() < 15 || text.back() != 'Z')
        return std::nullopt;
    const auto digits = [&](std::size_t at, std::size_t count) -> std::optional<int> {
        int value = 0;
        const auto [stop, error] = std::from_chars(text.data() + at, text.data() + at + count, value);
        return error == std::errc() && stop == text.data() + at + count ? std::optional(value) : std::nullopt;
    };
    const std::string_view fraction = text.substr(14, text.size() - 15);
    if (!fraction.empty()
        && (fraction.size() < 2 || (fraction[0] != '.' && fraction[0] != ',')
            || fraction.find_first_not_of("0123456789", 1) != std::string_view::npos))
        return std::nullopt;
    const auto year = digits(0, 4), month = digits(4, 2), day = digits(6, 2), hour = digits(8, 2),
               minute = digits(10, 2), second = digits(12, 2);
    if (!year || !month || !day || !hour || !minute || !second)
        return std::nullopt;
    return DateTime::instantFromCivil({*year, *month, *day, *hour, *minute, std::min(*second, 59)});
}

std::optional<std::int64_t> passwordAgeSeconds(std::int64_t interval)
{
    if (interval == 0 || interval == std::numeric_limits<std::int64_t>::min())
        return 0;
    if (interval > 0)
        return std::nullopt;
    return -interval / kTicksPerSecond;
}

MergedUsage mergeAnswers(const std::vector<DcAnswer> &answers)
{
    MergedUsage usage;
    for (const DcAnswer &answer : answers) {
        keepLatest(usage.lastLogin, answer.lastLogon);
        keepLatest(usage.lastLogin, answer.lastLogonTimestamp);
        keepLatest(usage.lastLogoff, answer.lastLogoff);
        keepLatest(usage.lastFailedLogin, answer.badPasswordTime);
        if (answer.badPwdCount)
            usage.badLoginCount = std::max(usage.badLoginCount, *answer.badPwdCount);
    }
    usage.passwordExpiry = firstHaving(answers, &DcAnswer::passwordExpiryComputed);
    if (!usage.passwordExpiry)
        usage.passwordExpiry = derivedExpiry(answers);
    usage.maxPasswordAge = firstHaving(answers, &DcAnswer::maxPasswordAge);
    if (!usage.maxPasswordAge)
        usage.maxPasswordAge = ageFromExpiry(answers);
    usage.passwordLastSet = firstHaving(answers, &DcAnswer::pwdLastSet);
    return usage;
}

std::optional<std::string> firstName(const std::vector<DcAnswer> &answers)
{
    for (const DcAnswer &answer : answers)
        if (answer.samAccountName)
            return answer.samAccountName;
    return std::nullopt;
}

AccountUsage accountUsage(const MergedUsage &merged)
{
    AccountUsage usage;
    usage.lastLogin = dateValue(merged.lastLogin);
    usage.lastLogoff = dateValue(merged.lastLogoff);
    usage.lastFailedLogin = dateValue(merged.lastFailedLogin);
    usage.lastBadLoginAddress = Known<std::string>::none();
    usage.badLoginCount = merged.badLoginCount;
    usage.passwordExpires = dateValue(merged.passwordExpiry);
    const auto seconds = merged.maxPasswordAge ? passwordAgeSeconds(*merged.maxPasswordAge) : std::nullopt;
    if (seconds)
        usage.passwordMaxAge = Known<MaxPasswordAge>::read(passwordMaxAge(PropertyValue(*seconds)));
    // The expiry less the maximum age; where there is no expiry, pwdLastSet itself.
    const auto changed = usage.passwordExpires.hasValue() && seconds
        ? usage.passwordExpires->minusSeconds(static_cast<double>(*seconds)) : std::nullopt;
    usage.passwordLastChanged = changed ? Known<DateTime>(*changed) : dateValue(merged.passwordLastSet);
    return usage;
}

} // namespace tramsel::ad
