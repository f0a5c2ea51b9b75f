// The threads that ask the controllers: bounded in number, and all ended
// before the answer is given, even when the deadline passed.
#include <gtest/gtest.h>

#include <array>
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

} // namespace
} // namespace tramsel::ad
