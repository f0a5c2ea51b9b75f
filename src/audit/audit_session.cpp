// What an audit window keeps of its listings.
#include "audit/audit_session.h"

#include <utility>

#include "report/account_path.h"

namespace tramsel::audit_window {

Session::Session(SourceFactory makeSource, SourceOptions options, const Locale &locale, Wake listingNews,
                 Wake controllersNews)
    : makeSource_(std::move(makeSource)), options_(std::move(options)), locale_(locale),
      listingNews_(std::move(listingNews)), controllersNews_(std::move(controllersNews))
{
}

Session::~Session() { close(); }

SourceOptions Session::optionsFor(const std::string &server) const
{
    SourceOptions options = options_;
    if (!server.empty())
        options.servers = {server};
    return options;
}

bool Session::listOrStop(std::string_view domain, const std::string &server, const DateTime &now)
{
    if (listing_) {
        listing_->stop();
        return false;
    }
    generated_ = now;
    rows_.clear();
    listed_.reset();
    controllers_ = false;
    Request request{upperDomain(domain, locale_), {}, {}};
    listing_ = std::make_unique<ListingJob>(makeSource_, optionsFor(server), std::move(request), listingNews_);
    return true;
}

Session::News Session::takeListingNews()
{
    if (!listing_)
        return {};
    ListingJob::News news = listing_->take();
    for (AccountRecord &row : news.rows)
        rows_.add(std::move(row));
    if (news.progress)
        controllers_ = news.progress->sourcesTotal > 1 || controllers_;
    const bool ended = news.ended.has_value();
    if (ended) {
        listing_.reset();
        listed_ = std::move(news.ended);
        controllers_ = hasControllers(*listed_);
    }
    return {!news.rows.empty(), news.progress, ended};
}

void Session::setFilters(const FilterControls &controls)
{
    rows_.setFilters(filtersOf(controls), audit::nowAt(generated_, locale_));
}

std::optional<Status> Session::status() const
{
    if (!listed_)
        return std::nullopt;
    return finishedStatus(*listed_, rows_, locale_);
}

std::string Session::savedText(audit::Format format) const
{
    return audit_window::savedText(format, rows_, *listed_, generated_, locale_);
}

AccountName Session::account(std::size_t row) const
{
    return accountOf(rows_.shownRecord(row));
}

void Session::askControllers(std::size_t row, const std::string &server)
{
    if (!controllers_ || row >= rows_.shown())
        return;
    wanted_ = Question{account(row), optionsFor(server)};
    askWanted();
}

void Session::askWanted()
{
    if (controllersJob_ || !wanted_)
        return;
    Question question = *std::exchange(wanted_, {});
    controllersJob_ = std::make_unique<ControllersJob>(makeSource_, std::move(question.options),
                                                       std::move(question.account), controllersNews_);
}

std::optional<PerController> Session::takeControllers()
{
    if (!controllersJob_)
        return std::nullopt;
    std::optional<PerController> view = controllersJob_->result();
    if (view) {
        controllersJob_.reset();
        askWanted();
    }
    return view;
}

void Session::close()
{
    listing_.reset();
    controllersJob_.reset();
}

} // namespace tramsel::audit_window
