// Parsing passwd, shadow, faillock.conf and hostname texts.
#include "directory/linux/account_files.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <vector>

namespace tramsel::linux_accounts {
namespace {

// Exactly N fields, or nothing: a line of every account, so no allocation.
template <std::size_t N>
std::optional<std::array<std::string_view, N>> splitFields(std::string_view text, char separator)
{
    std::array<std::string_view, N> fields;
    for (std::size_t i = 0; i + 1 < N; ++i) {
        const auto at = text.find(separator);
        if (at == std::string_view::npos)
            return std::nullopt;
        fields[i] = text.substr(0, at);
        text.remove_prefix(at + 1);
    }
    if (text.find(separator) != std::string_view::npos)
        return std::nullopt;
    fields[N - 1] = text;
    return fields;
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

std::optional<PasswdEntry> passwdLine(std::string_view line)
{
    if (line.starts_with('+') || line.starts_with('-'))
        return std::nullopt;
    const auto split = splitFields<7>(line, ':');
    if (!split)
        return std::nullopt;
    const auto &fields = *split;
    const auto uid = parseNumber<std::uint32_t>(fields[2]);
    if (!uid)
        return std::nullopt;
    return PasswdEntry{std::string(fields[0]), *uid, std::string(fields[4].substr(0, fields[4].find(',')))};
}

std::optional<ShadowEntry> shadowLine(std::string_view line)
{
    if (line.starts_with('+') || line.starts_with('-'))
        return std::nullopt;
    const auto split = splitFields<9>(line, ':');
    if (!split)
        return std::nullopt;
    const auto &fields = *split;
    for (std::size_t i = 2; i <= 7; ++i)
        if (!parseDays(fields[i]))
            return std::nullopt;
    return ShadowEntry{std::string(fields[0]), *parseDays(fields[2]), *parseDays(fields[4]), *parseDays(fields[7]),
                       fields[1].starts_with('!')};
}

// pam_faillock's numbers: unsigned, at most a week.
std::optional<std::int64_t> faillockSeconds(std::string_view value)
{
    constexpr std::int64_t kWeek = 604800;
    const auto seconds = parseNumber<std::int64_t>(value);
    return seconds && *seconds >= 0 && *seconds <= kWeek ? seconds : std::nullopt;
}

} // namespace

std::optional<PasswdEntry> findPasswdEntry(std::string_view passwdText, std::string_view name)
{
    std::optional<PasswdEntry> found;
    forEachLine(passwdText, [&](std::string_view line) {
        if (auto entry = passwdLine(line); entry && entry->name == name)
            found = std::move(entry);
        return found.has_value();
    });
    return found;
}

std::vector<PasswdEntry> passwdEntries(std::string_view passwdText)
{
    std::vector<PasswdEntry> entries;
    forEachLine(passwdText, [&](std::string_view line) {
        if (auto entry = passwdLine(line))
            entries.push_back(std::move(*entry));
        return false;
    });
    return entries;
}

std::optional<ShadowEntry> findShadowEntry(std::string_view shadowText, std::string_view name)
{
    std::optional<ShadowEntry> found;
    forEachLine(shadowText, [&](std::string_view line) {
        if (!line.starts_with(name) || line.substr(name.size(), 1) != ":")
            return false;
        if (auto entry = shadowLine(line))
            found = std::move(entry);
        return found.has_value();
    });
    return found;
}

std::unordered_map<std::string, ShadowEntry> shadowEntries(std::string_view shadowText)
{
    std::unordered_map<std::string, ShadowEntry> entries;
    forEachLine(shadowText, [&](std::string_view line) {
        if (auto entry = shadowLine(line))
            entries.try_emplace(entry->name, std::move(*entry));
        return false;
    });
    return entries;
}

FaillockSettings parseFaillockConf(std::string_view confText)
{
    // As pam_faillock reads it: a name ends at a blank or '=', and its value
    // follows after blanks and one '='.
    FaillockSettings settings;
    std::optional<std::int64_t> rootUnlock;
    forEachLine(confText, [&](std::string_view line) {
        line = trim(line.substr(0, line.find('#')));
        const auto nameEnd = std::min(line.find_first_of(" \t\f\v="), line.size());
        const auto key = line.substr(0, nameEnd);
        auto value = trim(line.substr(nameEnd));
        if (value.starts_with('='))
            value = trim(value.substr(1));
        if (key == "dir" && value.starts_with('/')) {
            settings.dir = std::string(value);
        } else if (key == "fail_interval") {
            settings.failIntervalSeconds = faillockSeconds(value).value_or(settings.failIntervalSeconds);
        } else if (key == "deny") {
            if (const auto deny = parseNumber<std::uint16_t>(value))
                settings.deny = *deny;
        } else if (key == "unlock_time" || key == "root_unlock_time") {
            const auto seconds = value == "never" ? std::optional<std::int64_t>(0) : faillockSeconds(value);
            if (seconds && key == "unlock_time")
                settings.unlockTimeSeconds = *seconds;
            else if (seconds)
                rootUnlock = seconds;
        } else if (key == "even_deny_root") {
            settings.evenDenyRoot = true;
        }
        return false;
    });
    settings.rootUnlockTimeSeconds = rootUnlock.value_or(settings.unlockTimeSeconds);
    return settings;
}

UidRange parseLoginDefs(std::string_view loginDefsText)
{
    UidRange range;
    forEachLine(loginDefsText, [&](std::string_view line) {
        line = trim(line);
        const auto nameEnd = std::min(line.find_first_of(" \t"), line.size());
        const auto value = parseNumber<std::uint32_t>(trim(line.substr(nameEnd)));
        if (value && line.substr(0, nameEnd) == "UID_MIN")
            range.min = *value;
        else if (value && line.substr(0, nameEnd) == "UID_MAX")
            range.max = *value;
        return false;
    });
    return range;
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
