// The accounts of a WinNT domain or machine, listed through ADSI for an audit.
#pragma once

#include <activeds.h>

#include <functional>
#include <optional>
#include <string>

#include "audit/account_catalog.h"
#include "platform/win/adsi_provider.h"

namespace tramsel {

// Lists the users of one WinNT container: "WinNT://SALES" for a domain,
// this computer's for an empty domain. The container is the one source.
// Each account's report values are read as the single report reads them.
class AdsiAccountCatalog final : public audit::AccountCatalog {
public:
    // Binds a container by its path, as ADsGetObject does.
    using BindContainer = std::function<HRESULT(const std::wstring &path, IADsContainer **container)>;
    static HRESULT bindContainer(const std::wstring &path, IADsContainer **container);

    explicit AdsiAccountCatalog(win::TimeZone zone = {}, Clock now = systemClock, BindContainer bind = bindContainer);

    audit::Listing listAccounts(const audit::Request &request, const std::function<void(AccountRecord &&)> &row,
                                const std::function<void(const audit::Progress &)> &progress) override;

private:
    // Reads every user of the container, or says why it could not.
    std::string readUsers(const std::string &path, const std::string &domain, std::vector<AccountRecord> &records,
                          const std::function<void(const audit::Progress &)> &progress);
    std::optional<AccountRecord> record(IDispatch *user, const std::string &domain);

    win::TimeZone zone_;
    AdsiDirectoryProvider provider_;
    BindContainer bind_;
};

} // namespace tramsel
