// The account paths directories are asked for ("WinNT://SALES/jdoe,user"):
// how they are built from what the user typed, how a provider takes them
// apart, and the checks every name passes before it is used for anything.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tramsel {

class Locale;

// How the account is named to the directory and to the user.
struct AccountNames {
    std::string path;         // "WinNT://SALES/jdoe,user"
    std::string displayName;  // "SALES\jdoe"
};

// The domain is upper-cased (upperDomain); an empty domain names the bare
// user. Nothing is escaped: the provider receives exactly what was typed.
AccountNames accountNames(std::string_view domain, std::string_view userName, const Locale &locale);

// A domain or host name in upper case. Its ASCII letters are identifiers
// and map as ASCII does, whatever the locale (a Turkish "i" stays "I");
// other characters map by the locale's rules.
std::string upperDomain(std::string_view domain, const Locale &locale);

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

} // namespace tramsel
