// The directory provider for Active Directory domains, read over LDAP with
// the caller's Kerberos ticket.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "platform/ad/ad_domain.h"
#include "report/directory_provider.h"

namespace tramsel {

// Binds "WinNT://DOMAIN/user,user" (DOMAIN a NetBIOS or DNS name) to the
// domain user of that sAMAccountName, asking every domain controller at once
// and merging what they say. Authenticates with SASL GSSAPI, integrity
// protected and sealed, and nothing else: no password is ever asked for,
// and there is no anonymous or simple bind. Reads only; caches nothing.
class AdDirectoryProvider final : public DirectoryProvider {
public:
    struct Options {
        // LDAP URIs of controllers to ask; empty: those DNS names.
        std::vector<std::string> servers;
        ad::ConfigFiles config;
        // How long the controllers together may take.
        std::chrono::milliseconds deadline{4500};
    };

    explicit AdDirectoryProvider(Options options);

    Binding bind(std::string_view path) override;
    void release(DirectoryObject *object) override;
    UsageRead usage(DirectoryObject &object) override;
private:
    Options options_;
};

} // namespace tramsel
