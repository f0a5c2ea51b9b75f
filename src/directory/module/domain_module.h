// A domain's accounts, from the module that holds the Active Directory
// source with LDAP, Kerberos and SASL: loaded at the first question about a
// domain, so that local accounts and the window never load them.
#pragma once

#include <memory>
#include <string>

#include "platform/modules/loadable_module.h"
#include "report/account_source.h"

namespace tramsel {

// The domain module's table of entry points.
struct DomainModule {
    const char *build = kBuildId;
    std::unique_ptr<AccountSource> (*makeSource)(const SourceOptions &options);
};

inline constexpr const char *kDomainModuleFile = "domain.so";
inline constexpr const char *kDomainModuleSymbol = "tramsel_domain_module";

// Loads the domain module when first asked, and from then on hands every
// question to the module's source. Where the module cannot be loaded, each
// question fails with the reason.
class DomainModuleSource final : public AccountSource {
public:
    explicit DomainModuleSource(SourceOptions options);
    ~DomainModuleSource() override;

    Lookup lookup(const AccountName &name) override;
    Listing list(const Request &request, const RowSink &row, const ProgressSink &progress) override;
    PerController perController(const AccountName &name) override;

private:
    AccountSource *source();

    SourceOptions options_;
    bool loaded_ = false;
    std::string loadError_;
    std::unique_ptr<AccountSource> source_;
};

} // namespace tramsel
