// The program's own loadable modules: shared objects installed beside the
// program in ../lib/tramsel, loaded only by the runs that need what they
// hold (the window, a domain's directory), so that the others start without
// their libraries.
#pragma once

#include <cstring>
#include <string>
#include <string_view>

#include "build_id.h"

// Marks the one symbol a module exports: its table. Modules are built with
// every other symbol hidden.
#define TRAMSEL_MODULE_EXPORT __attribute__((visibility("default")))

namespace tramsel {

// Loads the module file (once; it stays loaded for the rest of the run) and
// finds the named symbol in it; nullptr, with the reason, where either fails.
struct ModuleSymbol {
    const void *address = nullptr;
    std::string error;
};
ModuleSymbol loadModuleSymbol(std::string_view file, const char *symbol);

// A module's table of entry points. Each table starts with the identity of
// the build that made it (kBuildId), which the program checks against its
// own before it calls anything: types passed across change between builds.
inline constexpr const char *kBuildId = TRAMSEL_BUILD_ID;
template <class Table> struct LoadedTable {
    const Table *table = nullptr;
    std::string error;
};

template <class Table> LoadedTable<Table> loadModule(std::string_view file, const char *symbol)
{
    ModuleSymbol found = loadModuleSymbol(file, symbol);
    const auto *table = static_cast<const Table *>(found.address);
    if (!table)
        return {nullptr, std::move(found.error)};
    if (!table->build || std::strcmp(table->build, kBuildId) != 0)
        return {nullptr, std::string(file) + " belongs to another build of Tramsel"};
    return {table, {}};
}

} // namespace tramsel
