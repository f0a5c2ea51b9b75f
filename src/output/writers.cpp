// The table, CSV and JSON writers.
#include "output/writers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <utility>
#include <variant>

#include <nlohmann/json.hpp>

#include "output/controller_columns.h"
#include "report/locale.h"

namespace tramsel::audit {
namespace {

// Objects keep their members in column order.
using Json = nlohmann::ordered_json;

template <class... Ts> struct Overloaded : Ts... {
    using Ts::operator()...;
};

// Text that is not UTF-8 (a passwd file in another encoding) is carried
// with U+FFFD for each byte that does not decode.
std::string dumped(const Json &json) { return json.dump(-1, ' ', false, Json::error_handler_t::replace); }

bool isAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= 0; });
}

std::string validUtf8(const std::string &text)
{
    return isAscii(text) ? text : Json::parse(dumped(text)).get<std::string>();
}

// A whole number of a double is written without a fraction: 42, not 42.0.
Json number(double value)
{
    if (!std::isfinite(value))
        return nullptr;
    if (value == std::trunc(value) && std::fabs(value) < 9.007199254740992e15)
        return static_cast<std::int64_t>(value);
    return value;
}

// A cell as programs read it.
Json machineValue(const Field &field, const Cell &cell, const Locale &locale)
{
    if (!cell)
        return nullptr;
    const bool flag = field.kind == ColumnKind::Flag;
    return std::visit(
        Overloaded{
            [&](EmptyValue) -> Json { return field.kind == ColumnKind::Text ? Json("") : Json(nullptr); },
            [](NullValue) -> Json { return nullptr; },
            [&](std::int64_t n) -> Json { return flag ? Json(n != 0) : Json(n); },
            [&](double d) -> Json { return flag && std::isfinite(d) ? Json(d != 0) : number(d); },
            [&](const DateTime &dateTime) -> Json { return isoTime(dateTime, locale); },
            // Passwords that never expire have no maximum age: passwordNeverExpires says so.
            [&](const std::string &text) -> Json {
                return field.kind == ColumnKind::Days && text == kNeverExpires ? Json(nullptr) : Json(text);
            },
        },
        *cell);
}

void appendNumber(std::string &out, std::int64_t n)
{
    char digits[24];
    out.append(digits, std::to_chars(digits, digits + sizeof digits, n).ptr);
}

// A cell as CSV holds it, after `out`: machineValue's JSON as text, null
// empty. Written directly, as the audit writes thousands of rows; JSON only
// for a fraction.
void appendCsvText(std::string &out, const Field &field, const Cell &cell, const Locale &locale)
{
    if (!cell)
        return;
    const bool flag = field.kind == ColumnKind::Flag;
    std::visit(
        Overloaded{
            [](EmptyValue) {},
            [](NullValue) {},
            [&](std::int64_t n) { flag ? void(out.append(n != 0 ? "true" : "false")) : appendNumber(out, n); },
            [&](double d) {
                if (flag && std::isfinite(d))
                    out.append(d != 0 ? "true" : "false");
                else if (const Json value = number(d); value.is_number_integer())
                    appendNumber(out, value.get<std::int64_t>());
                else if (!value.is_null())
                    out.append(dumped(value));
            },
            [&](const DateTime &dateTime) { appendIsoTime(out, dateTime, locale); },
            [&](const std::string &text) {
                if (field.kind == ColumnKind::Days && text == kNeverExpires)
                    return;
                isAscii(text) ? void(out.append(text)) : void(out.append(validUtf8(text)));
            },
        },
        *cell);
}

// A cell as the report shows it, on one line.
std::string peopleText(const Field &field, const Cell &cell, const Locale &locale)
{
    std::string text;
    if (field.kind == ColumnKind::Flag && cell && numberValue(*cell))
        text = *numberValue(*cell) != 0 ? "yes" : "no";
    else
        text = validUtf8(reportText(cell, locale));
    std::replace_if(text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r' || c == '\t'; }, ' ');
    return text;
}

// Characters on the screen, counted as code points.
std::size_t width(const std::string &text)
{
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

class TableWriter final : public RowWriter {
public:
    TableWriter(std::vector<Field> fields, const Locale &locale, TextOut &out)
        : fields_(std::move(fields)), locale_(locale), out_(out)
    {
        std::vector<std::string> headings;
        for (const Field &field : fields_)
            headings.emplace_back(field.key);
        rows_.push_back(std::move(headings));
    }

    void add(std::span<const Cell> cells) override
    {
        std::vector<std::string> texts;
        for (std::size_t i = 0; i < fields_.size(); ++i)
            texts.push_back(peopleText(fields_[i], cells[i], locale_));
        rows_.push_back(std::move(texts));
    }

    void finish() override
    {
        std::vector<std::size_t> widths(fields_.size(), 0);
        for (const auto &row : rows_)
            for (std::size_t i = 0; i < row.size(); ++i)
                widths[i] = std::max(widths[i], width(row[i]));
        for (const auto &row : rows_) {
            std::string line;
            for (std::size_t i = 0; i < row.size(); ++i) {
                const std::string padding(widths[i] - width(row[i]), ' ');
                // Counts line up on their last digit.
                const bool right = fields_[i].kind == ColumnKind::Count;
                line += (i ? "  " : "") + (right ? padding + row[i] : row[i] + padding);
            }
            line.erase(line.find_last_not_of(' ') + 1);
            out_.write(line);
            out_.write("\n");
        }
    }

private:
    std::vector<Field> fields_;
    const Locale &locale_;
    TextOut &out_;
    std::vector<std::vector<std::string>> rows_;  // the headings first
};

// RFC 4180: CR LF line ends; a field holding a comma, a double quote or a
// line break is quoted, with its double quotes doubled.
class CsvWriter final : public RowWriter {
public:
    CsvWriter(std::vector<Field> fields, const Locale &locale, TextOut &out)
        : fields_(std::move(fields)), locale_(locale), out_(out)
    {
    }

    void add(std::span<const Cell> cells) override
    {
        headings();
        line_.clear();
        for (std::size_t i = 0; i < fields_.size(); ++i) {
            text_.clear();
            appendCsvText(text_, fields_[i], cells[i], locale_);
            // A text a spreadsheet would run as a formula (a display name of
            // "=HYPERLINK(...)") is kept text by a leading quote.
            if (fields_[i].kind == ColumnKind::Text && !text_.empty() && std::string_view("=+-@\t\r").find(text_[0]) != std::string_view::npos)
                text_.insert(0, 1, '\'');
            if (i)
                line_ += ',';
            appendQuoted(line_, text_);
        }
        line_.append("\r\n");
        out_.write(line_);
    }

    void finish() override { headings(); }

private:
    static void appendQuoted(std::string &out, const std::string &field)
    {
        // A loop, not find_first_of, which calls memchr for every character.
        if (std::none_of(field.begin(), field.end(), [](char c) { return c == ',' || c == '"' || c == '\r' || c == '\n'; })) {
            out.append(field);
            return;
        }
        out += '"';
        for (const char c : field)
            c == '"' ? void(out.append("\"\"")) : void(out += c);
        out += '"';
    }

    // Written with the first row, so that a listing that fails writes nothing.
    void headings()
    {
        if (std::exchange(headed_, true))
            return;
        for (std::size_t i = 0; i < fields_.size(); ++i)
            out_.write(i ? "," : ""), out_.write(fields_[i].key);
        out_.write("\r\n");
    }

    std::vector<Field> fields_;
    const Locale &locale_;
    TextOut &out_;
    bool headed_ = false;
    std::string line_, text_;  // kept, so that rows reuse their memory
};

// One object a line, so that a large listing stays readable line by line.
class JsonWriter final : public RowWriter {
public:
    JsonWriter(std::vector<Field> fields, const Locale &locale, TextOut &out)
        : fields_(std::move(fields)), locale_(locale), out_(out)
    {
    }

    void add(std::span<const Cell> cells) override
    {
        Json object = Json::object();
        for (std::size_t i = 0; i < fields_.size(); ++i)
            object[std::string(fields_[i].key)] = machineValue(fields_[i], cells[i], locale_);
        text_.append(text_.empty() ? "[\n    " : ",\n    ").append(dumped(object));
    }

    void finish() override { out_.write(text_.empty() ? "[]" : text_ + "\n  ]"); }

private:
    std::vector<Field> fields_;
    const Locale &locale_;
    TextOut &out_;
    std::string text_;
};

template <class Columns> std::vector<Field> fieldsOf(const Columns &columns)
{
    std::vector<Field> fields;
    for (const auto &column : columns)
        fields.push_back({column.key, column.kind});
    return fields;
}

template <class Columns, class Row> std::vector<Cell> cellsOf(const Columns &columns, const Row &row)
{
    std::vector<Cell> cells;
    cells.reserve(std::size(columns));
    for (const auto &column : columns)
        cells.push_back(column.cell(row));
    return cells;
}

// The start of a document of members in order, each value JSON text
// already, up to the last member's value, which the caller writes before "\n}\n".
void documentStart(TextOut &out, std::initializer_list<std::pair<std::string_view, std::string>> members,
                   std::string_view last)
{
    std::string text = "{";
    for (const auto &[key, value] : members)
        text.append("\n  ").append(dumped(std::string(key))).append(": ").append(value).append(",");
    out.write(text.append("\n  ").append(dumped(std::string(last))).append(": "));
}

// The sources as an array of one object a line, as the rows are written.
std::string sourcesArray(const std::vector<Source> &sources, const Locale &locale)
{
    StringOut text;
    JsonWriter writer(fieldsOf(sourceColumns()), locale, text);
    for (const Source &source : sources)
        writer.add(cellsOf(sourceColumns(), ControllerValues{source, {}, {}, {}, {}, {}, {}}));
    writer.finish();
    return text.text;
}

constexpr FormatName kFormats[] = {{"table", Format::Table}, {"csv", Format::Csv}, {"json", Format::Json}};

} // namespace

std::span<const FormatName> formats() { return kFormats; }

std::string formatNames()
{
    std::string names;
    for (std::size_t i = 0; i < std::size(kFormats); ++i)
        names.append(i == 0 ? "" : i + 1 == std::size(kFormats) ? " or " : ", ").append(kFormats[i].name);
    return names;
}

std::optional<Format> formatNamed(std::string_view name)
{
    for (const FormatName &known : kFormats)
        if (std::equal(name.begin(), name.end(), known.name.begin(), known.name.end(),
                       [](char a, char b) { return (a >= 'A' && a <= 'Z' ? a - 'A' + 'a' : a) == b; }))
            return known.format;
    return std::nullopt;
}

std::unique_ptr<RowWriter> makeRowWriter(Format format, std::vector<Field> fields, const Locale &locale,
                                         TextOut &out)
{
    switch (format) {
    case Format::Csv:
        return std::make_unique<CsvWriter>(std::move(fields), locale, out);
    case Format::Json:
        return std::make_unique<JsonWriter>(std::move(fields), locale, out);
    case Format::Table:
        break;
    }
    return std::make_unique<TableWriter>(std::move(fields), locale, out);
}

std::string isoTime(const DateTime &dateTime, const Locale &locale)
{
    std::string text;
    appendIsoTime(text, dateTime, locale);
    return text;
}

void appendIsoTime(std::string &out, const DateTime &dateTime, const Locale &locale)
{
    const LocalTime local = locale.localTime(dateTime);
    CivilDateTime civil = local.civil;
    int offset = local.utcOffsetSeconds;
    // ISO 8601 offsets have no seconds (local mean times before 1900 do): UTC then.
    if (offset % 60 != 0 && dateTime.isInstant()) {
        civil = dateTime.civil();
        offset = 0;
    }
    const int minutes = std::abs(offset) / 60;
    const auto twoDigits = [](int value) { return value >= 0 && value < 100; };
    if (civil.year >= 0 && civil.year <= 9999 && twoDigits(civil.month) && twoDigits(civil.day)
        && twoDigits(civil.hour) && twoDigits(civil.minute) && twoDigits(civil.second) && minutes < 100 * 60) {
        // Digits by hand: the audit writes a few for every account.
        char text[] = "0000-00-00T00:00:00+00:00";
        const auto put = [&](std::size_t at, int value, int digits) {
            for (; digits-- > 0; value /= 10)
                text[at + static_cast<std::size_t>(digits)] = static_cast<char>('0' + value % 10);
        };
        put(0, civil.year, 4);
        put(5, civil.month, 2);
        put(8, civil.day, 2);
        put(11, civil.hour, 2);
        put(14, civil.minute, 2);
        put(17, civil.second, 2);
        text[19] = offset < 0 ? '-' : '+';
        put(20, minutes / 60, 2);
        put(23, minutes % 60, 2);
        out.append(text, sizeof text - 1);
        return;
    }
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", civil.year, civil.month, civil.day,
                  civil.hour, civil.minute, civil.second, offset < 0 ? '-' : '+', minutes / 60, minutes % 60);
    out.append(text);
}

AccountOutput::AccountOutput(Format format, const Locale &locale, TextOut &out)
    : format_(format), locale_(locale), out_(out), rows_(makeRowWriter(format, fieldsOf(accountColumns()), locale, out))
{
}

void AccountOutput::add(const AccountRecord &record) { rows_->add(cellsOf(accountColumns(), record)); }

void AccountOutput::finish(const std::string &domain, const std::vector<Source> &sources, const DateTime &generated)
{
    if (format_ == Format::Json)
        documentStart(out_,
                      {{"domain", dumped(domain)},
                       {"generated", dumped(isoTime(generated, locale_))},
                       {"controllers", sourcesArray(sources, locale_)}},
                      "accounts");
    rows_->finish();
    if (format_ == Format::Json)
        out_.write("\n}\n");
}

void writePerController(Format format, const PerController &view, const DateTime &generated, const Locale &locale,
                        TextOut &out)
{
    const auto writer = makeRowWriter(format, fieldsOf(controllerColumns()), locale, out);
    for (const ControllerValues &values : view.controllers)
        writer->add(cellsOf(controllerColumns(), values));
    if (format == Format::Json)
        documentStart(out, {{"account", dumped(view.account)}, {"generated", dumped(isoTime(generated, locale))}},
                      "controllers");
    writer->finish();
    if (format == Format::Json)
        out.write("\n}\n");
}

} // namespace tramsel::audit
