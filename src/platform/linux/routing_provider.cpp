// Routing each path (and each listing) to the local or the domain side.
#include "platform/linux/routing_provider.h"

#include "report/account_path.h"

namespace tramsel {

RoutingDirectoryProvider::RoutingDirectoryProvider(std::unique_ptr<DirectoryProvider> local,
                                                   std::unique_ptr<DirectoryProvider> domain,
                                                   std::function<bool(std::string_view)> isThisMachine)
    : local_(std::move(local)), domain_(std::move(domain)), isThisMachine_(std::move(isThisMachine))
{
}

Binding RoutingDirectoryProvider::bind(std::string_view path)
{
    // A path that does not parse goes to the local provider, which refuses it.
    const auto account = parseAccountPath(path);
    DirectoryProvider *provider =
        !account || account->domain.empty() || isThisMachine_(account->domain) ? local_.get() : domain_.get();
    Binding binding = provider->bind(path);
    if (binding.account)
        owners_[binding.account] = provider;
    return binding;
}

std::optional<PropertyValue> RoutingDirectoryProvider::get(DirectoryObject &object, std::string_view name)
{
    const auto owner = owners_.find(&object);
    return owner == owners_.end() ? std::nullopt : owner->second->get(object, name);
}

UsageRead RoutingDirectoryProvider::usage(DirectoryObject &object)
{
    const auto owner = owners_.find(&object);
    return owner == owners_.end() ? UsageRead{} : owner->second->usage(object);
}

void RoutingDirectoryProvider::release(DirectoryObject *object)
{
    const auto owner = owners_.find(object);
    if (owner == owners_.end())
        return;
    owner->second->release(object);
    owners_.erase(owner);
}

RoutingAccountCatalog::RoutingAccountCatalog(std::unique_ptr<audit::AccountCatalog> local,
                                             std::unique_ptr<audit::AccountCatalog> domain,
                                             std::function<bool(std::string_view)> isThisMachine)
    : local_(std::move(local)), domain_(std::move(domain)), isThisMachine_(std::move(isThisMachine))
{
}

audit::AccountCatalog &RoutingAccountCatalog::route(const std::string &domain)
{
    return domain.empty() || isThisMachine_(domain) ? *local_ : *domain_;
}

audit::Listing RoutingAccountCatalog::listAccounts(const audit::Request &request,
                                                   const std::function<void(AccountRecord &&)> &row,
                                                   const std::function<void(const audit::Progress &)> &progress)
{
    return route(request.domain).listAccounts(request, row, progress);
}

audit::PerController RoutingAccountCatalog::perController(const std::string &domain, const std::string &user)
{
    return route(domain).perController(domain, user);
}

} // namespace tramsel
