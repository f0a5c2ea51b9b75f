// The table, CSV and JSON writers.
#include "output/writers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <iterator>
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

} // namespace

std::string validUtf8(const std::string &text)
{
    return isAscii(text) ? text : Json::parse(dumped(text)).get<std::string>();
}

namespace {

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

// The code point that starts at `at` of valid UTF-8, and the bytes after it.
char32_t decode(std::string_view text, std::size_t &at)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t i = 1; i < length && at + i < text.size(); ++i)
        c = (c << 6) | (byte(at + i) & 0x3F);
    at += length;
    return c;
}

// Characters that would steer the terminal rather than show: the C0 and C1
// controls, DEL, and the bidirectional formatting characters (U+202E turns
// the rest of a line around).
bool steers(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c < 0xA0) || c == 0x061C || c == 0x200E || c == 0x200F
        || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

// How many terminal columns a character takes, as wcwidth counts them
// (where the C library has no UTF-8 locale to ask, or no wcwidth at all):
// none for combining marks and joiners, two for East Asian wide and
// full-width characters and emoji, one for the rest.
int columnsOf(char32_t c)
{
    struct Range {
        char32_t first, last;
    };
    static constexpr Range kNone[] = {
        {0x0300, 0x036F}, {0x0483, 0x0489}, {0x0591, 0x05BD}, {0x0610, 0x061A}, {0x064B, 0x065F},
        {0x1160, 0x11FF}, {0x1AB0, 0x1AFF}, {0x1DC0, 0x1DFF}, {0x200B, 0x200D}, {0x2060, 0x2064},
        {0x20D0, 0x20FF}, {0xFE00, 0xFE0F}, {0xFE20, 0xFE2F}, {0xFEFF, 0xFEFF}, {0xE0100, 0xE01EF},
    };
    static constexpr Range kTwo[] = {
        {0x1100, 0x115F},   {0x231A, 0x231B},   {0x2329, 0x232A},   {0x23E9, 0x23EC},   {0x2614, 0x2615},
        {0x2648, 0x2653},   {0x26AA, 0x26AB},   {0x26BD, 0x26BE},   {0x26C4, 0x26C5},   {0x2705, 0x2705},
        {0x270A, 0x270B},   {0x2728, 0x2728},   {0x274C, 0x274C},   {0x2753, 0x2757},   {0x2795, 0x2797},
        {0x2B1B, 0x2B1C},   {0x2B50, 0x2B55},   {0x2E80, 0x303E},   {0x3041, 0x33FF},   {0x3400, 0x4DBF},
        {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},   {0xA960, 0xA97F},   {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},
        {0xFE10, 0xFE19},   {0xFE30, 0xFE6F},   {0xFF00, 0xFF60},   {0xFFE0, 0xFFE6},   {0x17000, 0x18AFF},
        {0x1B000, 0x1B2FF}, {0x1F004, 0x1F004}, {0x1F0CF, 0x1F0CF}, {0x1F18E, 0x1F18E}, {0x1F191, 0x1F19A},
        {0x1F200, 0x1F251}, {0x1F300, 0x1F64F}, {0x1F680, 0x1F6FF}, {0x1F7E0, 0x1F7EB}, {0x1F90C, 0x1F9FF},
        {0x1FA70, 0x1FAFF}, {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD},
    };
    const auto within = [c](const auto &ranges) {
        const auto found = std::upper_bound(std::begin(ranges), std::end(ranges), c,
                                            [](char32_t value, const Range &range) { return value < range.first; });
        return found != std::begin(ranges) && c <= std::prev(found)->last;
    };
    return within(kNone) ? 0 : within(kTwo) ? 2 : 1;
}

// A cell as the report shows it, on one line, with whatever would steer
// the terminal shown as an escape: "\u202e".
std::string peopleText(const Field &field, const Cell &cell, const Locale &locale)
{
    std::string text;
    if (field.kind == ColumnKind::Flag && cell && numberValue(*cell))
        text = *numberValue(*cell) != 0 ? "yes" : "no";
    else
        text = validUtf8(reportText(cell, locale));
    std::replace_if(text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r' || c == '\t'; }, ' ');
    std::string shown;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t start = at;
        if (const char32_t c = decode(text, at); steers(c)) {
            char escape[12];
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
            shown += escape;
        } else
            shown.append(text, start, at - start);
    }
    return shown;
}

// Terminal columns a text takes.
std::size_t width(std::string_view text)
{
    std::size_t columns = 0;
    for (std::size_t at = 0; at < text.size();)
        columns += static_cast<std::size_t>(columnsOf(decode(text, at)));
    return columns;
}

// The text cut to at most `widest` columns, ending in "…" where cut; 0: never cut.
std::string cut(std::string text, std::size_t widest)
{
    if (widest == 0 || width(text) <= widest)
        return text;
    std::size_t columns = 0, at = 0;
    while (at < text.size()) {
        std::size_t next = at;
        const std::size_t more = static_cast<std::size_t>(columnsOf(decode(text, next)));
        if (columns + more > widest - 1)
            break;
        columns += more;
        at = next;
    }
    // Marks that combine with the last character kept stay with it.
    while (at < text.size()) {
        std::size_t next = at;
        if (columnsOf(decode(text, next)) != 0)
            break;
        at = next;
    }
    return text.substr(0, at) + "\xE2\x80\xA6";  // U+2026, one column
}

class TableWriter final : public RowWriter {
public:
    TableWriter(std::vector<Field> fields, const Locale &locale, TextOut &out, std::size_t widestCell)
        : fields_(std::move(fields)), locale_(locale), out_(out), widestCell_(widestCell)
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
            texts.push_back(cut(peopleText(fields_[i], cells[i], locale_), widestCell_));
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
    std::size_t widestCell_;
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
                                         TextOut &out, std::size_t widestCell)
{
    switch (format) {
    case Format::Csv:
        return std::make_unique<CsvWriter>(std::move(fields), locale, out);
    case Format::Json:
        return std::make_unique<JsonWriter>(std::move(fields), locale, out);
    case Format::Table:
        break;
    }
    return std::make_unique<TableWriter>(std::move(fields), locale, out, widestCell);
}

std::string tableText(ColumnKind kind, const Cell &cell, const Locale &locale)
{
    return peopleText({{}, kind}, cell, locale);
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

AccountOutput::AccountOutput(Format format, const Locale &locale, TextOut &out, AccountLayout layout)
    : format_(format), locale_(locale), out_(out), columns_(std::move(layout.columns))
{
    if (columns_.empty())
        for (const auto &column : accountColumns())
            columns_.push_back(&column);
    std::vector<Field> fields;
    for (const auto *column : columns_)
        fields.push_back({column->key, column->kind});
    rows_ = makeRowWriter(format, std::move(fields), locale, out, layout.widestCell);
}

void AccountOutput::add(const AccountRecord &record)
{
    std::vector<Cell> cells;
    cells.reserve(columns_.size());
    for (const auto *column : columns_)
        cells.push_back(column->cell(record));
    rows_->add(cells);
}

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

void writeSummary(Format format, const AccountCounts &counts, const std::string &domain,
                  const std::vector<Source> &sources, const DateTime &generated, const Locale &locale, TextOut &out)
{
    if (format == Format::Table) {
        out.write(summaryText(counts, controllersAnswered(sources), locale) + "\n");
        return;
    }
    const ControllersAnswered answered = sourcesAnswered(sources);
    const std::pair<std::string_view, std::int64_t> values[] = {
        {"accounts", counts.accounts}, {"locked", counts.locked}, {"disabled", counts.disabled},
        {"neverLoggedIn", counts.neverLoggedIn}, {"passwordsExpired", counts.passwordsExpired},
        {"controllersAnswered", static_cast<std::int64_t>(answered.answered)},
        {"controllersAsked", static_cast<std::int64_t>(answered.asked)},
    };
    std::string keys, row;
    Json object = Json::object();
    for (const auto &[key, value] : values) {
        keys.append(keys.empty() ? "" : ",").append(key);
        row.append(row.empty() ? "" : ",").append(std::to_string(value));
        object[std::string(key)] = value;
    }
    if (format == Format::Csv)
        return out.write(keys + "\r\n" + row + "\r\n");
    documentStart(out,
                  {{"domain", dumped(domain)},
                   {"generated", dumped(isoTime(generated, locale))},
                   {"controllers", sourcesArray(sources, locale)}},
                  "summary");
    out.write(dumped(object) + "\n}\n");
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
