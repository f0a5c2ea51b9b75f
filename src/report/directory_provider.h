// The directory the report reads accounts from.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

/// Where a provider reads from, as the command line may name it.
struct ProviderOptions {
    // Read account files and records below this folder instead of "/"
    // (where the platform's provider reads files at all). Empty: the running system.
    std::string root;
    // Domain controllers to ask, as LDAP URIs ("ldap://dc1.sales.test"),
    // instead of those the domain's DNS records name. Empty: ask DNS.
    std::vector<std::string> servers;
};

/// An object bound by a DirectoryProvider; only its provider knows what is inside.
class DirectoryObject {
public:
    virtual ~DirectoryObject() = default;
};

/// What a bind gives: the account, or why there is none. A provider that
/// asks several sources (domain controllers) names those whose answers are
/// missing from an account it did bind.
struct Binding {
    DirectoryObject *account = nullptr;  // nullptr: not bound
    std::string reason;                  // why not, as one plain line; empty when unknown
    std::vector<std::string> missing;    // "dc2.sales.test: Server not found ...", one a source

    explicit operator bool() const { return account != nullptr; }
};

/// The report's values of a bound account, and the sources that could not be
/// read, each as one plain line ("/var/log/btmp: Permission denied; failed
/// logins are unknown").
struct UsageRead {
    AccountUsage usage;
    std::vector<std::string> unread;
};

/// A directory service that binds objects by path ("WinNT://DOMAIN/user,user")
/// and reads their properties by name. The report treats every failure
/// alike; the reason is for the command line and the status bar. The paths
/// and names come from the user: a provider treats them as untrusted text.
class DirectoryProvider {
public:
    virtual ~DirectoryProvider() = default;

    /// The object at the path, or why it cannot be bound. The caller hands
    /// every object it gets back to release().
    virtual Binding bind(std::string_view path) = 0;
    /// The named property of a bound object, or nothing when it cannot be
    /// read. A provider that reads its values otherwise overrides usage() instead.
    virtual std::optional<PropertyValue> get(DirectoryObject &object, std::string_view name)
    {
        (void)object;
        (void)name;
        return std::nullopt;
    }
    /// Gives back an object that bind() returned.
    virtual void release(DirectoryObject *object) = 0;
    /// The report's values of a bound object. By default they are read
    /// property by property (readProperties), each read guarded.
    virtual UsageRead usage(DirectoryObject &object);
};

} // namespace tramsel
