// The domain module's table: the Active Directory provider and catalog over LDAP.
#include "platform/ad/ad_catalog.h"
#include "platform/ad/ad_provider.h"
#include "platform/modules/domain_module.h"
#include "platform/modules/loadable_module.h"

namespace {

std::unique_ptr<tramsel::DirectoryProvider> makeProvider(const tramsel::ProviderOptions &options)
{
    return std::make_unique<tramsel::AdDirectoryProvider>(tramsel::AdDirectoryProvider::Options{options.servers, {}});
}

std::unique_ptr<tramsel::audit::AccountCatalog> makeCatalog(const tramsel::ProviderOptions &options)
{
    return std::make_unique<tramsel::AdAccountCatalog>(tramsel::AdAccountCatalog::Options{options.servers, {}});
}

} // namespace

extern "C" TRAMSEL_MODULE_EXPORT const tramsel::DomainModule tramsel_domain_module;
const tramsel::DomainModule tramsel_domain_module{tramsel::kBuildId, &makeProvider, &makeCatalog};
