// One domain controller, connected and bound once: the searches the report
// and the audit make of it, and a way to end them from another thread.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// libldap's handles, without its header.
struct ldap;
struct ldapmsg;
struct ldap_conncb;
struct ldap_url_desc;
struct sockaddr;
struct sockbuf;

namespace tramsel::ad {

// One entry of a search result, read where it lies.
class Entry {
public:
    Entry(ldap *ld, ldapmsg *entry) : ld_(ld), entry_(entry) {}
    // The first value of an attribute as its bytes; nothing when absent.
    std::optional<std::string> text(const char *attribute) const;
    // The first value as a whole decimal number; nothing when absent or
    // anything else (a controller's garbage is no value, never a crash).
    std::optional<std::int64_t> number(const char *attribute) const;
    // Its distinguished name.
    std::string dn() const;

private:
    ldap *ld_;
    ldapmsg *entry_;
};

// What a search of one entry found. NoSuchBase: the base is not there.
enum class Lookup { Found, NotFound, NoSuchBase, Failed };

// A connection to one controller (an LDAP URI), bound with SASL GSSAPI and
// nothing else: sealed over ldap://, with no SASL layer inside the verified
// TLS of ldaps://. Every request has a time limit; interrupt() ends the
// request under way and every later one.
class ControllerSession {
public:
    ControllerSession(std::string uri, std::chrono::seconds stepLimit);
    ~ControllerSession();
    ControllerSession(const ControllerSession &) = delete;
    ControllerSession &operator=(const ControllerSession &) = delete;

    const std::string &uri() const { return uri_; }
    // The URI's host as messages name it ("dc1.sales.test").
    const std::string &host() const { return host_; }

    // Connects and binds; empty, or why not as one line.
    std::string open();
    // May be called from any thread, before or during any request.
    void interrupt();

    // The first entry below `base` (its scope: the object itself when
    // `onlyBase`, else the subtree) that `filter` matches: Found calls
    // `found` with it; more than one match is Failed.
    Lookup findOne(const std::string &base, bool onlyBase, const std::string &filter,
                   const std::vector<const char *> &attributes, const std::function<void(const Entry &)> &found,
                   std::string &error);
    // Every entry of a subtree search, a page at a time (RFC 2696); empty,
    // or why the search failed part-way.
    std::string forEach(const std::string &base, const std::string &filter,
                        const std::vector<const char *> &attributes, const std::function<void(const Entry &)> &each);

    // The entries one page asks for: a server with a smaller limit sends
    // fewer, and the cookie leads on.
    static constexpr int kPageSize = 1000;

private:
    static int connected(ldap *, sockbuf *, ldap_url_desc *, sockaddr *, ldap_conncb *);
    static void closing(ldap *, sockbuf *, ldap_conncb *);
    std::string failure(int rc) const;
    bool interrupted();

    std::string uri_;
    std::string host_;
    std::chrono::seconds stepLimit_;
    bool tls_ = false;  // ldaps://
    ldap *ld_ = nullptr;
    std::unique_ptr<ldap_conncb> callbacks_;
    std::mutex mutex_;  // guards the two below, against interrupt()
    int socket_ = -1;
    bool interrupted_ = false;
};

// The host of an LDAP URI ("dc1.sales.test"), or the URI itself when it has none.
std::string uriHost(const std::string &uri);

} // namespace tramsel::ad
