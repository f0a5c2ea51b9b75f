// UTF-8 to UTF-16 and back.
#include "platform/win/wide_text.h"

#include <windows.h>

#include <climits>

namespace tramsel::win {

std::optional<std::wstring> terminatedWide(std::string_view utf8)
{
    if (utf8.find('\0') != std::string_view::npos || utf8.size() > INT_MAX)
        return std::nullopt;
    if (utf8.empty())
        return std::wstring();
    const int inLength = static_cast<int>(utf8.size());
    const int length =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), inLength, nullptr, 0);
    if (length <= 0)
        return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), inLength, wide.data(),
                            length)
        != length)
        return std::nullopt;
    return wide;
}

std::optional<std::string> utf8FromWide(std::wstring_view utf16)
{
    if (utf16.size() > INT_MAX)
        return std::nullopt;
    if (utf16.empty())
        return std::string();
    const int inLength = static_cast<int>(utf16.size());
    const int length = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, utf16.data(), inLength,
                                           nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return std::nullopt;
    std::string utf8(static_cast<std::size_t>(length), '\0');
    if (WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, utf16.data(), inLength, utf8.data(),
                            length, nullptr, nullptr)
        != length)
        return std::nullopt;
    return utf8;
}

} // namespace tramsel::win
