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

// A property as one of the report's values: not read is unknown, null or
// empty is none, and a value of another kind than the one asked for is unknown.
template <class T, class Convert> Known<T> typed(const std::optional<PropertyValue> &value, Convert convert)
{
    if (!value)
        return {};
    if (std::holds_alternative<NullValue>(*value))
        return Known<T>::none();
    if (std::optional<T> converted = convert(*value))
        return *converted;
    return std::holds_alternative<EmptyValue>(*value) ? Known<T>::none() : Known<T>();
}

std::optional<DateTime> asDateTime(const PropertyValue &value)
{
    const auto *date = std::get_if<DateTime>(&value);
    return date ? std::optional(*date) : std::nullopt;
}

std::optional<std::int64_t> asCount(const PropertyValue &value)
{
    if (const auto *n = std::get_if<std::int64_t>(&value))
        return *n;
    const auto *d = std::get_if<double>(&value);
    return d && std::isfinite(*d) && std::fabs(*d) < 9e18 ? std::optional(std::llround(*d)) : std::nullopt;
}

// An address is text; an empty one is shown as it is.
std::optional<std::string> asText(const PropertyValue &value)
{
    if (std::holds_alternative<EmptyValue>(value))
        return std::string();
    const auto *text = std::get_if<std::string>(&value);
    return text ? std::optional(*text) : std::nullopt;
}

// The maximum age is read, and read again when it is greater than 0.
Known<MaxPasswordAge> readMaxAge(DirectoryProvider &provider, DirectoryObject &account)
{
    const auto first = read(provider, account, property::kMaxPasswordAge);
    const auto age = first ? passwordMaxAge(*first) : std::nullopt;
    if (!age || age->never || !numberValue(*first))
        return typed<MaxPasswordAge>(first, passwordMaxAge);
    return typed<MaxPasswordAge>(read(provider, account, property::kMaxPasswordAge), passwordMaxAge);
}

Known<DateTime> readLastChanged(DirectoryProvider &provider, DirectoryObject &account)
{
    const auto expires = read(provider, account, property::kPasswordExpirationDate);
    const auto maxAge = read(provider, account, property::kMaxPasswordAge);
    if (expires && maxAge)
        if (auto changed = passwordLastChanged(*expires, *maxAge))
            return *changed;
    // No expiry to count back from: the date the directory keeps, if any.
    return typed<DateTime>(read(provider, account, property::kPasswordLastChanged), asDateTime);
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
        if (binding.account) {
            UsageRead read;
            guarded([&] { read = provider.usage(*binding.account); });
            outcome.text = usageReport(names.displayName, read.usage, locale, lineEnd);
            outcome.unread = std::move(read.unread);
        }
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

AccountUsage readProperties(DirectoryProvider &provider, DirectoryObject &account)
{
    const auto get = [&](std::string_view name) { return read(provider, account, name); };
    AccountUsage usage;
    usage.lastLogin = typed<DateTime>(get(property::kLastLogin), asDateTime);
    usage.lastLogoff = typed<DateTime>(get(property::kLastLogoff), asDateTime);
    usage.lastFailedLogin = typed<DateTime>(get(property::kLastFailedLogin), asDateTime);
    usage.lastBadLoginAddress = typed<std::string>(get(property::kBadLoginAddress), asText);
    usage.badLoginCount = typed<std::int64_t>(get(property::kBadLoginCount), asCount);
    usage.passwordExpires = typed<DateTime>(get(property::kPasswordExpirationDate), asDateTime);
    guarded([&] { usage.passwordMaxAge = readMaxAge(provider, account); });
    guarded([&] { usage.passwordLastChanged = readLastChanged(provider, account); });
    return usage;
}

UsageRead DirectoryProvider::usage(DirectoryObject &object) { return {readProperties(*this, object), {}}; }

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
