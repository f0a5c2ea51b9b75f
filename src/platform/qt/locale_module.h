// The user's locale as a module (lib/tramsel/locale.so): Qt Core comes with
// it, loaded only by the runs without a window that write dates, times and
// numbers, so that --help and --version start without it.
#pragma once

#include <memory>

#include "platform/modules/loadable_module.h"
#include "report/locale.h"

namespace tramsel {

// The locale module's table of entry points.
struct LocaleModule {
    const char *build = kBuildId;
    // The user's locale and time zone, as the environment sets them.
    std::unique_ptr<Locale> (*make)();
};

inline constexpr const char *kLocaleModuleFile = "locale.so";
inline constexpr const char *kLocaleModuleSymbol = "tramsel_locale_module";

} // namespace tramsel
