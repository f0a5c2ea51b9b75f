// The text files that describe accounts: passwd, shadow, faillock.conf and
// hostname, parsed as their libraries parse them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tramsel::linux_accounts {

struct PasswdEntry {
    std::string name;
    std::uint32_t uid = 0;
};

// Password ageing fields of a shadow entry; -1 stands for an empty field.
struct ShadowEntry {
    std::string name;
    std::int64_t lastChangeDays = -1;
    std::int64_t maxDays = -1;
};

// The passwd entry named `name` in the text of a passwd file. NIS compat lines
// ("+...", "-...") and malformed lines are skipped.
std::optional<PasswdEntry> findPasswdEntry(std::string_view passwdText, std::string_view name);

// The shadow entry named `name`; nothing when there is none or its ageing
// fields are not numbers (the shadow library skips such lines too).
std::optional<ShadowEntry> findShadowEntry(std::string_view shadowText, std::string_view name);

// pam_faillock's settings that decide where tallies are and which count.
struct FaillockSettings {
    std::string dir = "/var/run/faillock";
    std::int64_t failIntervalSeconds = 900;
};
FaillockSettings parseFaillockConf(std::string_view confText);

// The host name in an /etc/hostname file: its first non-comment word.
std::string parseHostnameFile(std::string_view text);

} // namespace tramsel::linux_accounts
