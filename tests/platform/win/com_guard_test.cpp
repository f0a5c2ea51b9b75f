// The COM guard in the apartments it meets: a thread without COM (the
// command line), a thread where OLE already runs (the window's), and one
// already in the multithreaded apartment.
#include <gtest/gtest.h>

#include <ole2.h>

#include <thread>

#include "platform/win/com.h"

namespace tramsel::win {
namespace {

// What CoGetApartmentType says about the calling thread.
enum class Apartment { None, SingleThreaded, MultiThreaded, Other };

Apartment apartment()
{
    APTTYPE type{};
    APTTYPEQUALIFIER qualifier{};
    if (FAILED(CoGetApartmentType(&type, &qualifier)))
        return Apartment::None;
    switch (type) {
    case APTTYPE_STA:
    case APTTYPE_MAINSTA:
        return Apartment::SingleThreaded;
    case APTTYPE_MTA:
        return Apartment::MultiThreaded;
    default:
        return Apartment::Other;
    }
}

TEST(ComGuard, InitialisesOnlyWhatItFindsUninitialised)
{
    struct Case {
        const char *name;
        HRESULT (*start)();  // the thread's own COM, before the guard
        void (*end)();
        HRESULT expected;
        Apartment inside;
        Apartment after;  // once the guard is gone, before the thread's own end
    };
    const Case cases[] = {
        {"no COM", [] { return S_OK; }, [] {}, S_OK, Apartment::SingleThreaded, Apartment::None},
        {"OLE", [] { return OleInitialize(nullptr); }, [] { OleUninitialize(); }, S_FALSE,
         Apartment::SingleThreaded, Apartment::SingleThreaded},
        {"multithreaded", [] { return CoInitializeEx(nullptr, COINIT_MULTITHREADED); }, [] { CoUninitialize(); },
         RPC_E_CHANGED_MODE, Apartment::MultiThreaded, Apartment::MultiThreaded},
    };
    for (const Case &c : cases) {
        // Each case needs a thread whose COM state it controls from the start.
        std::thread([&c] {
            ASSERT_EQ(apartment(), Apartment::None);
            ASSERT_TRUE(SUCCEEDED(c.start()));
            {
                const ComGuard guard;
                EXPECT_TRUE(guard.ready()) << c.name;
                EXPECT_EQ(guard.result(), c.expected) << c.name;
                EXPECT_EQ(apartment(), c.inside) << c.name;
            }
            EXPECT_EQ(apartment(), c.after) << c.name;
            // Had the guard left its own count behind, COM would outlive this.
            c.end();
            EXPECT_EQ(apartment(), Apartment::None) << c.name;
        }).join();
    }
}

} // namespace
} // namespace tramsel::win
