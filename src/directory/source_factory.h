// The account source of the platform the program runs on.
#pragma once

#include <memory>

#include "report/account_source.h"

namespace tramsel {

std::unique_ptr<AccountSource> makeAccountSource(const SourceOptions &options = {});

} // namespace tramsel
