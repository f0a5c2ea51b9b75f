// The only place that knows which platform the program is built for.
#include "directory/source_factory.h"

#if defined(__linux__)
#include "directory/linux/accounts.h"
#include "directory/linux/linux_source.h"
#include "directory/linux/routing_source.h"
#include "directory/module/domain_module.h"
#elif defined(_WIN32)
#include "directory/adsi/adsi_source.h"
#elif defined(__unix__)
#include "directory/module/domain_module.h"
#else
#include "directory/none/null_source.h"
#endif

namespace tramsel {

std::unique_ptr<AccountSource> makeAccountSource(const SourceOptions &options)
{
#if defined(__linux__)
    // A tree holds one machine's accounts and nothing else.
    if (!options.root.empty())
        return LinuxAccountSource::forTree(options.root);
    // This machine's own accounts locally; any other domain is a directory's,
    // whose code is loaded only when such a domain is asked about.
    return std::make_unique<RoutingSource>(LinuxAccountSource::forSystem(), std::make_unique<DomainModuleSource>(options),
                                           [](std::string_view domain) {
                                               linux_accounts::PosixFileReader files;
                                               return linux_accounts::SystemAccounts(files).isHostName(domain);
                                           });
#elif defined(_WIN32)
    (void)options;  // ADSI reads no files
    return std::make_unique<AdsiAccountSource>();
#elif defined(__unix__)
    return std::make_unique<DomainModuleSource>(options);
#else
    (void)options;
    return std::make_unique<NullSource>();
#endif
}

} // namespace tramsel
