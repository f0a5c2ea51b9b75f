// The audit's outputs: an aligned table for people, CSV (RFC 4180) and JSON
// for programs. The writers walk a table of columns, the accounts' or the
// controllers', and name no column themselves.
#pragma once

#include <memory>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "report/account_source.h"
#include "report/columns.h"
#include "report/summary.h"

namespace tramsel::audit {

enum class Format { Table, Csv, Json };

// Where a writer's text goes. (Not an ostream: the iostreams would double
// the size of a statically linked tramsel.exe.)
class TextOut {
public:
    virtual ~TextOut() = default;
    virtual void write(std::string_view text) = 0;
};
// Into a string.
class StringOut final : public TextOut {
public:
    std::string text;
    void write(std::string_view more) override { text.append(more); }
};
// Onto a C stream; its error indicator tells a failed write.
class FileOut final : public TextOut {
public:
    explicit FileOut(std::FILE *file) : file_(file) {}
    void write(std::string_view more) override { std::fwrite(more.data(), 1, more.size(), file_); }

private:
    std::FILE *file_;
};

// The text as UTF-8, each byte that does not decode as U+FFFD (a passwd file
// in another encoding, an argument in the wrong codeset).
std::string validUtf8(const std::string &text);

// Every format by name, in the order --help names them.
struct FormatName {
    std::string_view name;
    Format format;
};
std::span<const FormatName> formats();
// "table, csv or json".
std::string formatNames();
// The format of that name, in any case; nothing for any other name.
std::optional<Format> formatNamed(std::string_view name);

// What a writer needs of a column.
struct Field {
    std::string_view key;
    ColumnKind kind;
};

// Rows in one format, written to a stream: each row's cells in column order,
// then finish(). CSV writes each row as it comes, its headings before the
// first; a table holds its rows to measure its columns; JSON holds its
// objects until finish() writes them as an array laid out to stand as a
// member of a document.
class RowWriter {
public:
    virtual ~RowWriter() = default;
    virtual void add(std::span<const Cell> cells) = 0;
    virtual void finish() = 0;
};

// The table shows values as the report does (in the user's locale); CSV and
// JSON as programs read them: times in ISO 8601, numbers with a point,
// flags as true or false, nothing known as null (empty in CSV).
// A table cuts a cell wider than widestCell terminal columns (0: none).
std::unique_ptr<RowWriter> makeRowWriter(Format format, std::vector<Field> fields, const Locale &locale,
                                         TextOut &out, std::size_t widestCell = 0);

// A cell as the table shows it, on one line: in the user's locale, "n/a"
// where it is not known, flags as yes or no.
std::string tableText(ColumnKind kind, const Cell &cell, const Locale &locale);

// A date-time on the user's clock with its offset from UTC, in ISO 8601:
// "2026-12-07T09:30:00+01:00".
std::string isoTime(const DateTime &dateTime, const Locale &locale);
// The same after `out`, for writers of many rows.
void appendIsoTime(std::string &out, const DateTime &dateTime, const Locale &locale);

// Which account columns to write, and how wide a table's cell may be.
struct AccountLayout {
    std::vector<const Column<AccountRecord> *> columns;  // empty: every column
    std::size_t widestCell = 0;  // a table's, in terminal columns; 0: no limit
};

// The accounts of a listing, in one format. JSON is one document:
// {"domain", "generated", "controllers": [{"server", "answered", "error"}],
// "accounts": [...]}.
class AccountOutput {
public:
    AccountOutput(Format format, const Locale &locale, TextOut &out, AccountLayout layout = {});
    void add(const AccountRecord &record);
    void finish(const std::string &domain, const std::vector<Source> &sources, const DateTime &generated);

private:
    Format format_;
    const Locale &locale_;
    TextOut &out_;
    std::vector<const Column<AccountRecord> *> columns_;
    std::unique_ptr<RowWriter> rows_;
};

// The counts alone (--summary): a table's line as after its rows, CSV's
// headings and one row, or JSON's document with "summary" in place of
// "accounts". Controllers that answered and were asked count the sources
// (1 and 1 for a machine, as its rows say).
void writeSummary(Format format, const AccountCounts &counts, const std::string &domain,
                  const std::vector<Source> &sources, const DateTime &generated, const Locale &locale, TextOut &out);

// What each controller says of one account, in one format. JSON is one
// document: {"account", "generated", "controllers": [...]}.
void writePerController(Format format, const PerController &view, const DateTime &generated, const Locale &locale,
                        TextOut &out);

} // namespace tramsel::audit
