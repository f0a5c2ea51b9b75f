// A directory provider for platforms without a directory.
#include "platform/none/null_provider.h"

namespace tramsel {

DirectoryObject *NullDirectoryProvider::bind(std::string_view) { return nullptr; }

std::optional<PropertyValue> NullDirectoryProvider::get(DirectoryObject &, std::string_view)
{
    return std::nullopt;
}

void NullDirectoryProvider::release(DirectoryObject *) {}

} // namespace tramsel
