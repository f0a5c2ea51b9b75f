// The main-window reference, the start-up procedure and the report procedure.
#include "main/win32/program.h"

#include "main/win32/frmMain.h"

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
    if (frmMain *window = mainWindow())
        window->showAccountUsage(domain, userName);
}

} // namespace tramsel
