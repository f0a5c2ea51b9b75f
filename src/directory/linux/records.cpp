// Decoding of utmp, lastlog and faillock tally records.
#include "directory/linux/records.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace tramsel::linux_accounts {
namespace {

std::uint32_t littleEndian(std::span<const unsigned char> bytes, std::size_t offset, std::size_t width)
{
    std::uint64_t value = 0;
    for (std::size_t i = width; i-- > 0;)
        value = value << 8 | bytes[offset + i];
    return static_cast<std::uint32_t>(value);
}

std::uint64_t littleEndian64(std::span<const unsigned char> bytes, std::size_t offset)
{
    std::uint64_t value = 0;
    for (std::size_t i = 8; i-- > 0;)
        value = value << 8 | bytes[offset + i];
    return value;
}

// A char array that is NUL-terminated only when shorter than the array.
std::string_view fixedView(std::span<const unsigned char> bytes, std::size_t offset, std::size_t width)
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

std::string fixedText(std::span<const unsigned char> bytes, std::size_t offset, std::size_t width)
{
    return std::string(fixedView(bytes, offset, width));
}

} // namespace

UtmpRecord decodeUtmp(std::span<const unsigned char> bytes)
{
    if (bytes.size() < UtmpRecord::kSize)
        return {};
    UtmpRecord record;
    record.type = static_cast<std::int16_t>(littleEndian(bytes, 0, 2));
    record.pid = static_cast<std::int32_t>(littleEndian(bytes, 4, 4));
    record.line = fixedText(bytes, 8, 32);
    record.user = fixedText(bytes, 44, 32);
    record.host = fixedText(bytes, 76, 256);
    record.seconds = littleEndian(bytes, 340, 4);
    return record;
}

LastlogRecord decodeLastlog(std::span<const unsigned char> bytes)
{
    if (bytes.size() < LastlogRecord::kSize)
        return {};
    LastlogRecord record;
    record.seconds = littleEndian(bytes, 0, 4);
    record.line = fixedText(bytes, 4, 32);
    record.host = fixedText(bytes, 36, 256);
    return record;
}

TallyRecord decodeTally(std::span<const unsigned char> bytes)
{
    if (bytes.size() < TallyRecord::kSize)
        return {};
    TallyRecord record;
    record.source = fixedText(bytes, 0, 52);
    record.status = static_cast<std::uint16_t>(littleEndian(bytes, 54, 2));
    record.seconds = littleEndian64(bytes, 56);
    return record;
}

std::string_view utmpUser(std::span<const unsigned char> bytes)
{
    return bytes.size() < UtmpRecord::kSize ? std::string_view() : fixedView(bytes, 44, 32);
}

std::uint32_t utmpSeconds(std::span<const unsigned char> bytes)
{
    return bytes.size() < UtmpRecord::kSize ? 0 : littleEndian(bytes, 340, 4);
}

UtmpFields utmpFields(std::span<const unsigned char> bytes)
{
    if (bytes.size() < UtmpRecord::kSize)
        return {};
    return {static_cast<std::int16_t>(littleEndian(bytes, 0, 2)), static_cast<std::int32_t>(littleEndian(bytes, 4, 4)),
            fixedView(bytes, 8, 32), fixedView(bytes, 44, 32), littleEndian(bytes, 340, 4)};
}

UtmpFields utmpFields(const UtmpRecord &record)
{
    return {record.type, record.pid, record.line, record.user, record.seconds};
}

int effectiveUtmpType(const UtmpFields &record)
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

bool endsAllSessions(const UtmpFields &record, int effectiveType)
{
    if (effectiveType == UtmpRecord::kBootTime || effectiveType == UtmpRecord::kShutdownTime)
        return true;
    if (effectiveType == UtmpRecord::kRunLevel) {
        const int level = record.pid & 255;
        return level == '0' || level == '6';
    }
    return false;
}

} // namespace tramsel::linux_accounts
