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

// Each case needs a thread whose COM state it controls from the start.
template <class Body> void onNewThread(Body body) { std::thread(body).join(); }

TEST(ComGuard, InitialisesAThreadWithoutComAndUndoesIt)
{
    onNewThread([] {
        ASSERT_EQ(apartment(), Apartment::None);
        {
            const ComGuard guard;
            EXPECT_TRUE(guard.ready());
            EXPECT_EQ(guard.result(), S_OK);
            EXPECT_EQ(apartment(), Apartment::SingleThreaded);
        }
        EXPECT_EQ(apartment(), Apartment::None);
    });
}

TEST(ComGuard, LeavesAThreadWithOleAsItFoundIt)
{
    onNewThread([] {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        {
            const ComGuard guard;
            EXPECT_TRUE(guard.ready());
            EXPECT_EQ(guard.result(), S_FALSE);
        }
        EXPECT_EQ(apartment(), Apartment::SingleThreaded);
        // Had the guard left its own count behind, COM would outlive this.
        OleUninitialize();
        EXPECT_EQ(apartment(), Apartment::None);
    });
}

TEST(ComGuard, UsesTheMultithreadedApartmentItFinds)
{
    onNewThread([] {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
        {
            const ComGuard guard;
            EXPECT_TRUE(guard.ready());
            EXPECT_EQ(guard.result(), RPC_E_CHANGED_MODE);
            EXPECT_EQ(apartment(), Apartment::MultiThreaded);
        }
        EXPECT_EQ(apartment(), Apartment::MultiThreaded);
        CoUninitialize();
        EXPECT_EQ(apartment(), Apartment::None);
    });
}

} // namespace
} // namespace tramsel::win
