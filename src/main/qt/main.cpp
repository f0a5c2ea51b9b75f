// Tramsel's entry with Qt: the command line, then either an answer without
// a window, which needs Qt Core only, or the window, loaded as a module.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include <QCoreApplication>
#include <QString>

#include "main/command_line.h"
#include "main/qt/window_module.h"
#include "platform/modules/loadable_module.h"
#include "platform/provider_factory.h"
#include "platform/qt/qt_locale.h"

using namespace Qt::StringLiterals;

namespace {

// Qt's own options (-platform offscreen, -style fusion, ...), which
// QApplication takes out; before it exists they are passed over.
constexpr std::string_view kQtOptionsWithValue[] = {
    "platform", "platformpluginpath", "platformtheme", "plugin", "display", "geometry",
    "qwindowgeometry", "qwindowicon", "qwindowtitle", "session", "style", "stylesheet"};
constexpr std::string_view kQtFlags[] = {"reverse", "nograb", "dograb", "sync", "widgetcount"};

bool isSet(const char *name)
{
    const char *value = std::getenv(name);
    return value && *value;
}

// Whether the window has somewhere to go: a platform named for Qt (-platform,
// QT_QPA_PLATFORM: offscreen, vnc ...), an X display or a Wayland session.
// Qt itself would abort without one.
bool hasDisplay(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "-platform" || argument == "--platform" || argument.starts_with("-platform=")
            || argument.starts_with("--platform="))
            return true;
    }
    const char *session = std::getenv("XDG_SESSION_TYPE");
    return isSet("QT_QPA_PLATFORM") || isSet("DISPLAY") || isSet("WAYLAND_DISPLAY")
        || (session && std::string_view(session) == "wayland");
}

int answerWithoutWindow(const tramsel::CommandLine &line)
{
    const tramsel::QtLocale locale;
    const tramsel::WindowlessResult result = tramsel::runWindowless(line, locale, tramsel::makeDirectoryProvider);
    std::fputs(result.out.c_str(), stdout);
    std::fputs(result.err.c_str(), stderr);
    return result.status;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication::setApplicationName(u"Tramsel"_s);
    QCoreApplication::setApplicationVersion(u"2.0"_s);

    // Whether a window is needed depends on the command line, so it is read
    // before any application object exists, passing over Qt's options.
    std::vector<std::string> raw;
    for (int i = 1; i < argc; ++i)
        raw.push_back(QString::fromLocal8Bit(argv[i]).toStdString());
    const tramsel::CommandLine line = tramsel::parseCommandLine(raw, {kQtOptionsWithValue, kQtFlags});
    if (!line.error.empty() || line.windowless())
        return answerWithoutWindow(line);

    if (!hasDisplay(argc, argv)) {
        std::fputs(tramsel::kNoDisplayText, stderr);
        return tramsel::kExitBadCommandLine;
    }
    const auto window = tramsel::loadModule<tramsel::WindowModule>(tramsel::kWindowModuleFile,
                                                                   tramsel::kWindowModuleSymbol);
    if (!window.table) {
        std::fprintf(stderr, "tramsel: the window cannot be shown: %s\n", window.error.c_str());
        return tramsel::kExitNotBound;
    }
    return window.table->run(argc, argv, tramsel::makeDirectoryProvider);
}
