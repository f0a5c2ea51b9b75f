// The report's values read one property at a time, as WinNT gives them:
// each read guarded, so that a property that cannot be read leaves only its
// own value unknown.
#pragma once

#include <functional>
#include <optional>
#include <string_view>

#include "report/account_record.h"
#include "report/property_value.h"

namespace tramsel {

// The properties the report asks a bound account for.
namespace property {
inline constexpr std::string_view kLastLogin = "LastLogin";
inline constexpr std::string_view kLastLogoff = "LastLogoff";
inline constexpr std::string_view kLastFailedLogin = "LastFailedLogin";
inline constexpr std::string_view kBadLoginAddress = "BadLoginAddress";
inline constexpr std::string_view kBadLoginCount = "BadLoginCount";
inline constexpr std::string_view kPasswordExpirationDate = "PasswordExpirationDate";
inline constexpr std::string_view kMaxPasswordAge = "MaxPasswordAge";  // seconds
// When the password was set, where the directory keeps it: asked only when
// the expiry and the maximum age do not tell (a password that never expires).
inline constexpr std::string_view kPasswordLastChanged = "PasswordLastChanged";
} // namespace property

// A property of the bound account; nothing when it cannot be read, a
// NullValue when the directory holds none.
using PropertyGetter = std::function<std::optional<PropertyValue>(std::string_view name)>;

// Not read is unknown, null or empty is none, and a value of another kind
// than the one asked for is unknown. Whatever a read throws ends that read only.
AccountUsage readProperties(const PropertyGetter &get);

} // namespace tramsel
