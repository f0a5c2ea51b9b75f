// The main-window reference, the start-up procedure and the report procedure.
#include "main/win32/program.h"

#include "main/win32/frmMain.h"
#include "report/account_usage.h"

namespace tramsel {

frmMain *mainWindow() { return frmMain::instance(); }

frmMain *startUp(const Services &services, const std::optional<std::string> &account)
{
    frmMain *window = frmMain::create(services, account);
    if (window)
        window->show();
    return window;
}

void ShowAccountUsage(const std::string &domain, const std::string &userName)
{
    frmMain *window = mainWindow();
    if (!window)
        return;
    const Services &services = window->services();
    tramsel::ShowAccountUsage(domain, userName, {services.provider, services.locale, *window});
}

} // namespace tramsel
