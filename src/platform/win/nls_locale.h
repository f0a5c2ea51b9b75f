// The user's locale on Windows, read through the NLS functions.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/win/time_zone.h"
#include "report/locale.h"

namespace tramsel::win {

// A short date format with a two-digit year ("yy") widened to four, as the Qt
// side does: a report names dates decades apart. Quoted text is left alone.
std::wstring withFullYear(std::wstring_view format);

class NlsLocale final : public Locale {
public:
    // The user's own settings (LOCALE_NAME_USER_DEFAULT) and time zone.
    NlsLocale() = default;
    // A named locale ("de-DE") with its default formats, and a time zone; for tests.
    explicit NlsLocale(std::wstring name, TimeZone zone = {}) : name_(std::move(name)), zone_(zone) {}

    LocalTime localTime(const DateTime &dateTime) const override;
    std::string toUpper(std::string_view text) const override;
    std::string dateText(const CivilDateTime &dateTime) const override;
    std::string timeText(const CivilDateTime &dateTime) const override;
    std::string clockText(const CivilDateTime &dateTime) const override;
    std::string decimalSeparator() const override;
    std::string groupSeparator() const override;

private:
    const wchar_t *name() const { return name_ ? name_->c_str() : nullptr; }
    std::wstring info(unsigned long type) const;

    std::optional<std::wstring> name_;
    TimeZone zone_;
};

} // namespace tramsel::win
