// The only place that knows which platform the program is built for.
#include "platform/provider_factory.h"

#if defined(__linux__)
#include "platform/linux/linux_provider.h"
#elif defined(_WIN32)
#include "platform/win/adsi_provider.h"
#else
#include "platform/none/null_provider.h"
#endif

namespace tramsel {

std::unique_ptr<DirectoryProvider> makeDirectoryProvider(const ProviderOptions &options)
{
#if defined(__linux__)
    if (!options.root.empty())
        return LinuxDirectoryProvider::forTree(options.root);
    return LinuxDirectoryProvider::forSystem();
#elif defined(_WIN32)
    (void)options;  // ADSI reads no files
    return std::make_unique<AdsiDirectoryProvider>();
#else
    (void)options;
    return std::make_unique<NullDirectoryProvider>();
#endif
}

} // namespace tramsel
