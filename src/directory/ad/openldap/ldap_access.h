// The domain's controllers and sessions with them over libldap, SASL
// GSSAPI and Kerberos, found through the system's resolver.
#pragma once

#include "directory/ad/ad_domain.h"
#include "directory/ad/domain_access.h"

namespace tramsel::ad {

class LdapAccess final : public DomainAccess {
public:
    // Where this machine's configuration names the domains: the standard
    // files, with krb5.conf where KRB5_CONFIG names it.
    LdapAccess();

    DomainControllers findControllers(std::string_view domain, const std::vector<std::string> &servers) override;
    std::unique_ptr<Session> session(const std::string &uri, std::chrono::seconds stepLimit) override;

private:
    ConfigFiles config_;
};

} // namespace tramsel::ad
