// The listing and the per-controller view, each on a thread of its own.
#include "audit/listing_job.h"

#include <exception>

namespace tramsel::audit_window {

ListingJob::ListingJob(SourceFactory makeSource, SourceOptions options, Request request, Wake wake)
    : wake_(std::move(wake))
{
    thread_ = std::jthread([this, makeSource = std::move(makeSource), options = std::move(options),
                            request = std::move(request)](std::stop_token stop) mutable {
        request.stop = stop;
        Listing listing;
        try {
            const auto source = makeSource(options);
            listing = source->list(
                request, [this](AccountRecord &&row) { post([&](News &news) { news.rows.push_back(std::move(row)); }); },
                [this](const Progress &progress) { post([&](News &news) { news.progress = progress; }); });
        } catch (const std::exception &error) {
            listing.failure = {Failure::Kind::NotFound, std::string("the accounts could not be read: ") + error.what()};
        }
        if (stop.stop_requested())
            listing.failure = {Failure::Kind::Stopped, "stopped"};
        post([&](News &news) { news.ended = std::move(listing); });
    });
}

ListingJob::~ListingJob()
{
    stop();
    thread_ = {};  // joins
}

void ListingJob::stop() { thread_.request_stop(); }

void ListingJob::post(const std::function<void(News &)> &change)
{
    bool wake = false;
    {
        const std::lock_guard lock(mutex_);
        change(news_);
        wake = !std::exchange(woken_, true);
    }
    // The window is woken once for news however many rows come before it looks.
    if (wake && wake_)
        wake_();
}

ListingJob::News ListingJob::take()
{
    const std::lock_guard lock(mutex_);
    woken_ = false;
    return std::exchange(news_, {});
}

ControllersJob::ControllersJob(SourceFactory makeSource, SourceOptions options, AccountName name, Wake wake)
    : name_(std::move(name))
{
    thread_ = std::jthread([this, makeSource = std::move(makeSource), options = std::move(options),
                            wake = std::move(wake)] {
        PerController view;
        try {
            view = makeSource(options)->perController(name_);
        } catch (const std::exception &error) {
            view.error = error.what();
        }
        {
            const std::lock_guard lock(mutex_);
            result_ = std::move(view);
        }
        if (wake)
            wake();
    });
}

ControllersJob::~ControllersJob() = default;  // the jthread joins

std::optional<PerController> ControllersJob::result()
{
    const std::lock_guard lock(mutex_);
    return result_;
}

} // namespace tramsel::audit_window
