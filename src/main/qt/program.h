// What the whole program shares: its services, the main-window reference, the
// start-up procedure and the report procedure the windows call.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include <QDateTime>
#include <QString>

#include "report/account_source.h"

namespace tramsel {

class LoadedWindows;
class MessageBoxService;
class QtLocale;
class frmMain;

void writeToStandardError(const std::string &text);

// The platform services every window uses, handed to each window so that
// tests can put their own in.
struct Services {
    AccountSource &source;
    const QtLocale &locale;
    MessageBoxService &messageBox;
    LoadedWindows &windows;
    std::function<QDateTime()> now = &QDateTime::currentDateTime;
    // Standard error: why a report failed, or whose answers it lacks.
    std::function<void(const std::string &)> errorOutput = &writeToStandardError;
    // The audit window's sources, one a listing, as the command line named them.
    SourceFactory makeSource = {};
    SourceOptions options = {};
};

// The main-window reference: the one frmMain, set by startUp(); nullptr before
// that and once the window is gone.
frmMain *mainWindow();

// The start-up procedure: creates the main window, stores it in the
// main-window reference and shows it. An account given on the command line
// ("DOMAIN\user") is reported as soon as the window has been drawn.
frmMain *startUp(const Services &services, const std::optional<std::string> &account = {});

// Replaces Text1 of the main window with the report for the account, and
// returns once it is there; the window stays painted while it is read.
void ShowAccountUsage(const QString &domain, const QString &userName);

} // namespace tramsel
