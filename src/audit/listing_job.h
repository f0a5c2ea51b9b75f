// A question to an account source asked on a thread of its own, so that the
// window that asked paints and answers throughout: the listing, which Stop
// breaks off, and the per-controller view of one account.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>
#include <vector>

#include "report/account_source.h"

namespace tramsel::audit_window {

// Called on the job's thread when it has news; the toolkit answers by
// calling take() (or result()) on the window's thread soon after. It is
// called again only once that has happened.
using Wake = std::function<void()>;

class ListingJob {
public:
    // What came since the last take().
    struct News {
        std::vector<AccountRecord> rows;
        std::optional<Progress> progress;
        std::optional<Listing> ended;  // set once, when the listing is over
    };

    // Lists on a thread of its own, from a source `makeSource` makes there.
    ListingJob(SourceFactory makeSource, SourceOptions options, Request request, Wake wake);
    // Stops the listing and waits for its thread.
    ~ListingJob();
    ListingJob(const ListingJob &) = delete;
    ListingJob &operator=(const ListingJob &) = delete;

    // Asks the listing to stop, and returns at once: it ends soon after,
    // with the failure Stopped, as news.
    void stop();
    News take();

private:
    void post(const std::function<void(News &)> &change);

    Wake wake_;
    std::mutex mutex_;
    News news_;
    bool woken_ = false;
    std::jthread thread_;
};

// The per-controller view of one account, read on a thread of its own.
class ControllersJob {
public:
    ControllersJob(SourceFactory makeSource, SourceOptions options, AccountName name, Wake wake);
    ~ControllersJob();
    ControllersJob(const ControllersJob &) = delete;
    ControllersJob &operator=(const ControllersJob &) = delete;

    // The view once it is there.
    std::optional<PerController> result();
    const AccountName &name() const { return name_; }

private:
    AccountName name_;
    std::mutex mutex_;
    std::optional<PerController> result_;
    std::jthread thread_;
};

} // namespace tramsel::audit_window
