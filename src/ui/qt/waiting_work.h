// Work that takes a while (asking a directory), done while the windows stay
// painted.
#pragma once

#include <functional>

namespace tramsel {

// Runs `work` on a thread of its own and returns once it is done. Meanwhile
// this thread keeps the program's windows painted and their timers running,
// under a wait cursor, and holds user input back until the work is done, as
// a call that kept this thread busy would. The work may hand things to this
// thread with a blocking queued call. What the work throws is thrown here.
void runWhileWaiting(const std::function<void()> &work);

} // namespace tramsel
