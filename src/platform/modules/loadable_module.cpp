// Loading the program's modules with dlopen, from the folder the program
// was installed with.
#include "platform/modules/loadable_module.h"

#include <dlfcn.h>

#include <filesystem>
#include <system_error>

namespace tramsel {
namespace {

// <folder of the program>/../lib/tramsel: /usr/bin/tramsel finds
// /usr/lib/tramsel, and a build tree keeps the same layout.
std::filesystem::path moduleFolder()
{
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return {};
    return program.parent_path().parent_path() / "lib" / "tramsel";
}

} // namespace

ModuleSymbol loadModuleSymbol(std::string_view file, const char *symbol)
{
    const std::filesystem::path folder = moduleFolder();
    if (folder.empty())
        return {nullptr, "cannot find where the program is installed"};
    const std::string path = (folder / file).string();
    void *module = ::dlopen(path.c_str(), RTLD_LAZY | RTLD_LOCAL);
    if (!module) {
        const char *error = ::dlerror();
        return {nullptr, error ? error : "cannot load " + path};
    }
    const void *address = ::dlsym(module, symbol);
    if (!address)
        return {nullptr, path + " lacks " + symbol};
    return {address, {}};
}

} // namespace tramsel
