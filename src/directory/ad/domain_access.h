// How the Active Directory rules reach a domain: the port its transport
// implements (libldap, SASL and Kerberos in openldap/; a scripted fake in
// the tests). The rules (which controllers, what each one is asked, how the
// answers merge) never see the transport.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tramsel::ad {

/// One entry of a search result.
class Entry {
public:
    virtual ~Entry() = default;
    /// The first value of an attribute as its bytes; nothing when absent.
    virtual std::optional<std::string> text(const char *attribute) const = 0;
    /// The first value as a whole decimal number; nothing when absent or
    /// anything else (a controller's garbage is no value, never a crash).
    virtual std::optional<std::int64_t> number(const char *attribute) const = 0;
    /// Its distinguished name.
    virtual std::string dn() const = 0;
};

/// What a search of one entry found. NoSuchBase: the base is not there.
enum class Lookup { Found, NotFound, NoSuchBase, Failed };

/// A session with one domain controller. Every request has a time limit;
/// interrupt() ends the request under way and every later one.
class Session {
public:
    virtual ~Session() = default;
    /// The controller's URI, and its host as messages name it ("dc1.sales.test").
    virtual const std::string &uri() const = 0;
    virtual const std::string &host() const = 0;
    /// Connects and binds; empty, or why not as one line.
    virtual std::string open() = 0;
    /// May be called from any thread, before or during any request.
    virtual void interrupt() = 0;
    /// The first entry below `base` (the object itself when `onlyBase`, else
    /// the subtree) that `filter` matches: Found calls `found` with it; more
    /// than one match is Failed, with the error "more than one entry matches".
    virtual Lookup findOne(const std::string &base, bool onlyBase, const std::string &filter,
                           const std::vector<const char *> &attributes,
                           const std::function<void(const Entry &)> &found, std::string &error) = 0;
    /// Every entry of a subtree search, a page at a time; empty, or why the
    /// search failed part-way.
    virtual std::string forEach(const std::string &base, const std::string &filter,
                                const std::vector<const char *> &attributes,
                                const std::function<void(const Entry &)> &each) = 0;
};

/// The domain a user named, as far as this machine's configuration tells.
struct DomainQuery {
    std::string name;                      // as typed: a NetBIOS or DNS name
    std::optional<std::string> dnsDomain;  // nothing: the one the controllers serve
};

/// The controllers to ask about a domain, or why there are none.
struct DomainControllers {
    DomainQuery domain;
    std::vector<std::string> uris;  // those named, else those DNS names (the first few dozen)
    std::string error;              // set when there are none, or no credentials to ask them with
};

/// A domain's controllers and sessions with them.
class DomainAccess {
public:
    virtual ~DomainAccess() = default;
    /// The controllers of `domain`: `servers` when any are named, else
    /// those DNS names; an error when there are none or no credentials.
    virtual DomainControllers findControllers(std::string_view domain, const std::vector<std::string> &servers) = 0;
    /// A session with the controller at `uri`, not yet open; each of its
    /// requests has `stepLimit`.
    virtual std::unique_ptr<Session> session(const std::string &uri, std::chrono::seconds stepLimit) = 0;
};

} // namespace tramsel::ad
