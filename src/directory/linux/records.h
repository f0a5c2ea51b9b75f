// The fixed-size login records of a Linux system, decoded from their bytes
// as they lie on disk (x86-64 and other little-endian glibc layouts).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tramsel::linux_accounts {

// wtmp and btmp: struct utmp, 384 bytes.
struct UtmpRecord {
    static constexpr std::size_t kSize = 384;

    // ut_type values.
    static constexpr int kRunLevel = 1;
    static constexpr int kBootTime = 2;
    static constexpr int kNewTime = 3;
    static constexpr int kOldTime = 4;
    static constexpr int kInitProcess = 5;
    static constexpr int kLoginProcess = 6;
    static constexpr int kUserProcess = 7;
    static constexpr int kDeadProcess = 8;
    // Not in the file: `last`'s name for a run level record that shuts down.
    static constexpr int kShutdownTime = 100;

    int type = 0;
    std::int32_t pid = 0;
    std::string line;  // ut_line, up to its first NUL
    std::string user;  // ut_user, up to its first NUL
    std::string host;  // ut_host, up to its first NUL
    std::uint32_t seconds = 0;  // unsigned, so that times after 2038 stay right
};

// lastlog: struct lastlog, 292 bytes, one per uid at uid x 292.
struct LastlogRecord {
    static constexpr std::size_t kSize = 292;

    std::uint32_t seconds = 0;  // 0: never logged in
    std::string line;
    std::string host;
};

// pam_faillock's tally file: struct tally, 64 bytes.
struct TallyRecord {
    static constexpr std::size_t kSize = 64;

    static constexpr std::uint16_t kValid = 0x1;
    static constexpr std::uint16_t kRemoteHost = 0x2;
    static constexpr std::uint16_t kTty = 0x4;

    std::string source;  // remote host, tty or service, as status says
    std::uint16_t status = 0;
    std::uint64_t seconds = 0;
};

// Each takes exactly one record's bytes (the size above); fewer is a
// programming error and gives an empty record.
UtmpRecord decodeUtmp(std::span<const unsigned char> bytes);
LastlogRecord decodeLastlog(std::span<const unsigned char> bytes);
TallyRecord decodeTally(std::span<const unsigned char> bytes);

// Fields of a utmp record read in place, for long walks that decode only
// the records they keep. The views point into the record's bytes.
std::string_view utmpUser(std::span<const unsigned char> bytes);
std::uint32_t utmpSeconds(std::span<const unsigned char> bytes);

// What decides a utmp record's meaning, without its host.
struct UtmpFields {
    int type = 0;
    std::int32_t pid = 0;
    std::string_view line;
    std::string_view user;
    std::uint32_t seconds = 0;
};
UtmpFields utmpFields(std::span<const unsigned char> bytes);
UtmpFields utmpFields(const UtmpRecord &record);

// The record's type as `last` understands it: old programs fill ut_type in
// badly, so the user and line fields decide (util-linux last(1) rules).
int effectiveUtmpType(const UtmpFields &record);
inline int effectiveUtmpType(const UtmpRecord &record) { return effectiveUtmpType(utmpFields(record)); }

// Whether the record ends every session open before it (a boot, or a run
// level change to halt or reboot), given its effective type.
bool endsAllSessions(const UtmpFields &record, int effectiveType);
inline bool endsAllSessions(const UtmpRecord &record, int effectiveType)
{
    return endsAllSessions(utmpFields(record), effectiveType);
}

} // namespace tramsel::linux_accounts
