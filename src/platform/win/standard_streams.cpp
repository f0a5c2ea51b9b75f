// Standard output and standard error of a GUI-subsystem program.
#include "platform/win/standard_streams.h"

#include <windows.h>

#include "platform/win/wide_text.h"

namespace tramsel::win {
namespace {

std::string withCrLf(const std::string &text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (const char c : text) {
        if (c == '\n' && (out.empty() || out.back() != '\r'))
            out += '\r';
        out += c;
    }
    return out;
}

bool usable(HANDLE handle)
{
    return handle && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

bool write(HANDLE handle, const std::string &text)
{
    const std::string bytes = withCrLf(text);
    DWORD mode = 0;
    if (GetConsoleMode(handle, &mode)) {
        // A console shows UTF-16 whatever its code page.
        const std::wstring wide = terminatedWide(bytes).value_or(L"?\r\n");
        DWORD written = 0;
        return WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        if (!WriteFile(handle, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &written,
                       nullptr) ||
            written == 0)
            return false;
        done += written;
    }
    return true;
}

} // namespace

bool writeStandardStreams(const std::string &out, const std::string &err)
{
    HANDLE outHandle = GetStdHandle(STD_OUTPUT_HANDLE);
    HANDLE errHandle = GetStdHandle(STD_ERROR_HANDLE);
    const bool needConsole =
        (!out.empty() && !usable(outHandle)) || (!err.empty() && !usable(errHandle));
    // Started from a console without redirection, a GUI program has no
    // standard handles: it writes to its parent's console instead.
    if (needConsole && AttachConsole(ATTACH_PARENT_PROCESS)) {
        const HANDLE console =
            CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                        nullptr, OPEN_EXISTING, 0, nullptr);
        if (!usable(outHandle))
            outHandle = console;
        if (!usable(errHandle))
            errHandle = console;
    }
    bool ok = true;
    if (!out.empty())
        ok = usable(outHandle) && write(outHandle, out);
    if (!err.empty())
        ok = usable(errHandle) && write(errHandle, err) && ok;
    return ok;
}

} // namespace tramsel::win
