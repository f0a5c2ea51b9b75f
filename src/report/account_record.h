// What is known about one account: who it is, the report's eight values,
// and the state an audit shows beside them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "report/date_time.h"
#include "report/known.h"
#include "report/property_value.h"

namespace tramsel {

// A maximum password age.
struct MaxPasswordAge {
    double days = 0;
    bool never = false;  // passwords never expire: "None"
    friend bool operator==(const MaxPasswordAge &, const MaxPasswordAge &) = default;
};

// The report's values of one account, each a value, none or unknown.
struct AccountUsage {
    Known<DateTime> lastLogin;
    Known<DateTime> lastLogoff;
    Known<DateTime> lastFailedLogin;
    Known<std::string> lastBadLoginAddress;
    Known<std::int64_t> badLoginCount;
    Known<DateTime> passwordExpires;
    Known<MaxPasswordAge> passwordMaxAge;
    Known<DateTime> passwordLastChanged;
    friend bool operator==(const AccountUsage &, const AccountUsage &) = default;
};

// The maximum password age from the directory's value. A number is seconds,
// rounded down to whole seconds: "never" when that is 0 or less. A text is
// a number of days as it stands (for a directory whose 0 means "change at
// once", not "never"). Nothing for anything else.
std::optional<MaxPasswordAge> passwordMaxAge(const PropertyValue &maxAge);

// When the password was last changed: its expiry moved back by the maximum
// age (in absolute time, fractions of a second included). Nothing when the
// expiry is not a date-time, the age not a number, or the result out of range.
std::optional<DateTime> passwordLastChanged(const PropertyValue &expires, const PropertyValue &maxAgeSeconds);

// Whether passwords never expire by the maximum age; nothing when it is not known.
inline std::optional<bool> neverExpires(const Known<MaxPasswordAge> &age)
{
    return age.hasValue() ? std::optional(age->never) : std::nullopt;
}

// One account as an audit lists it.
struct AccountRecord {
    std::string account;  // "SALES\jdoe"
    std::string user;     // "jdoe"
    std::optional<std::string> fullName;
    AccountUsage usage;
    std::optional<bool> disabled;
    std::optional<bool> locked;
    std::optional<DateTime> accountExpires;  // nothing: never, or not known
    std::optional<bool> accountExpired;      // its expiry has passed
    std::optional<bool> passwordExpired;
    std::optional<bool> passwordNeverExpires;  // by the policy's age, or by the account's own flag
    std::optional<DateTime> created;
    // A system account: outside UID_MIN..UID_MAX on Linux, AD's isCriticalSystemObject.
    std::optional<bool> systemAccount;
    std::optional<std::string> container;        // AD: the parent's distinguished name
    std::optional<std::string> operatingSystem;  // AD computers
    int controllersAnswered = 0;
    int controllersAsked = 0;
};

} // namespace tramsel
