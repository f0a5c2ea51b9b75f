// A directory provider for platforms without a directory: every bind fails.
#pragma once

#include "report/directory_provider.h"

namespace tramsel {

class NullDirectoryProvider final : public DirectoryProvider {
public:
    Binding bind(std::string_view path) override;
    std::optional<PropertyValue> get(DirectoryObject &object, std::string_view name) override;
    void release(DirectoryObject *object) override;
};

} // namespace tramsel
