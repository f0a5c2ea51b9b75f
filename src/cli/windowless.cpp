// What the program answers without a window: help, version, an account's
// report or row, the per-controller view and an audit.
#include <algorithm>
#include <chrono>
#include <exception>

#include "report/filters.h"
#include "output/writers.h"
#include "cli/command_line.h"
#include "report/account_path.h"
#include "report/account_source.h"
#include "report/account_usage.h"
#include "report/locale.h"
#include "report/sorting.h"
#include "report/summary.h"

namespace tramsel {
namespace {

DateTime systemNow()
{
    using namespace std::chrono;
    const auto micros = duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
    return DateTime::fromUnixMicroseconds(micros).value_or(DateTime());
}

// A name as a one-line reason quotes it: a very long one is cut short.
std::string quoted(std::string_view name)
{
    constexpr std::size_t kLongest = 60;
    return "'" + std::string(name.substr(0, kLongest)) + (name.size() > kLongest ? "...'" : "'");
}

// Why an account was not bound when its source did not say.
std::string unboundReason(const AccountArgument &account)
{
    if (!account.domain.empty() && !isSafeName(account.domain))
        return quoted(account.domain) + " is not a domain or machine name";
    if (!isSafeName(account.userName))
        return quoted(account.userName) + " is not a user name";
    return "no account " + quoted(account.userName) + " could be read"
        + (account.domain.empty() ? "" : " in " + quoted(account.domain));
}

WindowlessResult failed(const std::string &reason) { return {kExitNotBound, {}, reason + "\n"}; }

// Names the sources that did not answer on standard error: status 3.
void noteMissing(const std::vector<Source> &sources, WindowlessResult &result)
{
    for (const Source &source : sources)
        if (!source.answered) {
            result.err += missingWarning(source.name + ": " + source.error);
            result.status = kExitPartial;
        }
}

// Names what could not be read on standard error.
void noteUnread(const std::vector<std::string> &unread, WindowlessResult &result)
{
    for (const std::string &line : unread)
        result.err += line + "\n";
}

// Why nothing could be read, when nothing could: the listing's own reason,
// or every source's error.
std::optional<std::string> nothingRead(const Listing &listing)
{
    if (listing.failure)
        return listing.failure.text;
    if (listing.sources.empty() || std::any_of(listing.sources.begin(), listing.sources.end(),
                                                [](const Source &s) { return s.answered; }))
        return std::nullopt;
    std::string reason = "no source answered";
    for (const Source &source : listing.sources)
        reason += (&source == &listing.sources.front() ? ": " : "; ") + source.name + ": " + source.error;
    return reason;
}

struct Run {
    const CommandLine &line;
    const Locale &locale;
    const SourceFactory &makeSource;
    const AuditHooks &hooks;

    DateTime now() const { return hooks.now ? hooks.now() : systemNow(); }
    std::unique_ptr<AccountSource> source() const { return makeSource({line.root, line.servers}); }

    // The columns of a row: as the command line names them, else a
    // table's few or every column for programs.
    audit::AccountLayout layout(audit::Format format) const
    {
        const bool table = format == audit::Format::Table;
        return {!line.columns.empty() ? line.columns : table ? tableColumns() : std::vector<const Column<AccountRecord> *>{},
                table && hooks.terminal ? kWidestCell : 0};
    }

    WindowlessResult audit() const
    {
        const Request request{upperDomain(line.account.value_or(""), locale), line.base, {},
                              line.computers ? Request::Kind::Computers : Request::Kind::Users};
        const DateTime generated = now();
        const audit::Now clock = audit::nowAt(generated, locale);
        const audit::Format format = line.format.value_or(audit::Format::Table);
        // The rows go out as they come where the caller takes them so, and
        // are held only to be sorted.
        audit::StringOut held;
        audit::TextOut &out = hooks.out ? *hooks.out : held;
        audit::AccountOutput output(format, locale, out, layout(format));
        AccountCounts counts;
        std::vector<AccountRecord> sorted;
        const Listing listing = source()->list(
            request,
            [&](AccountRecord &&record) {
                if (!audit::matches(line.filters, record, clock))
                    return;
                counts.add(record);
                if (line.summary)
                    return;
                if (line.sort.empty())
                    output.add(record);
                else
                    sorted.push_back(std::move(record));
            },
            hooks.progress ? hooks.progress : [](const Progress &) {});
        // A base the domain does not hold is the command line's fault.
        if (listing.failure.kind == Failure::Kind::BadRequest)
            return {kExitBadCommandLine, {}, listing.failure.text + "\n"};
        if (const auto reason = nothingRead(listing))
            return failed(*reason);
        const std::string domain = listing.domain.empty() ? request.domain : listing.domain;
        if (line.summary)
            audit::writeSummary(format, counts, domain, listing.sources, generated, locale, out);
        else {
            sortRecords(sorted, line.sort);
            for (const AccountRecord &record : sorted)
                output.add(record);
            output.finish(domain, listing.sources, generated);
            // Someone reading a table gets its counts after it.
            if (format == audit::Format::Table && hooks.terminal)
                out.write(summaryText(counts, controllersAnswered(listing.sources), locale) + "\n");
        }
        WindowlessResult result{kExitSuccess, std::move(held.text), {}};
        if (listing.missing.empty())
            noteMissing(listing.sources, result);
        for (const std::string &missing : listing.missing)
            result.err += missingWarning(missing);
        if (!listing.missing.empty())
            result.status = kExitPartial;
        // Values left unknown are as partial an answer as a missing controller.
        noteUnread(listing.unread, result);
        if (!listing.unread.empty())
            result.status = kExitPartial;
        return result;
    }

    // The account's row, found as the report finds it.
    WindowlessResult accountRow(const AccountArgument &account) const
    {
        const AccountName name{account.domain, account.userName};
        const Lookup found = source()->lookup(name);
        WindowlessResult result;
        for (const std::string &missing : found.missing)
            result.err += missingWarning(missing);
        if (!found.missing.empty())
            result.status = kExitPartial;
        if (!found.record) {
            result.status = kExitNotBound;
            result.err.insert(0, (found.failure.text.empty() ? unboundReason(account) : found.failure.text) + "\n");
            return result;
        }
        noteUnread(found.unread, result);
        const std::string domain = accountOf(*found.record).domain;
        audit::StringOut text;
        audit::AccountOutput output(*line.format, locale, text, layout(*line.format));
        output.add(*found.record);
        output.finish(domain, found.sources, now());
        result.out = std::move(text.text);
        return result;
    }

    WindowlessResult perController(const AccountArgument &account) const
    {
        const PerController view = source()->perController({account.domain, account.userName});
        if (!view.error.empty())
            return failed(view.error);
        audit::StringOut text;
        audit::writePerController(line.format.value_or(audit::Format::Table), view, now(), locale, text);
        WindowlessResult result{kExitSuccess, std::move(text.text), {}};
        Listing asked;
        for (const ControllerValues &values : view.controllers)
            asked.sources.push_back(values.source);
        // The rows show each controller's error; the status says none answered.
        if (const auto reason = nothingRead(asked)) {
            result.status = kExitNotBound;
            result.err = *reason + "\n";
        } else
            noteMissing(asked.sources, result);
        return result;
    }
};

WindowlessResult printReport(const AccountArgument &account, const CommandLine &line, const Locale &locale,
                             const SourceFactory &makeSource)
{
    const auto source = makeSource({line.root, line.servers});
    ReportOutcome report = accountReport(account.domain, account.userName, *source, locale, "\n");
    if (!report.bound && report.reason.empty())
        report.reason = unboundReason(account);
    WindowlessResult result{report.bound ? kExitSuccess : kExitNotBound, report.text, reportWarnings(report)};
    if (report.bound && !report.missing.empty())
        result.status = kExitPartial;
    noteUnread(report.unread, result);
    return result;
}

} // namespace

std::optional<WindowlessResult> plainAnswer(const CommandLine &line)
{
    if (!line.error.empty())
        return WindowlessResult{kExitBadCommandLine, {}, line.error + "\n"};
    if (line.help)
        return WindowlessResult{kExitSuccess, helpText(), {}};
    if (line.version)
        return WindowlessResult{kExitSuccess, "Tramsel 2.0\n", {}};
    return std::nullopt;
}

WindowlessResult runWindowless(const CommandLine &line, const Locale &locale, const SourceFactory &makeSource,
                               const AuditHooks &hooks)
{
    if (std::optional<WindowlessResult> plain = plainAnswer(line))
        return std::move(*plain);
    const Run run{line, locale, makeSource, hooks};
    try {
        if (line.audit)
            return run.audit();
        const AccountArgument account = splitAccount(line.account.value_or(std::string()), locale);
        if (account.error)
            return {kExitBadCommandLine, {}, *account.error + "\n"};
        if (line.perController)
            return run.perController(account);
        if (line.format)
            return run.accountRow(account);
        return printReport(account, line, locale, makeSource);
    } catch (const std::exception &error) {
        return failed(std::string("the accounts could not be read: ") + error.what());
    }
}

WindowlessResult writeFailed(std::string_view reason)
{
    return {kExitNotBound, {}, "write error: " + std::string(reason) + "\n"};
}

std::string ProgressLine::update(const Progress &progress)
{
    using namespace std::chrono;
    const std::int64_t at = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    // Ten updates a second are enough to read; a controller done always shows.
    if (shown_ && at - shownAt_ < 100 && progress.sourcesDone == sourcesDone_)
        return {};
    shownAt_ = at;
    sourcesDone_ = progress.sourcesDone;
    const auto number = [&](std::size_t n) { return groupedNumber(static_cast<std::int64_t>(n), locale_); };
    const std::string text = (progress.controllers ? number(progress.sourcesDone) + " of "
                                      + number(progress.sourcesTotal) + " controllers done, "
                                                   : std::string())
        + number(progress.accountsRead) + " accounts read";
    // Counted in characters, as a group separator may be more than one byte.
    const std::size_t characters = static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
    const std::size_t wider = shown_ > characters ? shown_ - characters : 0;
    shown_ = characters;
    return "\r" + text + std::string(wider, ' ');
}

std::string ProgressLine::done() const
{
    return shown_ ? "\r" + std::string(shown_, ' ') + "\r" : std::string();
}

} // namespace tramsel
