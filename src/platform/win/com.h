// COM on the calling thread: the apartment guard and owning wrappers for
// interface references, BSTRs and VARIANTs.
#pragma once

#include <objbase.h>
#include <oleauto.h>

#include <memory>
#include <string>

namespace tramsel::win {

// Initialises COM (single-threaded apartment) on the calling thread for its
// lifetime, and balances exactly what its own initialisation did. A thread
// where COM already runs is fine: the window's thread, where Qt initialised
// OLE, answers S_FALSE (counted, so balanced here); a thread already in the
// multithreaded apartment answers RPC_E_CHANGED_MODE, which leaves COM usable
// and nothing to balance.
class ComGuard {
public:
    ComGuard();
    ~ComGuard();
    ComGuard(const ComGuard &) = delete;
    ComGuard &operator=(const ComGuard &) = delete;

    // Whether COM can be used on this thread while the guard lives.
    bool ready() const;
    // What CoInitializeEx answered.
    HRESULT result() const { return result_; }

private:
    HRESULT result_;
};

// "error 0x80070035", for a one-line reason.
std::string hresultText(HRESULT result);

struct ReleaseInterface {
    void operator()(IUnknown *unknown) const { unknown->Release(); }
};
// An interface reference, released when it goes.
template <class Interface> using ComRef = std::unique_ptr<Interface, ReleaseInterface>;

struct FreeBstr {
    void operator()(BSTR text) const { SysFreeString(text); }
};
using BstrRef = std::unique_ptr<OLECHAR, FreeBstr>;

// A VARIANT that is cleared when it goes, whatever it ended up holding.
class ClearedVariant {
public:
    ClearedVariant() { VariantInit(&variant_); }
    ~ClearedVariant() { VariantClear(&variant_); }
    ClearedVariant(const ClearedVariant &) = delete;
    ClearedVariant &operator=(const ClearedVariant &) = delete;

    VARIANT *get() { return &variant_; }
    const VARIANT &operator*() const { return variant_; }

private:
    VARIANT variant_;
};

} // namespace tramsel::win
