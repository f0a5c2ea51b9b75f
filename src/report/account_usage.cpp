// The account usage report.
#include "report/account_usage.h"

#include <charconv>
#include <cmath>
#include <functional>
#include <optional>

#include "report/columns.h"
#include "report/account_path.h"
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

template <class Line>
void appendLines(std::string &text, std::string_view lineEnd, std::initializer_list<Line> lines)
{
    for (const auto &line : lines)
        text.append(line).append(lineEnd);
}

ReportOutcome report(std::string_view domain, std::string_view userName, AccountSource &source,
                     const Locale &locale, std::string_view lineEnd,
                     const std::function<void(const std::string &)> &write)
{
    ReportOutcome outcome;
    guarded([&] {
        const AccountName name{upperDomain(domain, locale), std::string(userName)};
        outcome.text = failureText(displayName(name), lineEnd);
        Lookup found;
        guarded([&] { found = source.lookup(name); });
        outcome.bound = found.record.has_value();
        outcome.reason = std::move(found.failure.text);
        outcome.missing = std::move(found.missing);
        outcome.unread = std::move(found.unread);
        if (found.record)
            outcome.text = usageReport(displayName(name), found.record->usage, locale, lineEnd);
    });
    guarded([&] { write(outcome.text); });
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

std::span<const ReportLine> reportLines()
{
    // The TABs line the values up at the tab stops of the classic report area.
    static constexpr ReportLine kLines[] = {
        {"lastLogin", "Last Login: ", "\t\t"},
        {"lastLogoff", "Last Logoff: ", "\t\t"},
        {"lastFailedLogin", "Last Failed Login: ", "\t\t"},
        {"lastBadLoginAddress", "Last Bad Login Address: ", "\t"},
        {"badLoginCount", "Bad Login Count: ", "\t\t"},
        {"passwordExpires", "Password Expiration Date: ", "\t"},
        {"passwordMaxAgeDays", "Password Max Age (days): ", "\t"},
        {"passwordLastChanged", "Password Last Changed: ", "\t"},
    };
    return kLines;
}

std::string reportWarnings(const ReportOutcome &outcome)
{
    std::string text;
    if (!outcome.bound && !outcome.reason.empty())
        text = outcome.reason + "\n";
    for (const std::string &source : outcome.missing)
        text += missingWarning(source);
    return text;
}

std::string missingWarning(std::string_view source)
{
    return std::string(source) + "; its answers are missing\n";
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
    for (const ReportLine &line : reportLines()) {
        std::string value = "n/a";
        guarded([&] { value = reportText(accountColumn(line.key)->cell(record), locale); });
        text.append(line.label).append(line.tabs).append(value).append(lineEnd);
    }
    text.append(lineEnd);
    return text;
}

ReportOutcome accountReport(std::string_view domain, std::string_view userName, AccountSource &source,
                            const Locale &locale, std::string_view lineEnd)
{
    return report(domain, userName, source, locale, lineEnd, [](const std::string &) {});
}

ReportOutcome ShowAccountUsage(std::string_view domain, std::string_view userName,
                               const ReportServices &services)
{
    return report(domain, userName, services.source, services.locale, kCrLf,
                  [&](const std::string &text) { services.view.replaceReportText(text); });
}

} // namespace tramsel
