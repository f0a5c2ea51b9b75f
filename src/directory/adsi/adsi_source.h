// The accounts of a WinNT domain or machine, read through ADSI.
#pragma once

#include <activeds.h>

#include <functional>
#include <optional>
#include <string>

#include "report/account_source.h"
#include "directory/adsi/adsi_reader.h"

namespace tramsel {

// One account is bound as "WinNT://DOMAIN/user,user" ("WinNT://user,user"
// for an empty domain), exactly as typed. A listing names the users of one
// WinNT container: "WinNT://SALES" for a domain, this computer's for an
// empty domain; the container is the one source. Every account's values
// are read property by property, in the report's order.
class AdsiAccountSource final : public AccountSource {
public:
    // Binds a container by its path, as ADsGetObject does.
    using BindContainer = std::function<HRESULT(const std::wstring &path, IADsContainer **container)>;
    static HRESULT bindContainer(const std::wstring &path, IADsContainer **container);

    explicit AdsiAccountSource(win::TimeZone zone = {}, Clock now = systemClock, BindContainer bind = bindContainer);

    Lookup lookup(const AccountName &name) override;
    Listing list(const Request &request, const RowSink &row, const ProgressSink &progress) override;

private:
    // Reads every user of the container, or says why it could not; a stop
    // asked ends it before the next user.
    std::string readUsers(const std::string &path, const std::string &domain, std::vector<AccountRecord> &records,
                          const ProgressSink &progress, std::stop_token stop);
    std::optional<AccountRecord> record(IDispatch *user, const std::string &domain);

    win::TimeZone zone_;
    Clock now_;
    AdsiReader provider_;
    BindContainer bind_;
};

} // namespace tramsel
