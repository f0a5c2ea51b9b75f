// Every user account of an Active Directory domain, listed by every domain
// controller and merged as the report merges one account.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "audit/account_catalog.h"
#include "platform/ad/ad_domain.h"
#include "platform/ad/ad_values.h"

namespace tramsel {

// One paged search a controller, all controllers at once (at most 16),
// joined by objectGUID. A controller that fails part-way gives nothing and
// is named. A --base outside the domain, or not there, fails the listing
// with an error that begins "--base ".
class AdAccountCatalog final : public audit::AccountCatalog {
public:
    struct Options {
        std::vector<std::string> servers;  // LDAP URIs; empty: those DNS names
        ad::ConfigFiles config;
        // How long the controllers together may take for one account's view.
        std::chrono::milliseconds deadline{4500};
    };

    explicit AdAccountCatalog(Options options);

    audit::Listing listAccounts(const audit::Request &request, const std::function<void(AccountRecord &&)> &row,
                                const std::function<void(const audit::Progress &)> &progress) override;
    audit::PerController perController(const std::string &domain, const std::string &user) override;

private:
    Options options_;
};

namespace ad {

// An account's row from what the controllers that listed it said, in the
// order they were asked; `now` is a FILETIME.
AccountRecord accountRecord(std::string account, std::string user, const std::vector<DcAnswer> &answers,
                            int controllersAsked, std::int64_t now);

} // namespace ad
} // namespace tramsel
