// What an audit window keeps of its listings, whatever toolkit draws it: the
// listing under way or how the last one ended, its rows and when it began,
// and the per-controller rows asked for the selected account.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "audit/audit_window.h"
#include "audit/listing_job.h"

namespace tramsel::audit_window {

// Called on the window's thread only; the jobs' threads only wake it.
class Session {
public:
    // The jobs' threads call `listingNews` and `controllersNews`; the window
    // answers with takeListingNews() and takeControllers() on its own thread.
    Session(SourceFactory makeSource, SourceOptions options, const Locale &locale, Wake listingNews,
            Wake controllersNews);
    ~Session();
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    // List: the accounts of `domain` as they stand at `now`, from `server`
    // when it is not empty (as --server names it); the last listing's rows
    // and end are dropped. While a listing runs, Stop: it is asked to stop
    // and false returned; its end comes as news.
    bool listOrStop(std::string_view domain, const std::string &server, const DateTime &now);
    bool listing() const { return listing_ != nullptr; }

    // What the listing brought since the window last looked.
    struct News {
        bool rows = false;  // added to rows(), shown once it is refreshed
        std::optional<Progress> progress;
        bool ended = false;  // listed() says how
    };
    News takeListingNews();

    Rows &rows() { return rows_; }
    // The filters pass on the accounts as they stood when the listing began.
    void setFilters(const FilterControls &controls);
    // How the last listing ended; nothing while one runs.
    const std::optional<Listing> &listed() const { return listed_; }
    // The status line once a listing has ended.
    std::optional<Status> status() const;
    // What Save As writes, once a listing has ended.
    std::string savedText(audit::Format format) const;
    // The account a shown row stands for.
    AccountName account(std::size_t row) const;

    // Whether the rows come from domain controllers, which the
    // per-controller view can ask: more than one source while the listing
    // runs, its controllers once it has ended.
    bool controllers() const { return controllers_; }
    // The selection rested on the shown row `row`: its account's
    // per-controller rows are asked, from `server` as for List. One
    // question at a time: the last account asked while one is under way is
    // asked once it is answered.
    void askControllers(std::size_t row, const std::string &server);
    // The answer once it is there; the next question is asked then.
    std::optional<PerController> takeControllers();

    // Stopped and waited for: no job's thread outlives the window.
    void close();

private:
    struct Question {
        AccountName account;
        SourceOptions options;
    };
    SourceOptions optionsFor(const std::string &server) const;
    void askWanted();

    SourceFactory makeSource_;
    SourceOptions options_;  // --root and --server from the command line
    const Locale &locale_;
    Wake listingNews_;
    Wake controllersNews_;
    Rows rows_;
    std::unique_ptr<ListingJob> listing_;
    std::optional<Listing> listed_;
    DateTime generated_;  // when the last listing began
    bool controllers_ = false;
    std::unique_ptr<ControllersJob> controllersJob_;
    std::optional<Question> wanted_;
};

} // namespace tramsel::audit_window
