// Parsing and checking account paths.
#include "platform/linux/account_path.h"

#include <algorithm>

namespace tramsel::linux_accounts {
namespace {

constexpr std::string_view kPrefix = "WinNT://";
constexpr std::string_view kClassSuffix = ",user";
constexpr std::size_t kMaxNameBytes = 256;

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    const auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; };
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(),
                      [&](char x, char y) { return lower(x) == lower(y); });
}

} // namespace

bool isSafeName(std::string_view name)
{
    if (name.empty() || name.size() > kMaxNameBytes || name == "." || name == "..")
        return false;
    return std::none_of(name.begin(), name.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7f || c == '/' || c == ',';
    });
}

std::optional<AccountPath> parseAccountPath(std::string_view path)
{
    if (!path.starts_with(kPrefix) || !path.ends_with(kClassSuffix)
        || path.size() < kPrefix.size() + kClassSuffix.size())
        return std::nullopt;
    std::string_view names = path.substr(kPrefix.size(), path.size() - kPrefix.size() - kClassSuffix.size());
    AccountPath account;
    if (const auto slash = names.find('/'); slash != std::string_view::npos) {
        account.domain = std::string(names.substr(0, slash));
        names.remove_prefix(slash + 1);
        if (!isSafeName(account.domain))
            return std::nullopt;
    }
    if (!isSafeName(names))
        return std::nullopt;
    account.user = std::string(names);
    return account;
}

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

} // namespace tramsel::linux_accounts
