// Tramsel's entry on Windows: the command line, then either the window or an
// answer without one.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "cli/command_line.h"
#include "main/win32/frmMain.h"
#include "main/win32/program.h"
#include "directory/source_factory.h"
#include "ui/win32/loaded_windows.h"
#include "ui/win32/message_box.h"
#include "platform/win/nls_locale.h"
#include "platform/win/standard_streams.h"
#include "platform/win/wide_text.h"
#include "report/account_source.h"

namespace {

// The arguments after the program's name, read as UTF-16 and carried on as UTF-8.
std::vector<std::string> arguments()
{
    std::vector<std::string> out;
    int count = 0;
    LPWSTR *list = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!list)
        return out;
    for (int i = 1; i < count; ++i)
        out.push_back(tramsel::win::utf8FromWide(list[i]).value_or(std::string("\xEF\xBF\xBD")));
    LocalFree(list);
    return out;
}

// A file or pipe the program inherited as a standard stream.
bool inherited(DWORD stream)
{
    const HANDLE handle = GetStdHandle(stream);
    return handle && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

// Why the last call failed, on one line.
std::string lastError()
{
    wchar_t *text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        GetLastError(), 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    std::string line = length ? tramsel::win::utf8FromWide({text, length}).value_or("") : "";
    LocalFree(text);
    line.erase(line.find_last_not_of(" \r\n.") + 1);
    return line.empty() ? "the output could not be written" : line;
}

void writeConsole(HANDLE console, const std::string &text)
{
    const std::wstring wide = tramsel::win::terminatedWide(text).value_or(L"");
    DWORD written = 0;
    WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
}

// --help, --version, --print, --audit and a bad command line: on the
// standard streams the program inherited or its parent's console, else in
// a box.
int answerWithoutWindow(const tramsel::CommandLine &line, const tramsel::Locale &locale)
{
    tramsel::ProgressLine progress(locale);
    tramsel::AuditHooks hooks;
    // Progress only on a console that someone watches.
    DWORD mode = 0;
    const HANDLE errHandle = GetStdHandle(STD_ERROR_HANDLE);
    if (errHandle && GetConsoleMode(errHandle, &mode))
        hooks.progress = [&](const tramsel::Progress &now) { writeConsole(errHandle, progress.update(now)); };
    hooks.terminal = GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode);
    const tramsel::WindowlessResult result = tramsel::runWindowless(line, locale, tramsel::makeAccountSource, hooks);
    if (hooks.progress)
        writeConsole(errHandle, progress.done());
    const bool toFile = !result.out.empty() && inherited(STD_OUTPUT_HANDLE);
    if (!tramsel::win::writeStandardStreams(result.out, result.err)) {
        // A full disk: said on standard error, never in a box.
        if (toFile) {
            const tramsel::WindowlessResult failed = tramsel::writeFailed(lastError());
            tramsel::win::writeStandardStreams({}, failed.err);
            return failed.status;
        }
        if (!result.err.empty())
            tramsel::win::showError(result.err);
        else if (!result.out.empty())
            MessageBoxW(nullptr, tramsel::win::terminatedWide(result.out).value_or(L"").c_str(),
                        L"Tramsel", MB_OK | MB_ICONINFORMATION);
    }
    return result.status;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    const tramsel::win::NlsLocale locale;
    const tramsel::CommandLine line = tramsel::parseCommandLine(arguments());
    if (!line.error.empty() || line.windowless())
        return answerWithoutWindow(line, locale);

    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                        ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    const auto source = tramsel::makeAccountSource({line.root, line.servers});
    tramsel::win::LoadedWindows windows;
    const tramsel::Services services{*source, locale, windows};
    if (!tramsel::startUp(services, line.account))
        return 1;

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (tramsel::frmMain *main = tramsel::mainWindow(); main && main->translate(&msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
