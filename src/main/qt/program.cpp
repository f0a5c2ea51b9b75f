// The main-window reference, the start-up procedure and the report procedure.
#include "main/qt/program.h"

#include <QPointer>

#include "main/qt/frmMain.h"
#include "platform/qt/qt_locale.h"
#include "report/account_usage.h"

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

void ShowAccountUsage(const QString &domain, const QString &userName)
{
    frmMain *window = mainWindow();
    if (!window)
        return;
    const Services &services = window->services();
    tramsel::ShowAccountUsage(domain.toStdString(), userName.toStdString(),
                              {services.provider, services.locale, *window});
}

} // namespace tramsel
