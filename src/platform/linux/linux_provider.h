// The directory provider of a Linux machine: this machine's accounts, or
// those of a folder tree, with their usage read from the system's records.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/linux/accounts.h"
#include "platform/linux/files.h"
#include "platform/linux/login_databases.h"
#include "report/directory_provider.h"

namespace tramsel {

// Binds "WinNT://HOST/user,user" and "WinNT://user,user" to the user of that
// name, and answers the account usage properties from wtmp, btmp, lastlog,
// lastlog2's and wtmpdb's databases, pam_faillock's tallies and shadow.
// Reads only; never writes, locks or creates a file.
class LinuxDirectoryProvider final : public DirectoryProvider {
public:
    using Clock = std::function<std::int64_t()>;  // seconds since the epoch

    // The running system, through NSS.
    static std::unique_ptr<LinuxDirectoryProvider> forSystem();
    // The system whose root folder is `root`, read as files only.
    static std::unique_ptr<LinuxDirectoryProvider> forTree(const std::string &root);

    // `accounts` may refer to `files`; both live as long as the provider.
    // `databaseState` says whether the files may be written while they are read.
    LinuxDirectoryProvider(std::unique_ptr<linux_accounts::FileReader> files,
                           std::function<std::unique_ptr<linux_accounts::AccountDatabase>(
                               linux_accounts::FileReader &)> makeAccounts,
                           Clock now, linux_accounts::DatabaseState databaseState, std::string root = {});

    Binding bind(std::string_view path) override;
    void release(DirectoryObject *object) override;
    UsageRead usage(DirectoryObject &object) override;

private:
    std::optional<linux_accounts::PasswdEntry> lookUp(const std::string &domain,
                                                      const std::string &user);

    std::unique_ptr<linux_accounts::FileReader> files_;
    std::unique_ptr<linux_accounts::AccountDatabase> accounts_;
    Clock now_;
    linux_accounts::DatabaseState databaseState_;
    std::string root_;  // named before the paths of files that cannot be read
};

} // namespace tramsel
