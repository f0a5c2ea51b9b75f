// The user's locale on Windows, read through the NLS functions.
#include "platform/win/nls_locale.h"

#include <windows.h>

#include "platform/win/wide_text.h"

namespace tramsel::win {
namespace {

// Runs an NLS function that answers the length it needs when given no buffer.
template <class Call> std::string utf8Result(Call call)
{
    const int length = call(nullptr, 0);
    if (length <= 0)
        return {};
    std::wstring out(static_cast<std::size_t>(length), L'\0');
    const int written = call(out.data(), length);
    out.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
    while (!out.empty() && out.back() == L'\0')
        out.pop_back();
    return utf8FromWide(out).value_or(std::string());
}

} // namespace

std::wstring withFullYear(std::wstring_view format)
{
    std::wstring out;
    bool quoted = false;
    for (std::size_t i = 0; i < format.size(); ++i) {
        const wchar_t c = format[i];
        if (c == L'\'')
            quoted = !quoted;
        if (quoted || c != L'y') {
            out += c;
            continue;
        }
        std::size_t run = 1;
        while (i + run < format.size() && format[i + run] == L'y')
            ++run;
        out.append(run == 2 ? 4 : run, L'y');
        i += run - 1;
    }
    return out;
}

LocalTime NlsLocale::localTime(const DateTime &dateTime) const { return zone_.localTime(dateTime); }

std::wstring NlsLocale::info(unsigned long type) const
{
    const int length = GetLocaleInfoEx(name(), type, nullptr, 0);
    if (length <= 0)
        return {};
    std::wstring out(static_cast<std::size_t>(length), L'\0');
    GetLocaleInfoEx(name(), type, out.data(), length);
    out.resize(static_cast<std::size_t>(length - 1));
    return out;
}

std::string NlsLocale::toUpper(std::string_view text) const
{
    const std::optional<std::wstring> wide = terminatedWide(text);
    if (!wide || wide->empty())
        return std::string(text);
    const auto length = static_cast<int>(wide->size());
    return utf8Result([&](wchar_t *out, int size) {
        return LCMapStringEx(name(), LCMAP_UPPERCASE | LCMAP_LINGUISTIC_CASING, wide->c_str(), length,
                             out, size, nullptr, nullptr, 0);
    });
}

std::string NlsLocale::dateText(const CivilDateTime &dateTime) const
{
    const SYSTEMTIME t = systemTime(dateTime);
    const std::wstring format = withFullYear(info(LOCALE_SSHORTDATE));
    return utf8Result([&](wchar_t *out, int size) {
        return GetDateFormatEx(name(), 0, &t, format.empty() ? nullptr : format.c_str(), out, size,
                               nullptr);
    });
}

std::string NlsLocale::timeText(const CivilDateTime &dateTime) const
{
    const SYSTEMTIME t = systemTime(dateTime);
    return utf8Result(
        [&](wchar_t *out, int size) { return GetTimeFormatEx(name(), 0, &t, nullptr, out, size); });
}

std::string NlsLocale::clockText(const CivilDateTime &dateTime) const
{
    const SYSTEMTIME t = systemTime(dateTime);
    return utf8Result([&](wchar_t *out, int size) {
        return GetTimeFormatEx(name(), TIME_NOSECONDS, &t, nullptr, out, size);
    });
}

std::string NlsLocale::decimalSeparator() const
{
    return utf8FromWide(info(LOCALE_SDECIMAL)).value_or(std::string("."));
}

std::string NlsLocale::groupSeparator() const
{
    return utf8FromWide(info(LOCALE_STHOUSAND)).value_or(std::string(","));
}

} // namespace tramsel::win
