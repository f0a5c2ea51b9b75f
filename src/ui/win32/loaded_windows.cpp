// The windows the program has loaded.
#include "ui/win32/loaded_windows.h"

#include <algorithm>

namespace tramsel::win {

void LoadedWindows::unloaded(HWND window)
{
    const auto it = std::find(windows_.begin(), windows_.end(), window);
    if (it == windows_.end())
        return;
    windows_.erase(it);
    if (windows_.empty())
        PostQuitMessage(0);
}

bool LoadedWindows::contains(HWND window) const
{
    return std::find(windows_.begin(), windows_.end(), window) != windows_.end();
}

} // namespace tramsel::win
