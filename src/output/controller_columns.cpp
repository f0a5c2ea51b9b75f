// The per-controller view's columns.
#include "output/controller_columns.h"

#include <array>

namespace tramsel::audit {
namespace {

template <class T> Cell optionalCell(const std::optional<T> &value)
{
    return value ? Cell(PropertyValue(*value)) : std::nullopt;
}

const std::array kColumns{
    ControllerColumn{"server", ColumnKind::Text, [](const ControllerValues &v) { return Cell(v.source.name); },
                     "the domain controller"},
    ControllerColumn{"answered", ColumnKind::Flag,
                     [](const ControllerValues &v) { return Cell(std::int64_t{v.source.answered}); },
                     "whether it answered"},
    ControllerColumn{"error", ColumnKind::Text,
                     [](const ControllerValues &v) {
                         return v.source.answered ? std::nullopt : Cell(v.source.error);
                     },
                     "why it did not"},
    ControllerColumn{"lastLogon", ColumnKind::Time, [](const ControllerValues &v) { return optionalCell(v.lastLogon); },
                     "its own last login (not replicated)"},
    ControllerColumn{"lastLogonTimestamp", ColumnKind::Time,
                     [](const ControllerValues &v) { return optionalCell(v.lastLogonTimestamp); },
                     "the replicated last login"},
    ControllerColumn{"badPwdCount", ColumnKind::Count,
                     [](const ControllerValues &v) { return optionalCell(v.badPwdCount); },
                     "its own count of bad passwords"},
    ControllerColumn{"badPasswordTime", ColumnKind::Time,
                     [](const ControllerValues &v) { return optionalCell(v.badPasswordTime); },
                     "its own last bad password"},
    ControllerColumn{"lockoutTime", ColumnKind::Time,
                     [](const ControllerValues &v) { return optionalCell(v.lockoutTime); },
                     "when the account was locked out"},
    ControllerColumn{"pwdLastSet", ColumnKind::Time, [](const ControllerValues &v) { return optionalCell(v.pwdLastSet); },
                     "when the password was set"},
};

} // namespace

std::span<const ControllerColumn> controllerColumns() { return kColumns; }

std::span<const ControllerColumn> sourceColumns() { return controllerColumns().first(3); }

} // namespace tramsel::audit
