// The accounts of a Linux machine, or of a folder tree (a mounted disk
// image): one account by name, or every user of its passwd file, each with
// its usage read from the system's records.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "directory/linux/accounts.h"
#include "directory/linux/files.h"
#include "directory/linux/login_databases.h"
#include "report/account_source.h"

namespace tramsel {

// Looks a user up by NSS (or the tree's passwd) and reads its values from
// wtmp, btmp, lastlog, lastlog2's and wtmpdb's databases, pam_faillock's
// tallies and shadow. A listing names the users of /etc/passwd (the file,
// as lslogins lists them; NIS compat lines and unsafe names are left out)
// as "HOST\user", every record source read once for all of them, by the
// same rules as one account. Reads only; never writes, locks or creates a file.
class LinuxAccountSource final : public AccountSource {
public:
    using Clock = std::function<std::int64_t()>;  // seconds since the epoch

    // The running system: its passwd file, and NSS.
    static std::unique_ptr<LinuxAccountSource> forSystem();
    // The system whose root folder is `root`, read as files only.
    static std::unique_ptr<LinuxAccountSource> forTree(const std::string &root);

    // `accounts` may refer to `files`; both live as long as the source.
    // `databaseState` says whether the files may be written while they are
    // read; `root` is where the files are read from, for messages: empty for "/".
    LinuxAccountSource(std::unique_ptr<linux_accounts::FileReader> files,
                       std::function<std::unique_ptr<linux_accounts::AccountDatabase>(
                           linux_accounts::FileReader &)> makeAccounts,
                       Clock now, linux_accounts::DatabaseState databaseState, std::string root);

    Lookup lookup(const AccountName &name) override;
    Listing list(const Request &request, const RowSink &row, const ProgressSink &progress) override;

private:
    std::optional<linux_accounts::PasswdEntry> findUser(const AccountName &name);
    // The machine as rows name it: the domain asked for, or the host's short name.
    std::string machineName(const std::string &domain);

    std::unique_ptr<linux_accounts::FileReader> files_;
    std::unique_ptr<linux_accounts::AccountDatabase> accounts_;
    Clock now_;
    linux_accounts::DatabaseState databaseState_;
    std::string root_;
};

} // namespace tramsel
