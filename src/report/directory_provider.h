// The directory the report reads accounts from.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "report/property_value.h"

namespace tramsel {

/// An object bound by a DirectoryProvider; only its provider knows what is inside.
class DirectoryObject {
public:
    virtual ~DirectoryObject() = default;
};

/// A directory service that binds objects by path ("WinNT://DOMAIN/user,user")
/// and reads their properties by name. Every failure looks the same to the
/// caller: a bind that gives nothing, a read that gives nothing. The paths and
/// names come from the user: a provider treats them as untrusted text.
class DirectoryProvider {
public:
    virtual ~DirectoryProvider() = default;

    /// The object at the path, or nullptr when it cannot be bound for any reason.
    /// The caller hands every object it gets back to release().
    virtual DirectoryObject *bind(std::string_view path) = 0;
    /// The named property of a bound object, or nothing when it cannot be read.
    virtual std::optional<PropertyValue> get(DirectoryObject &object, std::string_view name) = 0;
    /// Gives back an object that bind() returned.
    virtual void release(DirectoryObject *object) = 0;
    /// Why the last bind failed, as one plain line for an administrator
    /// ("no Kerberos ticket for SALES.TEST (run kinit)"); empty when the
    /// provider cannot tell. The report never shows it: only the command line does.
    virtual std::string failureReason() const { return {}; }
};

} // namespace tramsel
