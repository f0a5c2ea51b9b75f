// A domain's directory, from the module that holds the Active Directory
// provider with LDAP, Kerberos and SASL: loaded at the first bind of a
// domain account, so that local accounts and the window never load them.
#pragma once

#include <memory>

#include "audit/account_catalog.h"
#include "platform/modules/loadable_module.h"
#include "report/directory_provider.h"

namespace tramsel {

// The domain module's table of entry points.
struct DomainModule {
    const char *build = kBuildId;
    std::unique_ptr<DirectoryProvider> (*makeProvider)(const ProviderOptions &options);
    std::unique_ptr<audit::AccountCatalog> (*makeCatalog)(const ProviderOptions &options);
};

inline constexpr const char *kDomainModuleFile = "domain.so";
inline constexpr const char *kDomainModuleSymbol = "tramsel_domain_module";

// Loads the domain module when it first binds, and from then on hands every
// call to the module's provider. Where the module cannot be loaded, each
// bind fails with the reason.
class DomainModuleProvider final : public DirectoryProvider {
public:
    explicit DomainModuleProvider(ProviderOptions options);
    ~DomainModuleProvider() override;

    Binding bind(std::string_view path) override;
    std::optional<PropertyValue> get(DirectoryObject &object, std::string_view name) override;
    void release(DirectoryObject *object) override;
    UsageRead usage(DirectoryObject &object) override;

private:
    ProviderOptions options_;
    bool loaded_ = false;
    std::string loadError_;
    std::unique_ptr<DirectoryProvider> provider_;
};

// The same for an audit: loads the module when it first lists, and hands
// every call to the module's catalog; where the module cannot be loaded,
// each call fails with the reason.
class DomainModuleCatalog final : public audit::AccountCatalog {
public:
    explicit DomainModuleCatalog(ProviderOptions options);
    ~DomainModuleCatalog() override;

    audit::Listing listAccounts(const audit::Request &request, const std::function<void(AccountRecord &&)> &row,
                                const std::function<void(const audit::Progress &)> &progress) override;
    audit::PerController perController(const std::string &domain, const std::string &user) override;

private:
    audit::AccountCatalog *catalog();

    ProviderOptions options_;
    bool loaded_ = false;
    std::string loadError_;
    std::unique_ptr<audit::AccountCatalog> catalog_;
};

} // namespace tramsel
