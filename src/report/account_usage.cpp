// The account usage report.
#include "report/account_usage.h"

#include <charconv>
#include <cmath>
#include <functional>
#include <optional>

#include "report/columns.h"
#include "report/directory_provider.h"
#include "report/locale.h"
#include "report/property_value.h"
#include "report/report_view.h"

namespace tramsel {
namespace {

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

// The maximum age is read, and read again when it is greater than 0.
std::optional<MaxPasswordAge> readMaxAge(DirectoryProvider &provider, DirectoryObject &account)
{
    const auto first = read(provider, account, property::kMaxPasswordAge);
    const auto age = first ? passwordMaxAge(*first) : std::nullopt;
    if (!age || age->never || !numberValue(*first))
        return age;
    const auto again = read(provider, account, property::kMaxPasswordAge);
    return again ? passwordMaxAge(*again) : std::nullopt;
}

std::optional<DateTime> readLastChanged(DirectoryProvider &provider, DirectoryObject &account)
{
    const auto expires = read(provider, account, property::kPasswordExpirationDate);
    const auto maxAge = read(provider, account, property::kMaxPasswordAge);
    if (expires && maxAge)
        if (auto changed = passwordLastChanged(*expires, *maxAge))
            return changed;
    // No expiry to count back from: the date the directory keeps, if any.
    const auto kept = read(provider, account, property::kPasswordLastChanged);
    if (const auto *date = kept ? std::get_if<DateTime>(&*kept) : nullptr)
        return *date;
    return std::nullopt;
}

template <class Line>
void appendLines(std::string &text, std::string_view lineEnd, std::initializer_list<Line> lines)
{
    for (const auto &line : lines)
        text.append(line).append(lineEnd);
}

ReportOutcome report(std::string_view domain, std::string_view userName, DirectoryProvider &provider,
                     const Locale &locale, std::string_view lineEnd,
                     const std::function<void(const std::string &)> &write)
{
    ReportOutcome outcome;
    Binding binding;
    guarded([&] {
        const AccountNames names = accountNames(domain, userName, locale);
        outcome.text = failureText(names.displayName, lineEnd);
        guarded([&] { binding = provider.bind(names.path); });
        if (binding.account)
            outcome.text = usageReport(names.displayName, readUsage(provider, *binding.account), locale,
                                       lineEnd);
    });
    outcome.bound = binding.account != nullptr;
    outcome.reason = std::move(binding.reason);
    outcome.missing = std::move(binding.missing);
    guarded([&] { write(outcome.text); });
    if (binding.account)
        guarded([&] { provider.release(binding.account); });
    return outcome;
}

} // namespace

std::optional<MaxPasswordAge> passwordMaxAge(const PropertyValue &maxAge)
{
    if (const auto seconds = numberValue(maxAge)) {
        const double whole = std::floor(*seconds);
        return whole > 0 ? MaxPasswordAge{whole / kSecondsPerDay, false} : MaxPasswordAge{0, true};
    }
    if (const auto *text = std::get_if<std::string>(&maxAge)) {
        double days = 0;
        const char *end = text->data() + text->size();
        const auto [stop, error] = std::from_chars(text->data(), end, days);
        if (error == std::errc() && stop == end && !text->empty() && std::isfinite(days) && days >= 0)
            return MaxPasswordAge{days, false};
    }
    return std::nullopt;
}

std::optional<DateTime> passwordLastChanged(const PropertyValue &expires, const PropertyValue &maxAgeSeconds)
{
    const auto *expiry = std::get_if<DateTime>(&expires);
    const auto seconds = numberValue(maxAgeSeconds);
    if (!expiry || !seconds)
        return std::nullopt;
    // Moved back by maxAge / 86400 days, fractions included: that is maxAge
    // seconds, counted on the expiry's own clock (absolute for an instant).
    return expiry->minusSeconds(*seconds);
}

AccountUsage readUsage(DirectoryProvider &provider, DirectoryObject &account)
{
    AccountUsage usage;
    usage.lastLogin = read(provider, account, property::kLastLogin);
    usage.lastLogoff = read(provider, account, property::kLastLogoff);
    usage.lastFailedLogin = read(provider, account, property::kLastFailedLogin);
    usage.lastBadLoginAddress = read(provider, account, property::kBadLoginAddress);
    usage.badLoginCount = read(provider, account, property::kBadLoginCount);
    usage.passwordExpires = read(provider, account, property::kPasswordExpirationDate);
    guarded([&] { usage.passwordMaxAge = readMaxAge(provider, account); });
    guarded([&] { usage.passwordLastChanged = readLastChanged(provider, account); });
    return usage;
}

std::string failureText(std::string_view displayName, std::string_view lineEnd)
{
    std::string text;
    const std::string account = "No such NT account: '" + std::string(displayName) + "',";
    appendLines<std::string_view>(text, lineEnd,
                                  {"", account, "or ADSI is not installed on your computer.",
                                   "You need to install ADSI:",
                                   "http://download.microsoft.com/ntserver/downloads/bin/nts/adsx86.exe",
                                   "or use Windows 2000", ""});
    return text;
}

std::string usageReport(std::string_view displayName, const AccountUsage &usage, const Locale &locale,
                        std::string_view lineEnd)
{
    std::string text;
    const std::string title = "Here is how the '" + std::string(displayName) + "' NT account";
    appendLines<std::string_view>(text, lineEnd, {"", title, "has been used:", ""});
    AccountRecord record;
    record.usage = usage;
    for (const Column &column : accountColumns()) {
        if (column.label.empty())
            continue;
        std::string value = "n/a";
        guarded([&] { value = reportText(column.cell(record), locale); });
        text.append(column.label).append(column.tabs).append(value).append(lineEnd);
    }
    text.append(lineEnd);
    return text;
}

ReportOutcome accountReport(std::string_view domain, std::string_view userName, DirectoryProvider &provider,
                            const Locale &locale, std::string_view lineEnd)
{
    return report(domain, userName, provider, locale, lineEnd, [](const std::string &) {});
}

ReportOutcome ShowAccountUsage(std::string_view domain, std::string_view userName,
                               const ReportServices &services)
{
    return report(domain, userName, services.provider, services.locale, kCrLf,
                  [&](const std::string &text) { services.view.replaceReportText(text); });
}

} // namespace tramsel
