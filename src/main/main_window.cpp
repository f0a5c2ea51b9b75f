// The main window's decisions, shared by every toolkit.
#include "main/main_window.h"

#include <algorithm>

#include "report/locale.h"

namespace tramsel::main_window {

Command toolbarCommand(std::string_view key)
{
    if (key == "Find")
        return Command::EnterUser;
    if (key == "Delete")
        return Command::Clear;
    return Command::None;
}

StatusTexts statusTexts(const Locale &locale, const CivilDateTime &now)
{
    return {"Status", locale.dateText(now), locale.clockText(now)};
}

PanelWidths panelWidths(int barWidth, int dateTextWidth, int timeTextWidth, int minimum, int gap)
{
    PanelWidths widths{};
    widths.date = std::max(minimum, dateTextWidth);
    widths.time = std::max(minimum, timeTextWidth);
    widths.status = std::max(minimum, barWidth - widths.date - widths.time - 2 * gap);
    return widths;
}

void unloadOtherWindows(std::size_t loadedCount, const std::function<void(std::size_t index)> &unloadAt)
{
    for (std::size_t i = loadedCount; i-- > 1;) {
        try {
            unloadAt(i);
        } catch (...) {
            // The main window closes all the same.
        }
    }
}

} // namespace tramsel::main_window
