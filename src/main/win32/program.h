// What the whole Windows program shares: its services, the main-window
// reference, the start-up procedure and the report procedure.
#pragma once

#include <optional>
#include <string>

#include "report/account_source.h"

namespace tramsel {

class Locale;
class frmMain;

namespace win {
class LoadedWindows;
}

// The platform services every window uses.
struct Services {
    AccountSource &source;
    const Locale &locale;
    win::LoadedWindows &windows;
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

// Replaces Text1 of the main window with the report for the account (UTF-8),
// and returns once it is there; the window stays painted while it is read.
void ShowAccountUsage(const std::string &domain, const std::string &userName);

} // namespace tramsel
