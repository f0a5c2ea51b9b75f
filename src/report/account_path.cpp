// Building, parsing and checking account paths.
#include "report/account_path.h"

#include <algorithm>

#include "report/locale.h"

namespace tramsel {
namespace {

constexpr std::string_view kPrefix = "WinNT://";
constexpr std::string_view kClassSuffix = ",user";
constexpr std::size_t kMaxNameBytes = 256;

} // namespace

std::string upperDomain(std::string_view domain, const Locale &locale)
{
    std::string upper;
    upper.reserve(domain.size());
    for (std::size_t i = 0; i < domain.size();) {
        const auto byte = static_cast<unsigned char>(domain[i]);
        if (byte < 0x80) {
            upper += static_cast<char>(byte >= 'a' && byte <= 'z' ? byte - 'a' + 'A' : byte);
            ++i;
            continue;
        }
        // A run of non-ASCII characters, mapped by the locale.
        std::size_t end = i;
        while (end < domain.size() && static_cast<unsigned char>(domain[end]) >= 0x80)
            ++end;
        upper += locale.toUpper(domain.substr(i, end - i));
        i = end;
    }
    return upper;
}

AccountNames accountNames(std::string_view domain, std::string_view userName, const Locale &locale)
{
    if (domain.empty())
        return {"WinNT://" + std::string(userName) + ",user", std::string(userName)};
    const std::string upper = upperDomain(domain, locale);
    return {"WinNT://" + upper + "/" + std::string(userName) + ",user",
            upper + "\\" + std::string(userName)};
}

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

} // namespace tramsel
