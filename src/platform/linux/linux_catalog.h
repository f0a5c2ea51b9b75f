// Every account of a Linux machine at once, for an audit: the users of its
// passwd file, each with the values the single-account report gives it.
#pragma once

#include <memory>
#include <string>

#include "audit/account_catalog.h"
#include "platform/linux/accounts.h"
#include "platform/linux/files.h"
#include "platform/linux/linux_provider.h"
#include "platform/linux/login_databases.h"

namespace tramsel {

// Lists the users of /etc/passwd (the file, as lslogins lists them; NIS
// compat lines and names no report could bind are left out), each named
// "HOST\user". Every record source is read once for all of them, and the
// values come from the same rules and functions as the report's. A request
// for one user lists that user alone, found and read as the report does.
// A row counts its machine as the one source asked, and as answering when
// any of its records or its shadow entry could be read.
class LinuxAccountCatalog final : public audit::AccountCatalog {
public:
    using Clock = LinuxDirectoryProvider::Clock;

    // The running system: its passwd file, and NSS for shadow as the report uses it.
    static std::unique_ptr<LinuxAccountCatalog> forSystem();
    // The system whose root folder is `root`, read as files only.
    static std::unique_ptr<LinuxAccountCatalog> forTree(const std::string &root);

    // `root` is where the files are read from, for messages: empty for "/".
    LinuxAccountCatalog(std::unique_ptr<linux_accounts::FileReader> files,
                        std::function<std::unique_ptr<linux_accounts::AccountDatabase>(
                            linux_accounts::FileReader &)> makeAccounts,
                        Clock now, linux_accounts::DatabaseState databaseState, std::string root);

    audit::Listing listAccounts(const audit::Request &request, const std::function<void(AccountRecord &&)> &row,
                                const std::function<void(const audit::Progress &)> &progress) override;

private:
    std::unique_ptr<linux_accounts::FileReader> files_;
    std::unique_ptr<linux_accounts::AccountDatabase> accounts_;
    Clock now_;
    linux_accounts::DatabaseState databaseState_;
    std::string root_;
};

} // namespace tramsel
