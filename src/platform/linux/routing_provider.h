// This machine's accounts or a domain's: the provider (and the catalog) that
// answers for the domain a path names.
#pragma once

#include <functional>
#include <map>
#include <memory>

#include "audit/account_catalog.h"
#include "report/directory_provider.h"

namespace tramsel {

// Sends paths that name no domain, or a domain `isThisMachine` accepts, to
// the local provider, and every other path to the domain provider; reads
// and releases go back to the provider that bound the object.
class RoutingDirectoryProvider final : public DirectoryProvider {
public:
    RoutingDirectoryProvider(std::unique_ptr<DirectoryProvider> local,
                             std::unique_ptr<DirectoryProvider> domain,
                             std::function<bool(std::string_view)> isThisMachine);

    Binding bind(std::string_view path) override;
    std::optional<PropertyValue> get(DirectoryObject &object, std::string_view name) override;
    void release(DirectoryObject *object) override;
    UsageRead usage(DirectoryObject &object) override;

private:
    std::unique_ptr<DirectoryProvider> local_;
    std::unique_ptr<DirectoryProvider> domain_;
    std::function<bool(std::string_view)> isThisMachine_;
    std::map<DirectoryObject *, DirectoryProvider *> owners_;
};

// The same for listings: no domain, or one `isThisMachine` accepts, lists
// this machine's accounts; any other domain is the domain catalog's.
class RoutingAccountCatalog final : public audit::AccountCatalog {
public:
    RoutingAccountCatalog(std::unique_ptr<audit::AccountCatalog> local, std::unique_ptr<audit::AccountCatalog> domain,
                          std::function<bool(std::string_view)> isThisMachine);

    audit::Listing listAccounts(const audit::Request &request, const std::function<void(AccountRecord &&)> &row,
                                const std::function<void(const audit::Progress &)> &progress) override;
    audit::PerController perController(const std::string &domain, const std::string &user) override;

private:
    audit::AccountCatalog &route(const std::string &domain);

    std::unique_ptr<audit::AccountCatalog> local_;
    std::unique_ptr<audit::AccountCatalog> domain_;
    std::function<bool(std::string_view)> isThisMachine_;
};

} // namespace tramsel
