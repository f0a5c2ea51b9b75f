// The order of an audit's rows: by one column or several, each ascending or
// descending, with values that are not known last either way.
#pragma once

#include <span>
#include <vector>

#include "report/columns.h"

namespace tramsel {

struct SortKey {
    const Column<AccountRecord> *column;
    bool descending = false;
};

// Ascending order of two cells of a column kind: <0, 0 or >0. Times by
// time, counts and days by number (a Days column's "None", passwords that
// never expire, after every number), flags false before true, text by its
// letters without regard to ASCII case, then by its bytes. A cell that is
// not known (nullopt) comes after every known one, and the caller applies a
// direction only between known cells, so that they stay last either way.
int compareCells(ColumnKind kind, const Cell &a, const Cell &b);

// Whether a sorts before b by the keys in turn, each in its direction;
// rows equal by every key are equal (keep their order with stable_sort).
bool sortsBefore(std::span<const SortKey> keys, const AccountRecord &a, const AccountRecord &b);

// Sorts the rows by the keys; equal rows keep their order. Each row's
// cells are worked out once, not at every comparison.
void sortRecords(std::vector<AccountRecord> &rows, std::span<const SortKey> keys);

} // namespace tramsel
