// The threads that ask the controllers: bounded in number, and all ended
// before the answer is given, even when the deadline passed.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <condition_variable>
#include <mutex>

#include "directory/ad/ad_controllers.h"

namespace tramsel::ad {
namespace {

// A task that hangs until it is stopped, as a controller that never answers.
struct Hung {
    std::mutex mutex;
    std::condition_variable wake;
    bool stopped = false, begun = false, ended = false;

    void run()
    {
        std::unique_lock lock(mutex);
        begun = true;
        wake.wait(lock, [&] { return stopped; });
        ended = true;
    }
    void stop()
    {
        const std::lock_guard lock(mutex);
        stopped = true;
        wake.notify_all();
    }
};

TEST(AdControllers, EveryThreadEndsBeforeTheAnswer)
{
    // A deadline may pass before a busy machine starts a thread: a longer
    // one is tried until every task began, none left running.
    bool allBegun = false;
    for (int ms = 20; !allBegun && ms <= 20'000; ms *= 10) {
        std::array<Hung, 3> tasks;
        const auto done = runTogether(
            tasks.size(), tasks.size(), std::chrono::steady_clock::now() + std::chrono::milliseconds(ms),
            [&](std::size_t i) { tasks[i].run(); }, [&](std::size_t i) { tasks[i].stop(); });
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

TEST(AdControllers, AStopEndsTheTasksUnderWayAndBeginsNoOther)
{
    // Stop is asked from within the second task: what began ends, the third never begins.
    std::array<Hung, 3> tasks;
    std::stop_source stop;
    const auto done = runTogether(
        tasks.size(), 2, std::nullopt,
        [&](std::size_t i) {
            if (i == 1)
                stop.request_stop();
            tasks[i].run();
        },
        [&](std::size_t i) { tasks[i].stop(); }, {}, stop.get_token());
    EXPECT_EQ(done, std::vector<bool>(3, false));
    EXPECT_EQ(tasks[0].ended, tasks[0].begun);
    EXPECT_TRUE(tasks[1].ended);
    EXPECT_FALSE(tasks[2].begun);
}

TEST(AdControllers, AtMostSoManyAtOnce)
{
    std::atomic<int> running = 0, most = 0;
    const auto done = runTogether(
        40, 4, std::nullopt,
        [&](std::size_t) {
            const int now = ++running;
            for (int seen = most; now > seen && !most.compare_exchange_weak(seen, now);) {
            }
            --running;
        },
        [](std::size_t) {});
    EXPECT_EQ(done, std::vector<bool>(40, true));
    EXPECT_LE(most, 4);
}

} // namespace
} // namespace tramsel::ad
