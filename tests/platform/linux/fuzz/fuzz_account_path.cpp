// Account paths of any text: whatever parses names a safe user, and the
// parts put back together give the path again.
#include <cstddef>
#include <cstdint>
#include <string>

#include "report/account_path.h"

using namespace tramsel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string path(reinterpret_cast<const char *>(data), size);
    const auto account = parseAccountPath(path);
    if (!account)
        return 0;
    if (!isSafeName(account->user) || account->user.find('/') != std::string::npos
        || (!account->domain.empty() && !isSafeName(account->domain)))
        __builtin_trap();
    const std::string again = "WinNT://" + (account->domain.empty() ? "" : account->domain + "/")
        + account->user + ",user";
    if (again != path)
        __builtin_trap();
    return 0;
}
