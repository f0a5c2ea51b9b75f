// A domain's directory, from the module that holds the Active Directory
// provider with LDAP, Kerberos and SASL: loaded at the first bind of a
// domain account, so that local accounts and the window never load them.
#pragma once

#include <memory>

#include "report/directory_provider.h"

namespace tramsel {

// The domain module's table of entry points.
struct DomainModule {
    static constexpr int kVersion = 1;
    int version = kVersion;
    std::unique_ptr<DirectoryProvider> (*makeProvider)(const ProviderOptions &options);
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

private:
    ProviderOptions options_;
    bool loaded_ = false;
    std::string loadError_;
    std::unique_ptr<DirectoryProvider> provider_;
};

} // namespace tramsel
