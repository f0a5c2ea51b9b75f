// The audit window's decisions.
#include "audit/audit_window.h"

#include <algorithm>

#include "report/locale.h"
#include "report/summary.h"

namespace tramsel::audit_window {
namespace {

std::string lowered(std::string_view text)
{
    std::string result(text);
    for (char &c : result)
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return result;
}

bool holds(std::string_view text, std::string_view lowerNeedle)
{
    return lowered(text).find(lowerNeedle) != std::string::npos;
}

const Column<AccountRecord> &column(std::size_t index) { return accountColumns()[index]; }

// Cells compared by the key's column and direction, with "n/a" last either way.
bool cellSortsBefore(const SortKey &key, const Cell &a, const Cell &b)
{
    if (!a || !b)
        return a && !b;
    const int order = compareCells(key.column->kind, a, b);
    return key.descending ? order > 0 : order < 0;
}

std::string accounts(std::size_t count, const Locale &locale)
{
    return groupedNumber(static_cast<std::int64_t>(count), locale) + (count == 1 ? " account" : " accounts");
}

} // namespace

audit::Filters filtersOf(const FilterControls &controls)
{
    audit::Filters filters;
    if (controls.inactive)
        filters.inactiveDays = std::clamp(controls.inactiveDays, 0, kMostDays);
    filters.neverLoggedIn = controls.neverLoggedIn;
    filters.locked = controls.locked;
    filters.enabled = controls.state == State::Enabled;
    filters.disabled = controls.state == State::Disabled;
    if (controls.passwordExpires)
        filters.passwordExpiresWithinDays = std::clamp(controls.expiresDays, 0, kMostDays);
    return filters;
}

bool hasControllers(const Listing &listing)
{
    return std::any_of(listing.sources.begin(), listing.sources.end(),
                       [](const Source &source) { return source.name.find("://") != std::string::npos; });
}

Rows::Rows() = default;

void Rows::clear()
{
    records_.clear();
    order_.clear();
}

void Rows::add(AccountRecord &&record) { records_.push_back(std::move(record)); }

void Rows::setFilters(const audit::Filters &filters, const audit::Now &now)
{
    filters_ = filters;
    now_ = now;
}

void Rows::setFind(std::string_view text) { find_ = lowered(text); }

void Rows::sortByClick(std::size_t column)
{
    sortBy(column, sortColumn_ == column && !descending_);
}

void Rows::sortBy(std::size_t column, bool descending)
{
    sortColumn_ = column;
    descending_ = descending;
}

void Rows::refresh()
{
    order_.clear();
    for (std::uint32_t i = 0; i < records_.size(); ++i) {
        const AccountRecord &record = records_[i];
        if (!audit::matches(filters_, record, now_))
            continue;
        if (!find_.empty() && !holds(record.account, find_) && !(record.fullName && holds(*record.fullName, find_)))
            continue;
        order_.push_back(i);
    }
    if (!sortColumn_)
        return;
    // As the command line's --sort: each cell worked out once, and rows
    // equal by the column keep the listing's order, the user-name order.
    const SortKey key{&column(*sortColumn_), descending_};
    std::vector<Cell> cells(records_.size());
    for (const std::uint32_t i : order_)
        cells[i] = key.column->cell(records_[i]);
    std::stable_sort(order_.begin(), order_.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return cellSortsBefore(key, cells[a], cells[b]); });
}

VisibleColumns::VisibleColumns()
{
    for (const auto &c : accountColumns())
        visible_.push_back(std::find(kDefaultColumns.begin(), kDefaultColumns.end(), c.key) != kDefaultColumns.end());
}

void VisibleColumns::toggle(std::size_t column)
{
    if (visible_[column] && indices().size() == 1)
        return;
    visible_[column] = !visible_[column];
}

std::vector<std::size_t> VisibleColumns::indices() const
{
    std::vector<std::size_t> shown;
    for (std::size_t i = 0; i < visible_.size(); ++i)
        if (visible_[i])
            shown.push_back(i);
    return shown;
}

std::string cellText(const AccountRecord &record, std::size_t index, const Locale &locale)
{
    return audit::tableText(column(index).kind, column(index).cell(record), locale);
}

std::string progressText(const Progress &progress, bool controllers, const Locale &locale)
{
    const std::string read = accounts(progress.accountsRead, locale) + " read";
    if (!controllers)
        return read;
    return std::to_string(progress.sourcesDone) + " of " + std::to_string(progress.sourcesTotal)
        + " controllers done, " + read;
}

Status finishedStatus(const Listing &listing, const Rows &rows, const Locale &locale)
{
    const std::string counted = accounts(rows.total(), locale) + ", "
        + groupedNumber(static_cast<std::int64_t>(rows.shown()), locale) + " shown";
    if (listing.failure.kind == Failure::Kind::Stopped)
        return {"Stopped; " + counted, false, {}};
    if (listing.failure)
        return {listing.failure.text, true, listing.failure.text};
    const auto answered = static_cast<std::size_t>(
        std::count_if(listing.sources.begin(), listing.sources.end(), [](const Source &s) { return s.answered; }));
    if (answered == 0) {
        Status status{"no source answered", true, {}};
        for (const Source &source : listing.sources) {
            status.text += (&source == &listing.sources.front() ? ": " : "; ") + source.name + ": " + source.error;
            status.toolTip += (status.toolTip.empty() ? "" : "\n") + source.name + ": " + source.error;
        }
        return status;
    }
    Status status{counted, false, {}};
    if (hasControllers(listing))
        status.text += "; " + std::to_string(answered) + " of " + std::to_string(listing.sources.size())
            + " controllers answered";
    // Each missing controller by its host ("dc2.sales.test: error"), its error in the tool tip.
    std::vector<std::string> missing = listing.missing;
    if (missing.empty())
        for (const Source &source : listing.sources)
            if (!source.answered)
                missing.push_back(source.name + ": " + source.error);
    for (const std::string &line : missing) {
        status.text += "; " + line.substr(0, line.find(": ")) + " is missing";
        status.toolTip += line + "\n";
    }
    if (!listing.unread.empty())
        status.text += "; some values are unknown";
    for (const std::string &line : listing.unread)
        status.toolTip += line + "\n";
    status.warning = !status.toolTip.empty();
    if (status.warning)
        status.toolTip.pop_back();
    return status;
}

std::string copiedText(const Rows &rows, std::span<const std::size_t> selected, std::span<const std::size_t> columns,
                       const Locale &locale)
{
    std::vector<std::size_t> ordered(selected.begin(), selected.end());
    std::sort(ordered.begin(), ordered.end());
    std::string text;
    const auto line = [&](auto cellOf) {
        for (std::size_t i = 0; i < columns.size(); ++i)
            text += (i ? "\t" : "") + cellOf(columns[i]);
        text += "\r\n";
    };
    line([](std::size_t c) { return std::string(column(c).key); });
    for (const std::size_t row : ordered)
        if (row < rows.shown())
            line([&](std::size_t c) { return cellText(rows.shownRecord(row), c, locale); });
    return text;
}

audit::Format saveFormat(std::string &name, audit::Format chosen)
{
    const std::string lower = lowered(name);
    if (lower.ends_with(".csv"))
        return audit::Format::Csv;
    if (lower.ends_with(".json"))
        return audit::Format::Json;
    name += chosen == audit::Format::Json ? ".json" : ".csv";
    return chosen == audit::Format::Json ? audit::Format::Json : audit::Format::Csv;
}

std::string savedText(audit::Format format, const Rows &rows, const Listing &listing, const DateTime &generated,
                      const Locale &locale)
{
    audit::StringOut text;
    audit::AccountOutput output(format, locale, text);
    for (std::size_t row = 0; row < rows.shown(); ++row)
        output.add(rows.shownRecord(row));
    output.finish(listing.domain, listing.sources, generated);
    return std::move(text.text);
}

} // namespace tramsel::audit_window
