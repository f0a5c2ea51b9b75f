// Parsing passwd, shadow, faillock.conf and hostname texts.
#include "platform/linux/account_files.h"

#include <charconv>
#include <vector>

namespace tramsel::linux_accounts {
namespace {

std::vector<std::string_view> split(std::string_view text, char separator)
{
    std::vector<std::string_view> fields;
    for (;;) {
        const auto at = text.find(separator);
        fields.push_back(text.substr(0, at));
        if (at == std::string_view::npos)
            return fields;
        text.remove_prefix(at + 1);
    }
}

// Calls `line` for each line until it returns true.
template <typename Visit>
void forEachLine(std::string_view text, Visit line)
{
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view current = text.substr(0, end);
        if (!current.empty() && current.back() == '\r')
            current.remove_suffix(1);
        if (line(current))
            return;
        if (end == std::string_view::npos)
            return;
        text.remove_prefix(end + 1);
    }
}

template <typename Number>
std::optional<Number> parseNumber(std::string_view text)
{
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

// A shadow day field: empty is -1; anything else must be a number.
std::optional<std::int64_t> parseDays(std::string_view text)
{
    if (text.empty())
        return -1;
    return parseNumber<std::int64_t>(text);
}

std::string_view trim(std::string_view text)
{
    constexpr std::string_view kSpace = " \t\r\n\f\v";
    const auto first = text.find_first_not_of(kSpace);
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(kSpace);
    return text.substr(first, last - first + 1);
}

} // namespace

std::optional<PasswdEntry> findPasswdEntry(std::string_view passwdText, std::string_view name)
{
    std::optional<PasswdEntry> found;
    forEachLine(passwdText, [&](std::string_view line) {
        if (line.starts_with('+') || line.starts_with('-'))
            return false;
        const auto fields = split(line, ':');
        if (fields.size() != 7 || fields[0] != name)
            return false;
        const auto uid = parseNumber<std::uint32_t>(fields[2]);
        if (!uid)
            return false;
        found = PasswdEntry{std::string(fields[0]), *uid};
        return true;
    });
    return found;
}

std::optional<ShadowEntry> findShadowEntry(std::string_view shadowText, std::string_view name)
{
    std::optional<ShadowEntry> found;
    forEachLine(shadowText, [&](std::string_view line) {
        if (line.starts_with('+') || line.starts_with('-'))
            return false;
        const auto fields = split(line, ':');
        if (fields.size() != 9 || fields[0] != name)
            return false;
        for (std::size_t i = 2; i <= 7; ++i)
            if (!parseDays(fields[i]))
                return false;
        found = ShadowEntry{std::string(fields[0]), *parseDays(fields[2]), *parseDays(fields[4])};
        return true;
    });
    return found;
}

FaillockSettings parseFaillockConf(std::string_view confText)
{
    FaillockSettings settings;
    forEachLine(confText, [&](std::string_view line) {
        line = trim(line.substr(0, line.find('#')));
        const auto equals = line.find('=');
        if (equals == std::string_view::npos)
            return false;
        const auto key = trim(line.substr(0, equals));
        const auto value = trim(line.substr(equals + 1));
        if (key == "dir" && value.starts_with('/'))
            settings.dir = std::string(value);
        else if (key == "fail_interval")
            if (const auto seconds = parseNumber<std::int64_t>(value); seconds && *seconds >= 0)
                settings.failIntervalSeconds = *seconds;
        return false;
    });
    return settings;
}

std::string parseHostnameFile(std::string_view text)
{
    std::string name;
    forEachLine(text, [&](std::string_view line) {
        line = trim(line);
        if (line.empty() || line.starts_with('#'))
            return false;
        name = std::string(line.substr(0, line.find_first_of(" \t")));
        return true;
    });
    return name;
}

} // namespace tramsel::linux_accounts
