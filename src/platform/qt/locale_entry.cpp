// The locale module's table: the user's locale read through QLocale.
#include "platform/qt/locale_module.h"
#include "platform/qt/qt_locale.h"

namespace {

std::unique_ptr<tramsel::Locale> makeLocale() { return std::make_unique<tramsel::QtLocale>(); }

} // namespace

extern "C" TRAMSEL_MODULE_EXPORT const tramsel::LocaleModule tramsel_locale_module;
const tramsel::LocaleModule tramsel_locale_module{tramsel::kBuildId, &makeLocale};
