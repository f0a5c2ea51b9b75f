// The program's loaded windows, in the order they were loaded.
#include "ui/qt/loaded_windows.h"

#include <algorithm>

namespace tramsel {

void LoadedWindows::load(QWidget *window)
{
    if (!window || contains(window))
        return;
    windows_.append(window);
}

void LoadedWindows::unloaded(QWidget *window)
{
    windows_.removeIf([window](const QPointer<QWidget> &w) { return w.isNull() || w == window; });
}

qsizetype LoadedWindows::count() const
{
    // A window destroyed without being unloaded holds a null entry; it is not loaded.
    return std::count_if(windows_.begin(), windows_.end(),
                         [](const QPointer<QWidget> &w) { return !w.isNull(); });
}

QWidget *LoadedWindows::at(qsizetype index) const
{
    for (const auto &window : windows_)
        if (!window.isNull() && index-- == 0)
            return window.data();
    return nullptr;
}

bool LoadedWindows::contains(const QWidget *window) const
{
    return window && std::any_of(windows_.begin(), windows_.end(),
                                 [window](const QPointer<QWidget> &w) { return w == window; });
}

} // namespace tramsel
