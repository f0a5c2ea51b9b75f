// The fixed-size login records of a Linux system, decoded from their bytes
// as they lie on disk (x86-64 and other little-endian glibc layouts).
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
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

namespace detail {

// Unsigned little-endian numbers of 2, 4 or 8 bytes: a little-endian
// machine loads them whole.
template <class Number> Number littleEndian(std::span<const unsigned char> bytes, std::size_t offset)
{
    Number value = 0;
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(&value, bytes.data() + offset, sizeof value);
    } else {
        for (std::size_t i = sizeof value; i-- > 0;)
            value = static_cast<Number>(value << 8 | bytes[offset + i]);
    }
    return value;
}

// A char array that is NUL-terminated only when shorter than the array.
inline std::string_view fixedView(std::span<const unsigned char> bytes, std::size_t offset, std::size_t width)
{
    const auto *field = reinterpret_cast<const char *>(bytes.data() + offset);
    // Eight bytes at a time (walks read millions of these): the lowest byte
    // of a word that is 0 shows as its lowest set bit here.
    std::size_t at = 0;
    for (; at + 8 <= width; at += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, field + at, 8);
        if (const std::uint64_t zero = (word - 0x0101010101010101u) & ~word & 0x8080808080808080u)
            return {field, at + static_cast<std::size_t>(std::countr_zero(zero) / 8)};
    }
    const auto *end = static_cast<const char *>(std::memchr(field + at, 0, width - at));
    return {field, end ? static_cast<std::size_t>(end - field) : width};
}

} // namespace detail

// Fields of a utmp record read in place, for long walks that decode only
// the records they keep. The views point into the record's bytes. Defined
// here, as the walks call them for every record.
inline std::string_view utmpUser(std::span<const unsigned char> bytes)
{
    return bytes.size() < UtmpRecord::kSize ? std::string_view() : detail::fixedView(bytes, 44, 32);
}
inline std::uint32_t utmpSeconds(std::span<const unsigned char> bytes)
{
    return bytes.size() < UtmpRecord::kSize ? 0 : detail::littleEndian<std::uint32_t>(bytes, 340);
}

// What decides a utmp record's meaning, without its host.
struct UtmpFields {
    int type = 0;
    std::int32_t pid = 0;
    std::string_view line;
    std::string_view user;
    std::uint32_t seconds = 0;
};
inline UtmpFields utmpFields(std::span<const unsigned char> bytes)
{
    if (bytes.size() < UtmpRecord::kSize)
        return {};
    return {static_cast<std::int16_t>(detail::littleEndian<std::uint16_t>(bytes, 0)),
            static_cast<std::int32_t>(detail::littleEndian<std::uint32_t>(bytes, 4)), detail::fixedView(bytes, 8, 32),
            detail::fixedView(bytes, 44, 32), detail::littleEndian<std::uint32_t>(bytes, 340)};
}
UtmpFields utmpFields(const UtmpRecord &record);

// The record's type as `last` understands it: old programs fill ut_type in
// badly, so the user and line fields decide (util-linux last(1) rules).
inline int effectiveUtmpType(const UtmpFields &record)
{
    if (record.line.starts_with('~')) {
        if (record.user.starts_with("shutdown"))
            return UtmpRecord::kShutdownTime;
        if (record.user.starts_with("reboot"))
            return UtmpRecord::kBootTime;
        if (record.user.starts_with("runlevel"))
            return UtmpRecord::kRunLevel;
        return record.type;
    }
    int type = record.type;
    if (type != UtmpRecord::kDeadProcess && !record.user.empty() && !record.line.empty()
        && record.user != "LOGIN")
        type = UtmpRecord::kUserProcess;
    if (record.user.empty())
        type = UtmpRecord::kDeadProcess;
    return type;
}
inline int effectiveUtmpType(const UtmpRecord &record) { return effectiveUtmpType(utmpFields(record)); }

// Whether the record ends every session open before it (a boot, or a run
// level change to halt or reboot), given its effective type.
inline bool endsAllSessions(const UtmpFields &record, int effectiveType)
{
    if (effectiveType == UtmpRecord::kBootTime || effectiveType == UtmpRecord::kShutdownTime)
        return true;
    if (effectiveType == UtmpRecord::kRunLevel) {
        const int level = record.pid & 255;
        return level == '0' || level == '6';
    }
    return false;
}
inline bool endsAllSessions(const UtmpRecord &record, int effectiveType)
{
    return endsAllSessions(utmpFields(record), effectiveType);
}

} // namespace tramsel::linux_accounts
