// A pam_faillock tally file of any bytes; the clock and interval come from
// the first sixteen bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "directory/linux/login_history.h"

using namespace tramsel::linux_accounts;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 8)
        return 0;
    std::int64_t interval = 0;
    std::memcpy(&interval, data, 8);
    interval = (interval >> 2) & 0x3fffffffffffffff;
    const std::vector<unsigned char> bytes(data + 8, data + size);
    RecordLog tally(TallyRecord::kSize, {[&bytes] { return std::make_unique<MemoryFile>(bytes); }});
    const auto summary = summarizeTally(tally, interval);
    if (!summary || summary->validCount < 0
        || summary->validCount > static_cast<std::int64_t>(bytes.size() / TallyRecord::kSize)
        || summary->address.size() > 52)
        __builtin_trap();
    return 0;
}
