// The pure parts of reading Active Directory: filter escaping, FILETIME
// conversion, and how the answers of several domain controllers add up to
// one account's usage.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "report/date_time.h"
#include "report/account_record.h"

namespace tramsel::ad {

// The value as it may stand in an LDAP filter (RFC 4515): '*', '(', ')',
// '\', NUL and every byte outside printable ASCII become \XX escapes, so a
// name can only ever match itself.
std::string escapeFilterValue(std::string_view value);

// An attribute's text as a whole decimal number (an Integer, or a
// FILETIME); nothing for anything else, a controller's garbage included.
std::optional<std::int64_t> integerValue(std::string_view text);

// The LDAP filter that finds the account of that sAMAccountName: a user
// (objectCategory person), or for a name ending in '$' a computer.
std::string accountFilter(std::string_view samAccountName);

// A FILETIME (100 ns since 1601-01-01 UTC) as an instant, to the second.
// Nothing for 0, negative values and "never" (0x7FFFFFFFFFFFFFFF), which AD
// uses for "no such event".
std::optional<DateTime> fileTimeToInstant(std::int64_t fileTime);

// A GeneralizedTime in UTC ("20261207093000.0Z", as whenCreated holds it)
// as an instant; nothing for anything else.
std::optional<DateTime> generalizedTimeToInstant(std::string_view text);

// A negative 100 ns interval (maxPwdAge, msDS-MaximumPasswordAge) as whole
// positive seconds; 0 for a policy of "never" (0 or INT64_MIN).
std::optional<std::int64_t> passwordAgeSeconds(std::int64_t interval);

// What one domain controller said about the user. Attributes it did not
// return stay empty: nothing happened there. (The audit packs every
// member: a new one goes into ad_source.cpp's Listed too.)
struct DcAnswer {
    std::optional<std::int64_t> lastLogon;
    std::optional<std::int64_t> lastLogonTimestamp;
    std::optional<std::int64_t> lastLogoff;
    std::optional<std::int64_t> badPwdCount;
    std::optional<std::int64_t> badPasswordTime;
    std::optional<std::int64_t> pwdLastSet;
    std::optional<std::int64_t> userAccountControl;
    std::optional<std::int64_t> passwordExpiryComputed;  // msDS-UserPasswordExpiryTimeComputed
    // The maximum password age that applies to the user (its resultant
    // PSO's, or the domain's), as AD stores it; empty when unknown.
    std::optional<std::int64_t> maxPasswordAge;
    // What an audit shows beside the report's values.
    std::optional<std::int64_t> userAccountControlComputed;  // msDS-User-Account-Control-Computed
    std::optional<std::int64_t> lockoutTime;
    std::optional<std::int64_t> accountExpires;
    std::optional<std::int64_t> lockoutDuration;  // the PSO's or the domain's, as maxPasswordAge
    std::optional<std::string> displayName;
    std::optional<DateTime> whenCreated;
    std::optional<std::string> samAccountName;  // a listing keeps it beside the answer
    bool criticalSystemObject = false;          // isCriticalSystemObject is TRUE
    std::optional<std::string> container;        // the parent of the entry's DN
    std::optional<std::string> operatingSystem;
};

// The directory's spelling of the user's name, from the first controller that gave it.
std::optional<std::string> firstName(const std::vector<DcAnswer> &answers);

// The user's usage over every controller that found it, as FILETIMEs and
// counts: the latest of the per-controller times, the largest bad password
// count, and replicated values from the first controller that has them. A
// maximum age no controller could read is the computed expiry less the
// last change.
struct MergedUsage {
    std::optional<std::int64_t> lastLogin;
    std::optional<std::int64_t> lastLogoff;
    std::optional<std::int64_t> lastFailedLogin;
    std::int64_t badLoginCount = 0;  // no controller counting a failure: none
    std::optional<std::int64_t> passwordExpiry;
    std::optional<std::int64_t> maxPasswordAge;
    std::optional<std::int64_t> passwordLastSet;  // pwdLastSet: 0 is "change at the next login"
};

MergedUsage mergeAnswers(const std::vector<DcAnswer> &answers);

// A replicated attribute from the first controller that has it.
template <typename Member>
std::optional<std::int64_t> firstHaving(const std::vector<DcAnswer> &answers, Member member)
{
    for (const DcAnswer &answer : answers)
        if (answer.*member)
            return answer.*member;
    return std::nullopt;
}

// The report's values of a merged user. AD keeps no logoff (none) and no
// address of a failed login (none); a maximum age no controller let us
// read is unknown.
AccountUsage accountUsage(const MergedUsage &usage);

} // namespace tramsel::ad
