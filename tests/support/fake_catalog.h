// A scripted account catalog for the audit's tests: the records it lists,
// how its sources answered, and what it was asked.
#pragma once

#include <stdexcept>
#include <vector>

#include "audit/account_catalog.h"
#include "report/directory_provider.h"

namespace tramsel::testing {

struct CatalogScript {
    std::vector<AccountRecord> records;
    audit::Listing listing;       // what listAccounts returns
    audit::PerController perDc;   // what perController returns
    bool throws = false;
    std::vector<audit::Request> requests;
    std::vector<ProviderOptions> options;  // what each catalog was made with
};

class ScriptedCatalog final : public audit::AccountCatalog {
public:
    explicit ScriptedCatalog(CatalogScript &script) : script_(script) {}

    audit::Listing listAccounts(const audit::Request &request, const std::function<void(AccountRecord &&)> &row,
                                const std::function<void(const audit::Progress &)> &progress) override
    {
        script_.requests.push_back(request);
        if (script_.throws)
            throw std::runtime_error("out of memory");
        const std::size_t sources = script_.listing.sources.size();
        for (AccountRecord record : script_.records)
            row(std::move(record));
        progress({sources, sources, script_.records.size()});
        return script_.listing;
    }

    audit::PerController perController(const std::string &domain, const std::string &user) override
    {
        script_.requests.push_back({domain, {}, user});
        return script_.perDc;
    }

private:
    CatalogScript &script_;
};

} // namespace tramsel::testing
