// Tramsel's entry with Qt: the command line, then either the window or an
// answer without one.
#include <cstdio>
#include <string>
#include <vector>

#include <QApplication>

#include "main/command_line.h"
#include "main/qt/program.h"
#include "platform/provider_factory.h"
#include "platform/qt/artwork.h"
#include "platform/qt/loaded_windows.h"
#include "platform/qt/message_box.h"
#include "platform/qt/qt_locale.h"
#include "report/directory_provider.h"

using namespace Qt::StringLiterals;

namespace {

// Qt's own options (-platform offscreen, -style fusion, ...), which
// QApplication takes out; before it exists they are passed over.
constexpr std::string_view kQtOptionsWithValue[] = {
    "platform", "platformpluginpath", "platformtheme", "plugin", "display", "geometry",
    "qwindowgeometry", "qwindowicon", "qwindowtitle", "session", "style", "stylesheet"};
constexpr std::string_view kQtFlags[] = {"reverse", "nograb", "dograb", "sync", "widgetcount"};

std::vector<std::string> arguments(const QStringList &list)
{
    std::vector<std::string> out;
    for (qsizetype i = 1; i < list.size(); ++i)
        out.push_back(list.at(i).toStdString());
    return out;
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

    // Whether a display is needed depends on the command line, so it is read
    // before the application object exists, passing over Qt's options; for
    // the window, again from the arguments QApplication leaves.
    std::vector<std::string> raw;
    for (int i = 1; i < argc; ++i)
        raw.push_back(QString::fromLocal8Bit(argv[i]).toStdString());
    const tramsel::CommandLine first =
        tramsel::parseCommandLine(raw, {kQtOptionsWithValue, kQtFlags});
    if (!first.error.empty() || first.windowless())
        return answerWithoutWindow(first);
    QApplication app(argc, argv);
    // Message boxes carry the icon too, and desktops find it by the menu entry.
    QApplication::setWindowIcon(tramsel::applicationIcon());
    QGuiApplication::setDesktopFileName(u"org.example.tramsel"_s);
    const tramsel::CommandLine line = tramsel::parseCommandLine(arguments(QCoreApplication::arguments()));
    if (!line.error.empty())
        return answerWithoutWindow(line);

    const auto provider = tramsel::makeDirectoryProvider({line.root, line.servers});
    const tramsel::QtLocale locale;
    tramsel::QtMessageBox messageBox;
    tramsel::LoadedWindows windows;
    const tramsel::Services services{*provider, locale, messageBox, windows};
    tramsel::startUp(services, line.account);
    const int status = QApplication::exec();
    // Unloaded windows are deleted once the event loop is done with them.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return status;
}
