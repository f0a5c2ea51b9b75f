// Account lookups through NSS or through a tree's files.
#include "directory/linux/accounts.h"

#include <netdb.h>
#include <pwd.h>
#include <shadow.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <unordered_set>
#include <vector>

namespace tramsel::linux_accounts {
namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    const auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; };
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(),
                      [&](char x, char y) { return lower(x) == lower(y); });
}

ShadowEntry shadowEntry(const spwd &entry)
{
    return {entry.sp_namp ? entry.sp_namp : "", entry.sp_lstchg, entry.sp_max, entry.sp_expire,
            entry.sp_pwdp && entry.sp_pwdp[0] == '!'};
}

} // namespace

bool namesThisHost(std::string_view domain, const std::vector<std::string> &hostNames)
{
    if (equalsIgnoringCase(domain, "LOCALHOST"))
        return true;
    return std::any_of(hostNames.begin(), hostNames.end(), [&](const std::string &host) {
        if (host.empty())
            return false;
        return equalsIgnoringCase(domain, host)
            || equalsIgnoringCase(domain, std::string_view(host).substr(0, host.find('.')));
    });
}

std::optional<PasswdEntry> SystemAccounts::findUser(const std::string &name)
{
    std::optional<PasswdEntry> found;
    std::vector<char> buffer(4096);
    for (;;) {
        passwd entry{};
        passwd *result = nullptr;
        const int error = ::getpwnam_r(name.c_str(), &entry, buffer.data(), buffer.size(), &result);
        if (error == ERANGE && buffer.size() < (1u << 20)) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (error == 0 && result && result->pw_name) {
            const std::string_view gecos = result->pw_gecos ? result->pw_gecos : "";
            found = PasswdEntry{result->pw_name, static_cast<std::uint32_t>(result->pw_uid),
                                std::string(gecos.substr(0, gecos.find(',')))};
        }
        return found;
    }
}

std::optional<ShadowEntry> SystemAccounts::findShadow(const std::string &canonicalName)
{
    if (!files_.open("/etc/shadow"))
        return std::nullopt;
    std::vector<char> buffer(4096);
    for (;;) {
        spwd entry{};
        spwd *result = nullptr;
        const int error = ::getspnam_r(canonicalName.c_str(), &entry, buffer.data(), buffer.size(), &result);
        if (error == ERANGE && buffer.size() < (1u << 20)) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (error != 0 || !result)
            return std::nullopt;
        return shadowEntry(*result);
    }
}

std::unordered_map<std::string, ShadowEntry> AccountDatabase::findShadows(std::span<const std::string> names)
{
    std::unordered_map<std::string, ShadowEntry> entries;
    for (const std::string &name : names)
        if (auto entry = findShadow(name))
            entries.try_emplace(name, std::move(*entry));
    return entries;
}

std::unordered_map<std::string, ShadowEntry> SystemAccounts::findShadows(std::span<const std::string> names)
{
    std::unordered_map<std::string, ShadowEntry> entries;
    if (!files_.open("/etc/shadow"))
        return entries;
    const std::unordered_set<std::string_view> wanted(names.begin(), names.end());
    std::vector<char> buffer(4096);
    ::setspent();
    for (;;) {
        spwd entry{};
        spwd *result = nullptr;
        const int error = ::getspent_r(&entry, buffer.data(), buffer.size(), &result);
        if (error == ERANGE && buffer.size() < (1u << 20)) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (error != 0 || !result)
            break;
        if (result->sp_namp && wanted.contains(result->sp_namp))
            entries.try_emplace(result->sp_namp, shadowEntry(*result));
    }
    ::endspent();
    for (const std::string &name : names)
        if (!entries.contains(name))
            if (auto entry = findShadow(name))
                entries.try_emplace(name, std::move(*entry));
    return entries;
}

std::string SystemAccounts::hostName()
{
    char host[HOST_NAME_MAX + 1] = {};
    return ::gethostname(host, sizeof host - 1) == 0 ? std::string(host) : std::string();
}

bool SystemAccounts::isHostName(std::string_view domain)
{
    char host[HOST_NAME_MAX + 1] = {};
    if (::gethostname(host, sizeof host - 1) != 0)
        return false;
    std::vector<std::string> names{host};
    // The full name comes from the resolver; ask only when the domain could
    // be it, since a resolver may be slow to answer.
    const std::string shortName = names[0].substr(0, names[0].find('.'));
    if (domain.find('.') != std::string_view::npos
        && namesThisHost(domain.substr(0, domain.find('.')), {shortName})) {
        addrinfo hints{};
        hints.ai_flags = AI_CANONNAME;
        addrinfo *info = nullptr;
        if (::getaddrinfo(host, nullptr, &hints, &info) == 0) {
            if (info && info->ai_canonname)
                names.emplace_back(info->ai_canonname);
            ::freeaddrinfo(info);
        }
    }
    return namesThisHost(domain, names);
}

std::optional<std::string> TreeAccounts::text(const std::string &path)
{
    const auto file = files_.open(path);
    if (!file)
        return std::nullopt;
    return readText(*file);
}

std::optional<PasswdEntry> TreeAccounts::findUser(const std::string &name)
{
    const auto passwd = text("/etc/passwd");
    if (!passwd)
        return std::nullopt;
    return findPasswdEntry(*passwd, name);
}

std::optional<ShadowEntry> TreeAccounts::findShadow(const std::string &canonicalName)
{
    const auto shadow = text("/etc/shadow");
    if (!shadow)
        return std::nullopt;
    return findShadowEntry(*shadow, canonicalName);
}

bool TreeAccounts::isHostName(std::string_view domain)
{
    const std::string name = hostName();
    return !name.empty() && namesThisHost(domain, {name});
}

std::unordered_map<std::string, ShadowEntry> TreeAccounts::findShadows(std::span<const std::string> names)
{
    auto entries = shadowEntries(text("/etc/shadow").value_or(""));
    std::erase_if(entries, [wanted = std::unordered_set<std::string_view>(names.begin(), names.end())](const auto &entry) {
        return !wanted.contains(entry.first);
    });
    return entries;
}

std::string TreeAccounts::hostName()
{
    const auto hostname = text("/etc/hostname");
    return hostname ? parseHostnameFile(*hostname) : std::string();
}

} // namespace tramsel::linux_accounts
