// Loading the domain module at the first bind of a domain account.
#include "platform/modules/domain_module.h"

#include "platform/modules/loadable_module.h"

namespace tramsel {
namespace {

// What one of the module's entries makes; nothing, and the reason in
// `error`, when the module cannot be loaded.
template <class T>
std::unique_ptr<T> makeFromModule(std::unique_ptr<T> (*DomainModule::*make)(const ProviderOptions &),
                                  const ProviderOptions &options, std::string &error)
{
    const auto module = loadModule<DomainModule>(kDomainModuleFile, kDomainModuleSymbol);
    if (!module.table) {
        error = "domain accounts cannot be read: " + module.error;
        return nullptr;
    }
    return (module.table->*make)(options);
}

} // namespace

DomainModuleProvider::DomainModuleProvider(ProviderOptions options) : options_(std::move(options)) {}

DomainModuleProvider::~DomainModuleProvider() = default;

Binding DomainModuleProvider::bind(std::string_view path)
{
    if (!loaded_) {
        loaded_ = true;
        provider_ = makeFromModule(&DomainModule::makeProvider, options_, loadError_);
    }
    if (!provider_)
        return {nullptr, loadError_, {}};
    return provider_->bind(path);
}

// Only the module's provider hands out objects, so it is there for these.
std::optional<PropertyValue> DomainModuleProvider::get(DirectoryObject &object, std::string_view name)
{
    return provider_->get(object, name);
}

void DomainModuleProvider::release(DirectoryObject *object) { provider_->release(object); }

UsageRead DomainModuleProvider::usage(DirectoryObject &object) { return provider_->usage(object); }

DomainModuleCatalog::DomainModuleCatalog(ProviderOptions options) : options_(std::move(options)) {}

DomainModuleCatalog::~DomainModuleCatalog() = default;

audit::AccountCatalog *DomainModuleCatalog::catalog()
{
    if (!loaded_) {
        loaded_ = true;
        catalog_ = makeFromModule(&DomainModule::makeCatalog, options_, loadError_);
    }
    return catalog_.get();
}

audit::Listing DomainModuleCatalog::listAccounts(const audit::Request &request,
                                                 const std::function<void(AccountRecord &&)> &row,
                                                 const std::function<void(const audit::Progress &)> &progress)
{
    if (audit::AccountCatalog *loaded = catalog())
        return loaded->listAccounts(request, row, progress);
    return {request.domain, {}, loadError_, {}};
}

audit::PerController DomainModuleCatalog::perController(const std::string &domain, const std::string &user)
{
    if (audit::AccountCatalog *loaded = catalog())
        return loaded->perController(domain, user);
    return {domain + "\\" + user, {}, loadError_};
}

} // namespace tramsel
