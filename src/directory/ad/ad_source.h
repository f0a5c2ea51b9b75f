// The accounts of an Active Directory domain, read over LDAP with the
// caller's Kerberos ticket from every domain controller at once, and merged.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "report/account_source.h"
#include "directory/ad/domain_access.h"
#include "directory/ad/ad_values.h"

namespace tramsel {

// One account (DOMAIN a NetBIOS or DNS name) is the user of that
// sAMAccountName, asked of every controller at once within a deadline. A
// listing is one paged search a controller, all controllers at once (at
// most 16), joined by objectGUID; a controller that fails part-way gives
// nothing and is named. A --base outside the domain, or not there, is a bad
// request. Authenticates with SASL GSSAPI, integrity protected and sealed,
// and nothing else: no password is ever asked for, and there is no
// anonymous or simple bind. Reads only; caches nothing.
class AdAccountSource final : public AccountSource {
public:
    struct Options {
        std::vector<std::string> servers;  // LDAP URIs; empty: those DNS names
        // How long the controllers together may take for one account.
        std::chrono::milliseconds deadline{4500};
    };

    AdAccountSource(Options options, std::unique_ptr<ad::DomainAccess> access);

    Lookup lookup(const AccountName &name) override;
    Listing list(const Request &request, const RowSink &row, const ProgressSink &progress) override;
    PerController perController(const AccountName &name) override;

private:
    Options options_;
    std::unique_ptr<ad::DomainAccess> access_;
};

namespace ad {

// An account's row from what the controllers that listed it said, in the
// order they were asked; `now` is a FILETIME.
AccountRecord accountRecord(std::string account, std::string user, const std::vector<DcAnswer> &answers,
                            int controllersAsked, std::int64_t now);

} // namespace ad
} // namespace tramsel
