// A directory provider for platforms without a directory.
#include "platform/none/null_provider.h"

namespace tramsel {

Binding NullDirectoryProvider::bind(std::string_view)
{
    return {nullptr, "this system has no directory to read accounts from", {}};
}

std::optional<PropertyValue> NullDirectoryProvider::get(DirectoryObject &, std::string_view)
{
    return std::nullopt;
}

void NullDirectoryProvider::release(DirectoryObject *) {}

} // namespace tramsel
