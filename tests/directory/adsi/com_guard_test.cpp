// COM in the apartments a thread may be in: a thread without COM (the command
// line), a thread where OLE already runs (the window's), and one already in the
// multithreaded apartment.
#include <gtest/gtest.h>

#include <ole2.h>

#include <thread>

#include "platform/win/com.h"

namespace tramsel::win {
namespace {

constexpr int kNoCom = -1;

// What CoGetApartmentType says about the calling thread, the main STA counted as any other.
int apartment()
{
    APTTYPE type{};
    APTTYPEQUALIFIER qualifier{};
    if (FAILED(CoGetApartmentType(&type, &qualifier)))
        return kNoCom;
    return type == APTTYPE_MAINSTA ? APTTYPE_STA : type;
}

TEST(ComGuard, InitialisesOnlyWhatItFindsUninitialised)
{
    const struct {
        const char *name;
        HRESULT (*start)();  // the thread's own COM, before the guard
        void (*end)();
        HRESULT expected;
        int inside, after;  // once the guard is gone, before the thread's own end
    } cases[] = {
        {"no COM", [] { return S_OK; }, [] {}, S_OK, APTTYPE_STA, kNoCom},
        {"OLE", [] { return OleInitialize(nullptr); }, [] { OleUninitialize(); }, S_FALSE, APTTYPE_STA, APTTYPE_STA},
        {"multithreaded", [] { return CoInitializeEx(nullptr, COINIT_MULTITHREADED); }, [] { CoUninitialize(); },
         RPC_E_CHANGED_MODE, APTTYPE_MTA, APTTYPE_MTA},
    };
    for (const auto &c : cases) {
        // Each case needs a thread whose COM state it controls from the start.
        std::thread([&c] {
            ASSERT_EQ(apartment(), kNoCom);
            ASSERT_TRUE(SUCCEEDED(c.start()));
            {
                const ComGuard guard;
                EXPECT_TRUE(guard.ready()) << c.name;
                EXPECT_EQ(guard.result(), c.expected) << c.name;
                EXPECT_EQ(apartment(), c.inside) << c.name;
            }
            EXPECT_EQ(apartment(), c.after) << c.name;
            // Had the guard left a count behind, COM would outlive this.
            c.end();
            EXPECT_EQ(apartment(), kNoCom) << c.name;
        }).join();
    }
}

} // namespace
} // namespace tramsel::win
