// The directory provider of the platform the program runs on.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "report/directory_provider.h"

namespace tramsel {

struct ProviderOptions {
    // Read account files and records below this folder instead of "/"
    // (where the platform's provider reads files at all). Empty: the running system.
    std::string root;
    // Domain controllers to ask, as LDAP URIs ("ldap://dc1.sales.test"),
    // instead of those the domain's DNS records name. Empty: ask DNS.
    std::vector<std::string> servers;
};

std::unique_ptr<DirectoryProvider> makeDirectoryProvider(const ProviderOptions &options = {});

} // namespace tramsel
