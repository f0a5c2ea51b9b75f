// This machine's accounts or a domain's: the source that answers for the
// domain an account or a listing names.
#pragma once

#include <functional>
#include <memory>
#include <string_view>

#include "report/account_source.h"

namespace tramsel {

// Sends what names no domain, or a domain `isThisMachine` accepts, to the
// local source, and every other domain to the domain source. A name no
// source may look up goes to the local one, which refuses it.
class RoutingSource final : public AccountSource {
public:
    RoutingSource(std::unique_ptr<AccountSource> local, std::unique_ptr<AccountSource> domain,
                  std::function<bool(std::string_view)> isThisMachine);

    Lookup lookup(const AccountName &name) override;
    Listing list(const Request &request, const RowSink &row, const ProgressSink &progress) override;
    PerController perController(const AccountName &name) override;

private:
    AccountSource &route(const std::string &domain);

    std::unique_ptr<AccountSource> local_;
    std::unique_ptr<AccountSource> domain_;
    std::function<bool(std::string_view)> isThisMachine_;
};

} // namespace tramsel
