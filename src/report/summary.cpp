// The counts of an audit's accounts and their text.
#include "report/summary.h"

#include <algorithm>

#include "report/locale.h"

namespace tramsel {

void AccountCounts::add(const AccountRecord &record)
{
    ++accounts;
    locked += record.locked == true;
    disabled += record.disabled == true;
    neverLoggedIn += record.usage.lastLogin.isNone();
    passwordsExpired += record.passwordExpired == true;
}

std::optional<ControllersAnswered> controllersAnswered(const std::vector<Source> &sources)
{
    // A domain's sources are its controllers' LDAP URIs; a machine's are files or WinNT.
    const auto isController = [](const Source &source) {
        return source.name.starts_with("ldap://") || source.name.starts_with("ldaps://");
    };
    if (sources.empty() || !std::all_of(sources.begin(), sources.end(), isController))
        return std::nullopt;
    const auto answered = std::count_if(sources.begin(), sources.end(), [](const Source &s) { return s.answered; });
    return ControllersAnswered{static_cast<std::size_t>(answered), sources.size()};
}

std::string groupedNumber(std::int64_t number, const Locale &locale)
{
    const std::string digits = std::to_string(number < 0 ? -(number + 1) + std::uint64_t{1} : std::uint64_t(number));
    const std::string separator = locale.groupSeparator();
    std::string text = number < 0 ? "-" : "";
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            text += separator;
        text += digits[i];
    }
    return text;
}

std::string controllersText(const ControllersAnswered &controllers, const Locale &locale)
{
    return groupedNumber(static_cast<std::int64_t>(controllers.answered), locale) + " of "
        + groupedNumber(static_cast<std::int64_t>(controllers.asked), locale)
        + (controllers.asked == 1 ? " controller answered" : " controllers answered");
}

std::string summaryText(const AccountCounts &counts, const std::optional<ControllersAnswered> &controllers,
                        const Locale &locale)
{
    const auto count = [&](std::int64_t n, const char *one, const char *many) {
        return groupedNumber(n, locale) + (n == 1 ? one : many);
    };
    return count(counts.accounts, " account: ", " accounts: ") + groupedNumber(counts.locked, locale) + " locked, "
        + groupedNumber(counts.disabled, locale) + " disabled, " + groupedNumber(counts.neverLoggedIn, locale)
        + " never logged in, " + count(counts.passwordsExpired, " password expired", " passwords expired")
        + (controllers ? "; " + controllersText(*controllers, locale) : "");
}

} // namespace tramsel
