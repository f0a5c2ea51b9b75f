// Decoding of utmp, lastlog and faillock tally records.
#include "directory/linux/records.h"

#include <string>

namespace tramsel::linux_accounts {
namespace {

using detail::fixedView;
using detail::littleEndian;

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
    record.type = static_cast<std::int16_t>(littleEndian<std::uint16_t>(bytes, 0));
    record.pid = static_cast<std::int32_t>(littleEndian<std::uint32_t>(bytes, 4));
    record.line = fixedText(bytes, 8, 32);
    record.user = fixedText(bytes, 44, 32);
    record.host = fixedText(bytes, 76, 256);
    record.seconds = littleEndian<std::uint32_t>(bytes, 340);
    return record;
}

LastlogRecord decodeLastlog(std::span<const unsigned char> bytes)
{
    if (bytes.size() < LastlogRecord::kSize)
        return {};
    LastlogRecord record;
    record.seconds = littleEndian<std::uint32_t>(bytes, 0);
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
    record.status = littleEndian<std::uint16_t>(bytes, 54);
    record.seconds = littleEndian<std::uint64_t>(bytes, 56);
    return record;
}

UtmpFields utmpFields(const UtmpRecord &record)
{
    return {record.type, record.pid, record.line, record.user, record.seconds};
}

} // namespace tramsel::linux_accounts
