// Sorting the audit's rows.
#include "report/sorting.h"

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <string_view>
#include <variant>

namespace tramsel {
namespace {

template <class T> int threeWay(const T &a, const T &b) { return a < b ? -1 : b < a ? 1 : 0; }

char folded(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

int compareText(std::string_view a, std::string_view b)
{
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i)
        if (const int order = threeWay(static_cast<unsigned char>(folded(a[i])), static_cast<unsigned char>(folded(b[i]))))
            return order;
    if (const int order = threeWay(a.size(), b.size()))
        return order;
    return a.compare(b) < 0 ? -1 : a.compare(b) > 0 ? 1 : 0;
}

// A cell reduced to what its order needs, so that a sort of many rows
// visits each cell once. Values of one column are of one kind but may come
// in several shapes, ranked: numbers (counts, days, flags), date-times,
// text ("None" after every number of days), the null that has no value,
// and last the cell that is not known.
struct SortValue {
    enum Rank : unsigned char { Number, Time, Text, Null, Unknown };
    Rank rank = Unknown;
    double number = 0;
    std::int64_t micros = 0;
    std::string_view text;  // into the cell, which must outlive it
};

SortValue sortValue(const Cell &cell)
{
    if (!cell)
        return {};
    return std::visit(
        [](const auto &v) -> SortValue {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, std::int64_t> || std::is_same_v<T, double>)
                return {SortValue::Number, static_cast<double>(v), 0, {}};
            else if constexpr (std::is_same_v<T, DateTime>)
                return {SortValue::Time, 0, v.microseconds(), {}};
            else if constexpr (std::is_same_v<T, std::string>)
                return {SortValue::Text, 0, 0, v};
            else if constexpr (std::is_same_v<T, EmptyValue>)
                return {SortValue::Text, 0, 0, {}};
            else
                return {SortValue::Null, 0, 0, {}};
        },
        *cell);
}

int compareSortValues(const SortValue &a, const SortValue &b)
{
    if (a.rank != b.rank)
        return a.rank < b.rank ? -1 : 1;
    switch (a.rank) {
    case SortValue::Number:
        return threeWay(a.number, b.number);
    case SortValue::Time:
        return threeWay(a.micros, b.micros);
    case SortValue::Text:
        return compareText(a.text, b.text);
    default:
        return 0;
    }
}

// The order of a and b by one key, its direction applied between known cells only.
int directed(const SortKey &key, const SortValue &a, const SortValue &b)
{
    const int order = compareSortValues(a, b);
    return key.descending && a.rank != SortValue::Unknown && b.rank != SortValue::Unknown ? -order : order;
}

} // namespace

int compareCells(ColumnKind, const Cell &a, const Cell &b) { return compareSortValues(sortValue(a), sortValue(b)); }

bool sortsBefore(std::span<const SortKey> keys, const AccountRecord &a, const AccountRecord &b)
{
    for (const SortKey &key : keys)
    {
        const Cell cellA = key.column->cell(a), cellB = key.column->cell(b);
        if (const int order = directed(key, sortValue(cellA), sortValue(cellB)))
            return order < 0;
    }
    return false;
}

void sortRecords(std::vector<AccountRecord> &rows, std::span<const SortKey> keys)
{
    if (keys.empty() || rows.size() < 2)
        return;
    // Every row's cells, key by key: cells[k * rows + row]. The values view
    // the cells' text, so cells is reserved whole and never moves.
    const std::size_t count = rows.size();
    std::vector<Cell> cells;
    std::vector<SortValue> values;
    cells.reserve(keys.size() * count);
    for (const SortKey &key : keys)
        for (const AccountRecord &row : rows)
            cells.push_back(key.column->cell(row));
    values.reserve(cells.size());
    for (const Cell &cell : cells)
        values.push_back(sortValue(cell));
    // The first key's value travels with its row's number, so that most
    // comparisons read nothing else: a sort of 100,000 rows stays in cache.
    struct Entry {
        SortValue first;
        std::size_t row;
    };
    std::vector<Entry> entries;
    entries.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        entries.push_back({values[i], i});
    std::stable_sort(entries.begin(), entries.end(), [&](const Entry &a, const Entry &b) {
        if (const int result = directed(keys[0], a.first, b.first))
            return result < 0;
        for (std::size_t k = 1; k < keys.size(); ++k)
            if (const int result = directed(keys[k], values[k * count + a.row], values[k * count + b.row]))
                return result < 0;
        return false;
    });
    std::vector<std::size_t> order(count);
    for (std::size_t i = 0; i < count; ++i)
        order[i] = entries[i].row;
    // The rows moved into that order in place, cycle by cycle: a second
    // vector of 100,000 records would cost more in fresh pages than the sort.
    for (std::size_t start = 0; start < count; ++start) {
        if (order[start] == start)
            continue;
        AccountRecord held = std::move(rows[start]);
        std::size_t at = start;
        for (std::size_t from = order[at]; from != start; at = from, from = order[at]) {
            rows[at] = std::move(rows[from]);
            order[at] = at;
        }
        rows[at] = std::move(held);
        order[at] = at;
    }
}

} // namespace tramsel
