// The main-window reference, the start-up procedure and the report procedure.
#include "main/qt/program.h"

#include <cstdio>

#include <QPointer>

#include "main/qt/frmMain.h"

namespace tramsel {
namespace {

QPointer<frmMain> theMainWindow;

} // namespace

frmMain *mainWindow() { return theMainWindow.data(); }

frmMain *startUp(const Services &services, const std::optional<std::string> &account)
{
    theMainWindow = new frmMain(services, account);
    theMainWindow->show();
    return theMainWindow.data();
}

void writeToStandardError(const std::string &text) { std::fputs(text.c_str(), stderr); }

void ShowAccountUsage(const QString &domain, const QString &userName)
{
    if (frmMain *window = mainWindow())
        window->showAccountUsage(domain.toStdString(), userName.toStdString());
}

} // namespace tramsel
