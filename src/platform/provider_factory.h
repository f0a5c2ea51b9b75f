// The directory provider of the platform the program runs on.
#pragma once

#include <memory>
#include <string>

#include "report/directory_provider.h"

namespace tramsel {

struct ProviderOptions {
    // Read account files and records below this folder instead of "/"
    // (where the platform's provider reads files at all). Empty: the running system.
    std::string root;
};

std::unique_ptr<DirectoryProvider> makeDirectoryProvider(const ProviderOptions &options = {});

} // namespace tramsel
