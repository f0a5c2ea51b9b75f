// Routing each account and each listing to the local or the domain side.
#include "directory/linux/routing_source.h"

#include "report/account_path.h"

namespace tramsel {

RoutingSource::RoutingSource(std::unique_ptr<AccountSource> local, std::unique_ptr<AccountSource> domain,
                             std::function<bool(std::string_view)> isThisMachine)
    : local_(std::move(local)), domain_(std::move(domain)), isThisMachine_(std::move(isThisMachine))
{
}

AccountSource &RoutingSource::route(const std::string &domain)
{
    return domain.empty() || isThisMachine_(domain) ? *local_ : *domain_;
}

Lookup RoutingSource::lookup(const AccountName &name)
{
    return isSafeAccount(name) ? route(name.domain).lookup(name) : local_->lookup(name);
}

Listing RoutingSource::list(const Request &request, const RowSink &row, const ProgressSink &progress)
{
    return route(request.domain).list(request, row, progress);
}

PerController RoutingSource::perController(const AccountName &name)
{
    return route(name.domain).perController(name);
}

} // namespace tramsel
