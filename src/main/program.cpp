// The main-window reference, the start-up procedure and the report procedure.
#include "main/program.h"

#include <QPointer>

#include "main/frmMain.h"
#include "platform/qt/qt_locale.h"
#include "report/account_usage.h"

namespace tramsel {
namespace {

QPointer<frmMain> theMainWindow;

} // namespace

frmMain *mainWindow() { return theMainWindow.data(); }

frmMain *startUp(const Services &services, const std::optional<QString> &account)
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

AccountArgument splitAccount(const QString &argument, const QtLocale &locale)
{
    const qsizetype backslash = argument.indexOf(u'\\');
    if (backslash < 0)
        return {QString(), argument};
    return {locale.toUpper(argument.left(backslash)), argument.mid(backslash + 1)};
}

} // namespace tramsel
