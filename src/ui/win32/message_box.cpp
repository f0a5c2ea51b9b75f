// The program's message boxes on Windows.
#include "ui/win32/message_box.h"

#include <windows.h>

#include "platform/win/wide_text.h"

namespace tramsel::win {

void showError(const std::string &message)
{
    const std::wstring text = terminatedWide(message).value_or(L"?");
    // Without an owner, MB_TASKMODAL disables every top-level window of the thread.
    MessageBoxW(nullptr, text.c_str(), L"Tramsel - Error", MB_OK | MB_ICONINFORMATION | MB_TASKMODAL);
}

} // namespace tramsel::win
