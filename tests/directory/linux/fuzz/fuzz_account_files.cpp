// passwd, shadow, faillock.conf and hostname texts of any bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "directory/linux/account_files.h"

using namespace tramsel::linux_accounts;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const std::string_view name = text.substr(0, text.find(':'));
    if (const auto entry = findPasswdEntry(text, name); entry && entry->name != name)
        __builtin_trap();
    if (const auto entry = findShadowEntry(text, name); entry && entry->name != name)
        __builtin_trap();
    const auto all = shadowEntries(text);
    if (const auto entry = findShadowEntry(text, name);
        entry.has_value() != all.contains(std::string(name)) || (entry && all.at(std::string(name)).maxDays != entry->maxDays))
        __builtin_trap();
    const FaillockSettings settings = parseFaillockConf(text);
    if (settings.dir.empty() || settings.dir[0] != '/' || settings.failIntervalSeconds < 0 || settings.deny < 0
        || settings.unlockTimeSeconds < 0 || settings.rootUnlockTimeSeconds < 0)
        __builtin_trap();
    parseHostnameFile(text);
    return 0;
}
