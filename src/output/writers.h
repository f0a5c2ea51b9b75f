// The audit's outputs: an aligned table for people, CSV (RFC 4180) and JSON
// for programs. The writers walk a table of columns, the accounts' or the
// controllers', and name no column themselves.
#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "report/account_source.h"
#include "report/columns.h"

namespace tramsel::audit {

enum class Format { Table, Csv, Json };

// "table", "csv" or "json"; nothing for any other name.
std::optional<Format> formatNamed(std::string_view name);

// What a writer needs of a column.
struct Field {
    std::string_view key;
    ColumnKind kind;
};

// Rows in one format: each row's cells in column order, then the text.
class RowWriter {
public:
    virtual ~RowWriter() = default;
    virtual void add(std::span<const Cell> cells) = 0;
    // Table and CSV: the whole text, headings first. JSON: an array holding
    // one object a row, laid out to stand as a member of a document.
    virtual std::string finish() = 0;
};

// The table shows values as the report does (in the user's locale); CSV and
// JSON as programs read them: times in ISO 8601, numbers with a point,
// flags as true or false, nothing known as null (empty in CSV).
std::unique_ptr<RowWriter> makeRowWriter(Format format, std::vector<Field> fields, const Locale &locale);

// A date-time on the user's clock with its offset from UTC, in ISO 8601:
// "2026-12-07T09:30:00+01:00".
std::string isoTime(const DateTime &dateTime, const Locale &locale);

// The accounts of a listing, in one format. JSON is one document:
// {"domain", "generated", "controllers": [{"server", "answered", "error"}],
// "accounts": [...]}.
class AccountOutput {
public:
    AccountOutput(Format format, const Locale &locale);
    void add(const AccountRecord &record);
    std::string finish(const std::string &domain, const std::vector<Source> &sources, const DateTime &generated);

private:
    Format format_;
    const Locale &locale_;
    std::unique_ptr<RowWriter> rows_;
};

// What each controller says of one account, in one format. JSON is one
// document: {"account", "generated", "controllers": [...]}.
std::string perControllerText(Format format, const PerController &view, const DateTime &generated,
                              const Locale &locale);

} // namespace tramsel::audit
