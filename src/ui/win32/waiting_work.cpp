// Work on a thread of its own under a wait cursor.
#include "ui/win32/waiting_work.h"

#include <windows.h>

#include <atomic>
#include <exception>
#include <optional>
#include <thread>

#include "platform/win/com.h"

namespace tramsel::win {

void runWhileWaiting(const std::function<void()> &work)
{
    const DWORD waiting = GetCurrentThreadId();
    std::atomic<bool> done = false;
    std::exception_ptr thrown;
    const HCURSOR previous = SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT)));
    std::thread worker([&] {
        try {
            const ComGuard com;
            work();
        } catch (...) {
            thrown = std::current_exception();
        }
        done = true;
        PostThreadMessageW(waiting, WM_NULL, 0, 0);  // wakes the wait below
    });

    // Everything but input: paint, timers, posted and sent messages.
    constexpr UINT kNoInput = PM_QS_PAINT | PM_QS_POSTMESSAGE | PM_QS_SENDMESSAGE;
    std::optional<WPARAM> quit;
    while (!done) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, INFINITE,
                                  QS_PAINT | QS_POSTMESSAGE | QS_TIMER | QS_SENDMESSAGE);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE | kNoInput)) {
            if (msg.message == WM_QUIT)
                quit = msg.wParam;
            else
                DispatchMessageW(&msg);
        }
    }
    worker.join();
    SetCursor(previous);
    if (quit)
        PostQuitMessage(static_cast<int>(*quit));
    if (thrown)
        std::rethrow_exception(thrown);
}

} // namespace tramsel::win
