// Work that takes a while (asking a directory), done while the windows stay
// painted.
#pragma once

#include <functional>

namespace tramsel::win {

// Runs `work` on a thread of its own, with COM initialised there, and
// returns once it is done. Meanwhile this thread goes on painting the
// program's windows and running their timers and the messages other
// threads send them (the work may hand this thread things with
// SendMessage), under a wait cursor; user input stays queued until the work
// is done, as behind a call that kept this thread busy. A WM_QUIT met on
// the way is posted again. What the work throws is thrown here.
void runWhileWaiting(const std::function<void()> &work);

} // namespace tramsel::win
