// The columns of the per-controller view: one row for each domain
// controller, with its own values of one account. The first three describe
// any source, and are also the "controllers" of an audit's JSON.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

#include "report/account_source.h"
#include "report/columns.h"

namespace tramsel::audit {

using ControllerColumn = Column<ControllerValues>;

// server, answered, error, lastLogon, lastLogonTimestamp, badPwdCount,
// badPasswordTime, lockoutTime, pwdLastSet.
std::span<const ControllerColumn> controllerColumns();

// The columns that describe a source: server, answered, error.
std::span<const ControllerColumn> sourceColumns();

} // namespace tramsel::audit
