// The account paths the provider accepts, and the checks every name passes
// before it is used for anything.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tramsel::linux_accounts {

struct AccountPath {
    std::string domain;  // empty when the path names no domain
    std::string user;
};

// "WinNT://DOMAIN/user,user" or "WinNT://user,user"; nothing for any other
// text, or when the domain or the user fails isSafeName().
std::optional<AccountPath> parseAccountPath(std::string_view path);

// A name that can be looked up and put into a file path: 1 to 256 bytes, no
// '/', no ',', no NUL or other control character, and not "." or "..".
bool isSafeName(std::string_view name);

// Whether `domain` names this machine: LOCALHOST, or one of its host names
// (short or full), compared without regard to ASCII case.
bool namesThisHost(std::string_view domain, const std::vector<std::string> &hostNames);

} // namespace tramsel::linux_accounts
