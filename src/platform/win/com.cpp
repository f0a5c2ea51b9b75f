// COM on the calling thread.
#include "platform/win/com.h"

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

} // namespace tramsel::win
