// frmAbout drawn with Win32: the modal about box.
#pragma once

#include <windows.h>

#include <vector>

#include "about/about_box.h"
#include "ui/win32/window_class.h"
#include "ui/win32/window_metrics.h"

namespace tramsel {

namespace win {
class LoadedWindows;
}

class frmAbout final {
public:
    // Loads the box, owned by `owner`, and returns once it is closed; until
    // then no other window of the program takes input.
    static void showModal(HWND owner, win::LoadedWindows &windows);

private:
    friend struct win::WindowProcedure<frmAbout>;

    explicit frmAbout(win::LoadedWindows &windows) : windows_(windows) {}
    LRESULT onMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void setupUi();
    void Form_Load();
    void cmdOK_Click();
    LRESULT labelColours(HDC dc, HWND control);

    win::LoadedWindows &windows_;
    HWND hwnd_ = nullptr;
    std::vector<HWND> disabled_;  // the windows the box keeps from taking input
    win::Controls controls_;
    HICON icon_ = nullptr;
    HWND Frame1 = nullptr;
    HWND picIcon = nullptr;
    HWND labels_[about_box::kLabels.size()] = {};  // lblTitle ... Label2, in kLabels' order
    HWND cmdOK = nullptr;
};

} // namespace tramsel
