// UTF-8 to UTF-16 and back, for the Windows APIs.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tramsel::win {

// The text for an API that takes a NUL-terminated string: nothing when it is
// not valid UTF-8 or holds a NUL (which would silently cut it short).
std::optional<std::wstring> terminatedWide(std::string_view utf8);

// Nothing when the text is not valid UTF-16 (an unpaired surrogate).
std::optional<std::string> utf8FromWide(std::wstring_view utf16);

} // namespace tramsel::win
