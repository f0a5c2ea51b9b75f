// The only place that knows which platform the program is built for.
#include "platform/provider_factory.h"

#if defined(__linux__)
#include "platform/linux/accounts.h"
#include "platform/linux/linux_catalog.h"
#include "platform/linux/linux_provider.h"
#include "platform/linux/routing_provider.h"
#include "platform/modules/domain_module.h"
#elif defined(_WIN32)
#include "platform/win/adsi_catalog.h"
#include "platform/win/adsi_provider.h"
#elif defined(__unix__)
#include "platform/modules/domain_module.h"
#else
#include "platform/none/null_provider.h"
#endif

namespace tramsel {

std::unique_ptr<DirectoryProvider> makeDirectoryProvider(const ProviderOptions &options)
{
#if defined(__linux__)
    // A tree holds one machine's accounts and nothing else.
    if (!options.root.empty())
        return LinuxDirectoryProvider::forTree(options.root);
    // This machine's own accounts locally; any other domain is a directory's,
    // whose code is loaded only when such an account is asked for.
    return std::make_unique<RoutingDirectoryProvider>(
        LinuxDirectoryProvider::forSystem(), std::make_unique<DomainModuleProvider>(options),
        [](std::string_view domain) {
            linux_accounts::PosixFileReader files;
            return linux_accounts::SystemAccounts(files).isHostName(domain);
        });
#elif defined(_WIN32)
    (void)options;  // ADSI reads no files
    return std::make_unique<AdsiDirectoryProvider>();
#elif defined(__unix__)
    return std::make_unique<DomainModuleProvider>(options);
#else
    (void)options;
    return std::make_unique<NullDirectoryProvider>();
#endif
}

namespace {

// A platform (or a build) that cannot list its accounts yet.
class NoCatalog final : public audit::AccountCatalog {
public:
    audit::Listing listAccounts(const audit::Request &request, const std::function<void(AccountRecord &&)> &,
                                const std::function<void(const audit::Progress &)> &) override
    {
        return {request.domain, {}, "listing accounts is not supported here", {}};
    }
};


} // namespace

std::unique_ptr<audit::AccountCatalog> makeAccountCatalog(const ProviderOptions &options)
{
#if defined(__linux__)
    // As for the provider: a tree is one machine; otherwise this machine's
    // accounts locally, and a domain's from its directory, whose code is
    // loaded only when a domain is listed.
    if (!options.root.empty())
        return LinuxAccountCatalog::forTree(options.root);
    return std::make_unique<RoutingAccountCatalog>(
        LinuxAccountCatalog::forSystem(), std::make_unique<DomainModuleCatalog>(options), [](std::string_view domain) {
            linux_accounts::PosixFileReader files;
            return linux_accounts::SystemAccounts(files).isHostName(domain);
        });
#elif defined(__unix__)
    return std::make_unique<DomainModuleCatalog>(options);
#elif defined(_WIN32)
    (void)options;  // ADSI reads no files
    // The domain's or this computer's WinNT container.
    return std::make_unique<AdsiAccountCatalog>();
#else
    (void)options;
    return std::make_unique<NoCatalog>();
#endif
}

} // namespace tramsel
