// COM on the calling thread.
#include "platform/win/com.h"

#include <cstdio>

namespace tramsel::win {

ComGuard::ComGuard() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}

ComGuard::~ComGuard()
{
    // S_OK and S_FALSE both count one initialisation; RPC_E_CHANGED_MODE and
    // real failures count none.
    if (SUCCEEDED(result_))
        CoUninitialize();
}

bool ComGuard::ready() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }

std::string hresultText(HRESULT result)
{
    char text[32];
    std::snprintf(text, sizeof text, "error 0x%08lX", static_cast<unsigned long>(result));
    return text;
}

} // namespace tramsel::win
