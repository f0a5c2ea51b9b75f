// The directory provider of the platform the program runs on.
#pragma once

#include <memory>

#include "audit/account_catalog.h"
#include "report/directory_provider.h"

namespace tramsel {

std::unique_ptr<DirectoryProvider> makeDirectoryProvider(const ProviderOptions &options = {});

// The accounts of a whole domain or machine, for an audit.
std::unique_ptr<audit::AccountCatalog> makeAccountCatalog(const ProviderOptions &options = {});

} // namespace tramsel
