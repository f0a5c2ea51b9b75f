// A window's load code, run once after the window is first shown.
#pragma once

#include <functional>

class QWidget;

namespace tramsel {

// Calls `load` once, queued behind the window's first show: by then the
// window has been mapped, so the load code may draw it and ask the user
// things over it. Every window of the program loads this way.
void runAfterFirstShow(QWidget *window, std::function<void()> load);

} // namespace tramsel
