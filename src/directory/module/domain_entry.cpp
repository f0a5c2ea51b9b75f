// The domain module's table: the Active Directory source over LDAP.
#include "directory/ad/ad_source.h"
#include "directory/ad/openldap/ldap_access.h"
#include "directory/module/domain_module.h"

namespace {

std::unique_ptr<tramsel::AccountSource> makeSource(const tramsel::SourceOptions &options)
{
    return std::make_unique<tramsel::AdAccountSource>(tramsel::AdAccountSource::Options{options.servers},
                                                      std::make_unique<tramsel::ad::LdapAccess>());
}

} // namespace

extern "C" TRAMSEL_MODULE_EXPORT const tramsel::DomainModule tramsel_domain_module;
const tramsel::DomainModule tramsel_domain_module{tramsel::kBuildId, &makeSource};
