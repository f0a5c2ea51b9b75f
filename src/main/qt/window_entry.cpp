// The window module's entry: the application object, the services and the
// main window, until the last window closes.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include <QApplication>

#include "main/qt/program.h"
#include "main/qt/window_module.h"
#include "platform/modules/loadable_module.h"
#include "ui/qt/artwork.h"
#include "ui/qt/loaded_windows.h"
#include "ui/qt/message_box.h"
#include "platform/qt/qt_locale.h"
#include "report/account_source.h"

using namespace Qt::StringLiterals;

namespace tramsel {
namespace {

QtMessageHandler qtHandler = nullptr;
struct HeldMessage {
    QtMsgType type;
    QString category;
    QString text;
};
QList<HeldMessage> heldMessages;

// What Qt said while it was held back goes where it would have gone.
void releasePlatformMessages()
{
    qInstallMessageHandler(qtHandler);
    for (const HeldMessage &held : std::exchange(heldMessages, {})) {
        const QByteArray category = held.category.toUtf8();
        const QMessageLogContext context(nullptr, 0, nullptr, category.constData());
        qtHandler(held.type, context, held.text);
    }
}

// While Qt starts its platform plugin, its messages are held back. Where no
// plugin starts (a display that is named but does not answer, a compositor
// that is gone), Qt would end the program with a page about reinstalling
// it: the program says what is wrong instead, with the status of a run that
// cannot be served. Any other end is Qt's, after what it said before.
void holdPlatformMessages(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtFatalMsg && message.contains(u"platform plugin"_s)) {
        std::fputs(kNoDisplayText, stderr);
        std::_Exit(kExitBadCommandLine);
    }
    if (type == QtFatalMsg) {
        releasePlatformMessages();
        return qtHandler(type, context, message);
    }
    heldMessages.append({type, QString::fromUtf8(context.category), message});
}

std::vector<std::string> arguments(const QStringList &list)
{
    std::vector<std::string> out;
    for (qsizetype i = 1; i < list.size(); ++i)
        out.push_back(list.at(i).toStdString());
    return out;
}

int runWindow(int &argc, char **argv, const SourceFactory &makeSource)
{
    qtHandler = qInstallMessageHandler(holdPlatformMessages);
    QCoreApplication::setApplicationName(u"Tramsel"_s);
    QCoreApplication::setApplicationVersion(u"2.0"_s);
    QApplication app(argc, argv);
    releasePlatformMessages();
    // Message boxes carry the icon too, and desktops find it by the menu entry.
    QApplication::setWindowIcon(applicationIcon());
    QGuiApplication::setDesktopFileName(u"org.example.tramsel"_s);
    // The arguments QApplication leaves, without Qt's own options.
    const CommandLine line = parseCommandLine(arguments(QCoreApplication::arguments()));
    const QtLocale locale;
    if (!line.error.empty()) {
        const WindowlessResult result = runWindowless(line, locale, makeSource);
        std::fputs(result.err.c_str(), stderr);
        return result.status;
    }

    const auto source = makeSource({line.root, line.servers});
    QtMessageBox messageBox;
    LoadedWindows windows;
    Services services{*source, locale, messageBox, windows};
    services.makeSource = makeSource;
    services.options = {line.root, line.servers};
    startUp(services, line.account);
    const int status = QApplication::exec();
    // Unloaded windows are deleted once the event loop is done with them.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return status;
}

} // namespace
} // namespace tramsel

extern "C" TRAMSEL_MODULE_EXPORT const tramsel::WindowModule tramsel_window_module;
const tramsel::WindowModule tramsel_window_module{tramsel::kBuildId, &tramsel::runWindow};
