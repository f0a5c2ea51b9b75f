// The account usage report.
#include "report/account_usage.h"

#include <cmath>
#include <exception>
#include <optional>

#include "report/directory_provider.h"
#include "report/locale.h"
#include "report/property_value.h"
#include "report/report_view.h"

namespace tramsel {
namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr double kSecondsPerDay = 24 * 3600;

// Runs one step of the report; whatever it throws ends that step only.
template <class Step> void guarded(Step &&step) noexcept
{
    try {
        step();
    } catch (...) {
    }
}

std::optional<PropertyValue> read(DirectoryProvider &provider, DirectoryObject &account,
                                  std::string_view name)
{
    std::optional<PropertyValue> value;
    guarded([&] { value = provider.get(account, name); });
    return value;
}

// Overwrites the target with the property's text when both the read and the
// conversion succeed.
void fillText(std::string &target, DirectoryProvider &provider, DirectoryObject &account,
              std::string_view name, const Locale &locale)
{
    guarded([&] {
        if (const auto value = read(provider, account, name))
            if (auto text = valueText(*value, locale))
                target = std::move(*text);
    });
}

std::optional<double> readWholeNumber(DirectoryProvider &provider, DirectoryObject &account,
                                      std::string_view name)
{
    const auto value = read(provider, account, name);
    if (!value)
        return std::nullopt;
    const auto number = numberValue(*value);
    if (!number)
        return std::nullopt;
    return std::floor(*number);
}

std::string maxAgeDaysText(DirectoryProvider &provider, DirectoryObject &account,
                           const Locale &locale)
{
    const auto whole = readWholeNumber(provider, account, "MaxPasswordAge");
    if (!whole)
        return "n/a";
    if (*whole <= 0)
        return "None";
    const auto again = readWholeNumber(provider, account, "MaxPasswordAge");
    if (!again)
        return "n/a";
    return numberText(*again / kSecondsPerDay, locale).value_or("n/a");
}

std::string lastChangedText(DirectoryProvider &provider, DirectoryObject &account,
                            const Locale &locale)
{
    const auto expiration = read(provider, account, "PasswordExpirationDate");
    const auto maxAge = read(provider, account, "MaxPasswordAge");
    if (!expiration || !maxAge)
        return "n/a";
    const auto *expires = std::get_if<DateTime>(&*expiration);
    const auto seconds = numberValue(*maxAge);
    if (!expires || !seconds)
        return "n/a";
    // Moved back by maxAge / 86400 days, fractions included: that is maxAge seconds.
    const auto changed = expires->minusSeconds(*seconds);
    return changed ? dateTimeText(*changed, locale) : "n/a";
}

UsageValues readUsage(DirectoryProvider &provider, DirectoryObject &account, const Locale &locale)
{
    UsageValues v;
    fillText(v.lastLogin, provider, account, "LastLogin", locale);
    fillText(v.lastLogoff, provider, account, "LastLogoff", locale);
    fillText(v.lastFailedLogin, provider, account, "LastFailedLogin", locale);
    fillText(v.lastBadLoginAddress, provider, account, "BadLoginAddress", locale);
    fillText(v.badLoginCount, provider, account, "BadLoginCount", locale);
    fillText(v.passwordExpirationDate, provider, account, "PasswordExpirationDate", locale);
    guarded([&] { v.passwordMaxAgeDays = maxAgeDaysText(provider, account, locale); });
    guarded([&] { v.passwordLastChanged = lastChangedText(provider, account, locale); });
    return v;
}

} // namespace

AccountNames accountNames(std::string_view domain, std::string_view userName, const Locale &locale)
{
    if (domain.empty())
        return {"WinNT://" + std::string(userName) + ",user", std::string(userName)};
    const std::string upper = locale.toUpper(domain);
    return {"WinNT://" + upper + "/" + std::string(userName) + ",user",
            upper + "\\" + std::string(userName)};
}

std::string failureText(std::string_view displayName)
{
    std::string text;
    text.append(kCrLf);
    text.append("No such NT account: '").append(displayName).append("',").append(kCrLf);
    text.append("or ADSI is not installed on your computer.").append(kCrLf);
    text.append("You need to install ADSI:").append(kCrLf);
    text.append("http://download.microsoft.com/ntserver/downloads/bin/nts/adsx86.exe").append(kCrLf);
    text.append("or use Windows 2000").append(kCrLf);
    text.append(kCrLf);
    return text;
}

std::string usageReport(std::string_view displayName, const UsageValues &v)
{
    std::string text;
    const auto line = [&](std::string_view label, std::string_view tabs, std::string_view value) {
        text.append(label).append(tabs).append(value).append(kCrLf);
    };
    text.append(kCrLf);
    text.append("Here is how the '").append(displayName).append("' NT account").append(kCrLf);
    text.append("has been used:").append(kCrLf);
    text.append(kCrLf);
    line("Last Login: ", "\t\t", v.lastLogin);
    line("Last Logoff: ", "\t\t", v.lastLogoff);
    line("Last Failed Login: ", "\t\t", v.lastFailedLogin);
    line("Last Bad Login Address: ", "\t", v.lastBadLoginAddress);
    line("Bad Login Count: ", "\t\t", v.badLoginCount);
    line("Password Expiration Date: ", "\t", v.passwordExpirationDate);
    line("Password Max Age (days): ", "\t", v.passwordMaxAgeDays);
    line("Password Last Changed: ", "\t", v.passwordLastChanged);
    text.append(kCrLf);
    return text;
}

bool ShowAccountUsage(std::string_view domain, std::string_view userName,
                      const ReportServices &services)
{
    std::string report;
    DirectoryObject *account = nullptr;
    guarded([&] {
        const AccountNames names = accountNames(domain, userName, services.locale);
        report = failureText(names.displayName);
        guarded([&] { account = services.provider.bind(names.path); });
        if (account)
            report = usageReport(names.displayName,
                                 readUsage(services.provider, *account, services.locale));
    });
    guarded([&] { services.view.replaceReportText(report); });
    if (account)
        guarded([&] { services.provider.release(account); });
    return account != nullptr;
}

} // namespace tramsel
