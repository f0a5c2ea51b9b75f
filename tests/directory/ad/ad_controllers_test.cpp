// The threads that ask the controllers: bounded in number, and all ended
// before the answer is given, even when the deadline passed.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <condition_variable>
#include <mutex>

#include "directory/ad/ad_controllers.h"

namespace tramsel::ad {
namespace {

TEST(AdControllers, EveryThreadEndsBeforeTheAnswer)
{
    // Tasks that hang until they are stopped, as a controller that never
    // answers. A deadline may pass before a busy machine starts a thread: a
    // longer one is tried until every task began, none left running.
    struct Hung {
        std::mutex mutex;
        std::condition_variable wake;
        bool stopped = false, begun = false, ended = false;
    };
    bool allBegun = false;
    for (int ms = 20; !allBegun && ms <= 20'000; ms *= 10) {
        std::array<Hung, 3> tasks;
        const auto done = runTogether(
            tasks.size(), tasks.size(), std::chrono::steady_clock::now() + std::chrono::milliseconds(ms),
            [&](std::size_t i) {
                std::unique_lock lock(tasks[i].mutex);
                tasks[i].begun = true;
                tasks[i].wake.wait(lock, [&] { return tasks[i].stopped; });
                tasks[i].ended = true;
            },
            [&](std::size_t i) {
                const std::lock_guard lock(tasks[i].mutex);
                tasks[i].stopped = true;
                tasks[i].wake.notify_all();
            });
        EXPECT_EQ(done, std::vector<bool>(3, false));
        allBegun = true;
        for (Hung &task : tasks) {
            const std::lock_guard lock(task.mutex);
            EXPECT_EQ(task.ended, task.begun) << ms << " ms";
            allBegun = allBegun && task.begun;
        }
    }
    EXPECT_TRUE(allBegun);
}

TEST(AdControllers, AtMostSoManyAtOnce)
{
    // Each task waits a while for a fifth to run beside it, as a fifth thread would.
    std::mutex mutex;
    std::condition_variable changed;
    int running = 0, most = 0;
    const auto done = runTogether(
        8, 4, std::nullopt,
        [&](std::size_t) {
            std::unique_lock lock(mutex);
            most = std::max(most, ++running);
            changed.notify_all();
            changed.wait_for(lock, std::chrono::milliseconds(200), [&] { return running > 4; });
            --running;
        },
        [](std::size_t) {});
    EXPECT_EQ(done, std::vector<bool>(8, true));
    EXPECT_LE(most, 4);
}

} // namespace
} // namespace tramsel::ad
