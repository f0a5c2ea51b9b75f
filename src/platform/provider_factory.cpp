// The only place that knows which platform the program is built for.
#include "platform/provider_factory.h"

#include "platform/none/null_provider.h"
#if defined(_WIN32)
#include "platform/win/adsi_provider.h"
#endif

namespace tramsel {

std::unique_ptr<DirectoryProvider> makeDirectoryProvider(const ProviderOptions &)
{
#if defined(_WIN32)
    return std::make_unique<AdsiDirectoryProvider>();
#else
    return std::make_unique<NullDirectoryProvider>();
#endif
}

} // namespace tramsel
