// Where the Linux source looks accounts up: the running system through NSS, or
// the account files of a folder tree (a mounted disk image, a test fixture).
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "directory/linux/account_files.h"
#include "directory/linux/files.h"

namespace tramsel::linux_accounts {

// Whether `domain` names this machine: LOCALHOST, or one of its host names
// (short or full), compared without regard to ASCII case.
bool namesThisHost(std::string_view domain, const std::vector<std::string> &hostNames);

/// The accounts of one system.
class AccountDatabase {
public:
    virtual ~AccountDatabase() = default;

    /// The user called `name`, with the canonical name the system gives it.
    virtual std::optional<PasswdEntry> findUser(const std::string &name) = 0;
    /// The password ageing of the user with this canonical name; nothing when
    /// the user has no shadow entry or the shadow file may not be read.
    virtual std::optional<ShadowEntry> findShadow(const std::string &canonicalName) = 0;
    /// Whether `domain` is one of this system's host names (not LOCALHOST).
    virtual bool isHostName(std::string_view domain) = 0;

    /// The shadow entries of the users with these canonical names, as
    /// findShadow gives each; users without one are left out.
    virtual std::unordered_map<std::string, ShadowEntry> findShadows(std::span<const std::string> names);
    /// The system's own host name as it is set; empty when it has none.
    virtual std::string hostName() { return {}; }
};

// The running system: getpwnam_r and getspnam_r (files, sssd, winbind, LDAP),
// gethostname. `files` is asked for /etc/shadow to see whether this process
// may read it before NSS is trusted with shadow entries.
class SystemAccounts final : public AccountDatabase {
public:
    explicit SystemAccounts(FileReader &files) : files_(files) {}

    std::optional<PasswdEntry> findUser(const std::string &name) override;
    std::optional<ShadowEntry> findShadow(const std::string &canonicalName) override;
    bool isHostName(std::string_view domain) override;
    // One walk of NSS's shadow entries (getspent), then findShadow for the
    // names it did not list.
    std::unordered_map<std::string, ShadowEntry> findShadows(std::span<const std::string> names) override;
    std::string hostName() override;

private:
    FileReader &files_;
};

// A folder tree read as files through `files`: /etc/passwd, /etc/shadow,
// /etc/hostname; no NSS.
class TreeAccounts final : public AccountDatabase {
public:
    explicit TreeAccounts(FileReader &files) : files_(files) {}

    std::optional<PasswdEntry> findUser(const std::string &name) override;
    std::optional<ShadowEntry> findShadow(const std::string &canonicalName) override;
    bool isHostName(std::string_view domain) override;
    std::unordered_map<std::string, ShadowEntry> findShadows(std::span<const std::string> names) override;
    std::string hostName() override;

private:
    std::optional<std::string> text(const std::string &path);

    FileReader &files_;
};

} // namespace tramsel::linux_accounts
