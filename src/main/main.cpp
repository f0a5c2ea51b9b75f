// Tramsel's entry: the command line, then either the window or a printed report.
#include <cstdio>
#include <memory>
#include <optional>

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>

#include "enter_user/frmEnterUser.h"
#include "main/program.h"
#include "platform/provider_factory.h"
#include "platform/qt/artwork.h"
#include "platform/qt/loaded_windows.h"
#include "platform/qt/message_box.h"
#include "platform/qt/qt_locale.h"
#include "report/account_usage.h"
#include "report/directory_provider.h"
#include "report/report_view.h"

using namespace Qt::StringLiterals;

namespace {

enum ExitCode { kBound = 0, kNotBound = 1, kBadCommandLine = 2 };

struct CommandLine {
    bool print = false;
    bool help = false;
    bool version = false;
    QString root;
    QStringList servers;
    std::optional<QString> account;
    QString error;      // set when the command line is bad
    QString helpText;
};

CommandLine parseCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Shows how an account has been used: last login and logoff, failed logins,\n"
        "password expiry and last password change."_s);
    const QCommandLineOption print({u"p"_s, u"print"_s},
                                   u"Print the report to standard output; no window."_s);
    const QCommandLineOption root(u"root"_s, u"Read the account files below DIR instead of /."_s,
                                  u"DIR"_s);
    const QCommandLineOption help({u"h"_s, u"help"_s}, u"Show this help."_s);
    const QCommandLineOption version(u"version"_s, u"Show the version."_s);
    const QCommandLineOption server(u"server"_s, u"Ask the domain controller at URI (repeatable)."_s,
                                    u"URI"_s);
    parser.addOptions({print, root, server, help, version});
    // Qt's own options (-platform offscreen, -style fusion, ...) are taken
    // out by QApplication; they are known here so that the first reading,
    // before QApplication exists, does not refuse them.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const char *name : {"platform", "platformpluginpath", "platformtheme", "plugin",
                             "display", "geometry", "qwindowgeometry", "qwindowicon",
                             "qwindowtitle", "session", "style", "stylesheet"}) {
        QCommandLineOption qtOption(QString::fromLatin1(name), QString(), u"value"_s);
        qtOption.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(qtOption);
    }
    for (const char *name : {"reverse", "nograb", "dograb", "sync", "widgetcount"}) {
        QCommandLineOption qtOption(QString::fromLatin1(name));
        qtOption.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(qtOption);
    }
    parser.addPositionalArgument(u"account"_s, u"The account, as DOMAIN\\user (or user)."_s,
                                 u"[DOMAIN\\user]"_s);

    CommandLine line;
    line.helpText = parser.helpText();
    // After a failed parse the options that were understood are still known.
    if (!parser.parse(arguments))
        line.error = parser.errorText();
    line.print = parser.isSet(print);
    line.help = parser.isSet(help);
    line.version = parser.isSet(version);
    line.root = parser.value(root);
    line.servers = parser.values(server);
    const QStringList positional = parser.positionalArguments();
    if (!line.error.isEmpty())
        return line;
    if (positional.size() > 1)
        line.error = u"Name one account, as DOMAIN\\user."_s;
    else if (positional.size() == 1)
        line.account = positional.first();
    else if (line.print)
        line.error = u"--print needs an account, as DOMAIN\\user."_s;
    return line;
}

tramsel::ProviderOptions providerOptions(const CommandLine &line)
{
    tramsel::ProviderOptions options{line.root.toStdString(), {}};
    for (const QString &server : line.servers)
        options.servers.push_back(server.toStdString());
    return options;
}

QStringList argumentList(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

void write(FILE *stream, const QString &text)
{
    QFile file;
    // Text mode writes LF as the platform's line end (CR LF on Windows).
    if (file.open(stream, QIODevice::WriteOnly | QIODevice::Text))
        file.write(text.toUtf8());
}

// Standard output as the report area of --print.
class PrintedReport final : public tramsel::ReportView {
public:
    void replaceReportText(const std::string &text) override { text_ = text; }
    const std::string &text() const { return text_; }

private:
    std::string text_;
};

int printReport(const CommandLine &line)
{
    const tramsel::QtLocale locale;
    const tramsel::AccountArgument account = tramsel::splitAccount(*line.account, locale);
    if (const QString error = tramsel::userNameError(account.userName); !error.isEmpty()) {
        write(stderr, error + u'\n');
        return kBadCommandLine;
    }
    const auto provider = tramsel::makeDirectoryProvider(providerOptions(line));
    PrintedReport report;
    const bool bound = tramsel::ShowAccountUsage(account.domain.toStdString(),
                                                 account.userName.toStdString(),
                                                 {*provider, locale, report});
    QString text = QString::fromStdString(report.text());
    text.replace(u"\r\n"_s, u"\n"_s);
    write(stdout, text);
    if (const std::string reason = provider->failureReason(); !bound && !reason.empty())
        write(stderr, QString::fromStdString(reason) + u'\n');
    return bound ? kBound : kNotBound;
}

int showWindow(const CommandLine &line)
{
    const auto provider = tramsel::makeDirectoryProvider(providerOptions(line));
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

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication::setApplicationName(u"Tramsel"_s);
    QCoreApplication::setApplicationVersion(u"2.0"_s);

    // Whether a display is needed depends on the command line, so it is read
    // once before the application object exists, then again from the
    // arguments the application leaves (QApplication takes its own, such as
    // -platform, out).
    const CommandLine first = parseCommandLine(argumentList(argc, argv));
    if (!first.error.isEmpty()) {
        write(stderr, first.error + u'\n');
        return kBadCommandLine;
    }
    if (first.print || first.help || first.version) {
        QCoreApplication app(argc, argv);
        const CommandLine line = parseCommandLine(QCoreApplication::arguments());
        if (!line.error.isEmpty()) {
            write(stderr, line.error + u'\n');
            return kBadCommandLine;
        }
        if (line.help) {
            write(stdout, line.helpText);
            return kBound;
        }
        if (line.version) {
            write(stdout, u"Tramsel 2.0\n"_s);
            return kBound;
        }
        return printReport(line);
    }
    QApplication app(argc, argv);
    // Message boxes carry the icon too, and desktops find it by the menu entry.
    QApplication::setWindowIcon(tramsel::applicationIcon());
    QGuiApplication::setDesktopFileName(u"org.example.tramsel"_s);
    const CommandLine line = parseCommandLine(QCoreApplication::arguments());
    if (!line.error.isEmpty()) {
        write(stderr, line.error + u'\n');
        return kBadCommandLine;
    }
    return showWindow(line);
}
