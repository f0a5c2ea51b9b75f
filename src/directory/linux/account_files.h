// The text files that describe accounts: passwd, shadow, faillock.conf and
// hostname, parsed as their libraries parse them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tramsel::linux_accounts {

struct PasswdEntry {
    std::string name;
    std::uint32_t uid = 0;
    std::string fullName;  // the first field of GECOS
};

// Fields of a shadow entry; -1 stands for an empty day field.
struct ShadowEntry {
    std::string name;
    std::int64_t lastChangeDays = -1;
    std::int64_t maxDays = -1;
    std::int64_t expireDays = -1;  // the account's expiry
    bool hashLocked = false;       // the hash starts with '!' (passwd -l)
};

// The passwd entry named `name` in the text of a passwd file. NIS compat lines
// ("+...", "-...") and malformed lines are skipped.
std::optional<PasswdEntry> findPasswdEntry(std::string_view passwdText, std::string_view name);
// Every entry of a passwd file in its order, skipped lines aside.
std::vector<PasswdEntry> passwdEntries(std::string_view passwdText);

// The shadow entry named `name`; nothing when there is none or its day
// fields are not numbers (the shadow library skips such lines too).
std::optional<ShadowEntry> findShadowEntry(std::string_view shadowText, std::string_view name);
// Every entry of a shadow file by name; a name's first entry counts.
std::unordered_map<std::string, ShadowEntry> shadowEntries(std::string_view shadowText);

// pam_faillock's settings: where tallies are, which failures count, and
// when they lock the account. Values it would refuse keep their defaults.
struct FaillockSettings {
    std::string dir = "/var/run/faillock";
    std::int64_t failIntervalSeconds = 900;
    std::int64_t deny = 3;                   // 0: never locks
    std::int64_t unlockTimeSeconds = 600;    // 0: until an administrator unlocks
    std::int64_t rootUnlockTimeSeconds = 600;
    bool evenDenyRoot = false;               // root is locked too
};
FaillockSettings parseFaillockConf(std::string_view confText);

// The uids of user accounts, as login.defs sets them (UID_MIN, UID_MAX);
// the others are system accounts, as lslogins splits them.
struct UidRange {
    std::uint32_t min = 1000;
    std::uint32_t max = 60000;
};
UidRange parseLoginDefs(std::string_view loginDefsText);

// The host name in an /etc/hostname file: its first non-comment word.
std::string parseHostnameFile(std::string_view text);

} // namespace tramsel::linux_accounts
