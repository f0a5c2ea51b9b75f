// The windows the program has loaded, in loading order: the main window at
// index 0. The program ends when the last one is unloaded.
#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

namespace tramsel::win {

class LoadedWindows {
public:
    void load(HWND window) { windows_.push_back(window); }
    // Called from the window's WM_DESTROY; posts WM_QUIT after the last.
    void unloaded(HWND window);

    std::size_t count() const { return windows_.size(); }
    HWND at(std::size_t index) const { return index < windows_.size() ? windows_[index] : nullptr; }
    bool contains(HWND window) const;

private:
    std::vector<HWND> windows_;
};

} // namespace tramsel::win
