// Upper-casing, showing and checking account names.
#include "report/account_path.h"

#include <algorithm>

#include "report/locale.h"

namespace tramsel {
namespace {

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

std::string displayName(const AccountName &name)
{
    return name.domain.empty() ? name.user : name.domain + "\\" + name.user;
}

AccountName accountOf(const AccountRecord &record)
{
    const std::size_t slash = record.account.rfind('\\');
    return {slash == std::string::npos ? std::string() : record.account.substr(0, slash), record.user};
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

std::optional<std::string> userNameError(std::string_view userName)
{
    if (userName.empty())
        return "User Name cannot be blank";
    if (userName.find(' ') != std::string_view::npos || userName.find('\\') != std::string_view::npos)
        return "Wrong User Name";
    return std::nullopt;
}

bool isSafeAccount(const AccountName &name)
{
    return isSafeName(name.user) && (name.domain.empty() || isSafeName(name.domain));
}

} // namespace tramsel
