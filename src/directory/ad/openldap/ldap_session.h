// A session with one domain controller over libldap: connected and bound
// once with SASL GSSAPI, its searches, and a way to end them from another thread.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "directory/ad/domain_access.h"

// libldap's handles, without its header.
struct ldap;
struct ldapmsg;
struct ldap_conncb;
struct ldap_url_desc;
struct sockaddr;
struct sockbuf;

namespace tramsel::ad {

// One entry of a search result, read where it lies.
class LdapEntry final : public Entry {
public:
    LdapEntry(ldap *ld, ldapmsg *entry) : ld_(ld), entry_(entry) {}
    std::optional<std::string> text(const char *attribute) const override;
    std::optional<std::int64_t> number(const char *attribute) const override;
    std::string dn() const override;

private:
    ldap *ld_;
    ldapmsg *entry_;
};

// A connection to one controller (an LDAP URI), bound with SASL GSSAPI and
// nothing else: sealed over ldap://, with no SASL layer inside the verified
// TLS of ldaps://. Every request has a time limit; interrupt() ends the
// request under way and every later one.
class ControllerSession final : public Session {
public:
    ControllerSession(std::string uri, std::chrono::seconds stepLimit);
    ~ControllerSession();
    ControllerSession(const ControllerSession &) = delete;
    ControllerSession &operator=(const ControllerSession &) = delete;

    const std::string &uri() const override { return uri_; }
    const std::string &host() const override { return host_; }
    std::string open() override;
    void interrupt() override;
    Lookup findOne(const std::string &base, bool onlyBase, const std::string &filter,
                   const std::vector<const char *> &attributes, const std::function<void(const Entry &)> &found,
                   std::string &error) override;
    // Pages of RFC 2696.
    std::string forEach(const std::string &base, const std::string &filter,
                        const std::vector<const char *> &attributes,
                        const std::function<void(const Entry &)> &each) override;

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
