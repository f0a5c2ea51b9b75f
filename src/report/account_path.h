// Account names as the user typed them: upper-cased domains, the name the
// report shows, and the checks every name passes before it is used.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "report/account_source.h"

namespace tramsel {

class Locale;

// The domain or host name in upper case. Its ASCII letters are identifiers
// and map as ASCII does, whatever the locale (a Turkish "i" stays "I");
// other characters map by the locale's rules.
std::string upperDomain(std::string_view domain, const Locale &locale);

// How the report names an account: "SALES\jdoe", or the bare user for an
// empty domain. Nothing is escaped.
std::string displayName(const AccountName &name);
// The account a listed row stands for, read back from the name it shows.
AccountName accountOf(const AccountRecord &record);

// A name that can be looked up and put into a file path: 1 to 256 bytes, no
// '/', no ',', no NUL or other control character, and not "." or "..".
bool isSafeName(std::string_view name);

// The message a user name is refused with, or nothing when it is acceptable:
// it must not be empty and holds neither a space nor a backslash.
std::optional<std::string> userNameError(std::string_view userName);

// Whether a source may look the account up at all: a safe user name, and a
// safe domain where there is one.
bool isSafeAccount(const AccountName &name);

} // namespace tramsel
