// The only place that knows which platform the program is built for.
#include "platform/provider_factory.h"

#include "platform/none/null_provider.h"

namespace tramsel {

std::unique_ptr<DirectoryProvider> makeDirectoryProvider(const ProviderOptions &)
{
    return std::make_unique<NullDirectoryProvider>();
}

} // namespace tramsel
