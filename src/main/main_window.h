// What the main window decides, whatever toolkit draws it: its layout, its
// menus and toolbar, what each command is, the status panels and the order
// in which closing it unloads the other windows.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "report/account_usage.h"
#include "report/date_time.h"
#include "ui/layout.h"

namespace tramsel {

class Locale;

namespace main_window {

inline constexpr const char *kCaption = "Tramsel V. 2.0";
inline constexpr int kClientWidth = 4710;   // twips, below the menu bar
inline constexpr int kClientHeight = 4140;
inline constexpr TwipsRect kToolBar{0, 0, 4710, 420};
inline constexpr TwipsRect kText1{0, 480, 4695, 3375};
inline constexpr TwipsRect kStatusBar{0, 3870, 4710, 270};
inline constexpr int kMinimumPanelWidth = 1440;
inline constexpr int kToolButtonWidth = 23;  // pixels
inline constexpr int kToolButtonHeight = 22;

enum class Command { None, EnterUser, Audit, Clear, Exit, About };

struct MenuItem {
    const char *name;   // "mnuEnterUser"; a separator has a name and no text
    const char *text;   // "&Enter User name"; empty for a separator
    char shortcut;      // Ctrl+ this letter; 0 for none
    Command command;
};

struct Menu {
    const char *name;
    const char *text;
    std::array<MenuItem, 5> items;  // the first `count` are used
    std::size_t count;
};

inline constexpr std::array<Menu, 2> kMenus{{
    {"mnuFile", "&File",
     {{{"mnuEnterUser", "&Enter User name", 'E', Command::EnterUser},
       {"mnuAudit", "&Audit Accounts...", 'U', Command::Audit},
       {"mnuClear", "C&lear", 'L', Command::Clear},
       {"mnuFileBar0", "", 0, Command::None},
       {"mnuFileExit", "E&xit", 'Q', Command::Exit}}},
     5},
    {"mnuHelp", "&Help", {{{"mnuHelpAbout", "&About ", 0, Command::About}}}, 1},
}};

// The toolbar's buttons, left to right, by key; a separator follows them.
inline constexpr std::array<const char *, 2> kToolButtons{"Find", "Delete"};

// What a toolbar button runs: its key compared exactly, case and all. Any
// other key (the separator has none) runs nothing.
Command toolbarCommand(std::string_view key);

// The three status panels: "Status", today's date in the user's short date
// format and the time as hours and minutes.
struct StatusTexts {
    std::string status;
    std::string date;
    std::string time;
};
StatusTexts statusTexts(const Locale &locale, const CivilDateTime &now);

// The panels' widths in pixels: date and time as wide as their texts and at
// least the minimum, the first panel what they leave (and never less than
// the minimum). `gap` pixels stand between two panels.
struct PanelWidths {
    int status;
    int date;
    int time;
};
PanelWidths panelWidths(int barWidth, int dateTextWidth, int timeTextWidth, int minimum, int gap);

// Closing the main window: every other loaded window is unloaded, the
// latest loaded first, down to index 1; index 0 is the main window, whose
// unload is under way. A window that fails to unload does not stop the rest.
void unloadOtherWindows(std::size_t loadedCount, const std::function<void(std::size_t index)> &unloadAt);

} // namespace main_window
} // namespace tramsel
