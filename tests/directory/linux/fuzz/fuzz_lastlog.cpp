// A lastlog file of any bytes, read for a uid the first four bytes give,
// alone and among others.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <vector>

#include "directory/linux/login_history.h"

using namespace tramsel::linux_accounts;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 4)
        return 0;
    const std::uint32_t uid = (data[0] | data[1] << 8) % 64 + (data[2] & 0x80 ? 0xffff0000u : 0);
    const MemoryFile file(std::vector<unsigned char>(data + 4, data + size));
    if (const auto record = lastlogEntry(file, uid)) {
        if (record->seconds == 0 || record->line.size() > 32 || record->host.size() > 256)
            __builtin_trap();
    }
    // Read with other uids at once, the uid's record is the same.
    const std::uint32_t uids[] = {data[3] % 8u, uid, uid + 1, 0xffffffffu, data[3] % 8u};
    const auto entries = lastlogEntries(file, uids);
    for (std::size_t i = 0; i < std::size(uids); ++i) {
        const auto alone = lastlogEntry(file, uids[i]);
        if (entries[i].has_value() != alone.has_value()
            || (alone && (entries[i]->seconds != alone->seconds || entries[i]->host != alone->host)))
            __builtin_trap();
    }
    return 0;
}
