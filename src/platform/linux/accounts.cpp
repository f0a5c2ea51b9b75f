// Account lookups through NSS or through a tree's files.
#include "platform/linux/accounts.h"

#include <netdb.h>
#include <pwd.h>
#include <shadow.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <vector>

#include <algorithm>

namespace tramsel::linux_accounts {
namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    const auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; };
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(),
                      [&](char x, char y) { return lower(x) == lower(y); });
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
        if (error == 0 && result && result->pw_name)
            found = PasswdEntry{result->pw_name, static_cast<std::uint32_t>(result->pw_uid)};
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
        return ShadowEntry{canonicalName, result->sp_lstchg, result->sp_max};
    }
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
    const auto hostname = text("/etc/hostname");
    if (!hostname)
        return false;
    const std::string name = parseHostnameFile(*hostname);
    return !name.empty() && namesThisHost(domain, {name});
}

} // namespace tramsel::linux_accounts
