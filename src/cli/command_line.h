// The command line, whatever toolkit the program is built with: what it
// asks for, and what the program does without a window.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "report/account_source.h"
#include "report/filters.h"
#include "report/sorting.h"
#include "output/writers.h"

namespace tramsel {

class DirectoryProvider;
class Locale;
struct SourceOptions;

enum ExitStatus { kExitSuccess = 0, kExitNotBound = 1, kExitBadCommandLine = 2, kExitPartial = 3 };

struct CommandLine {
    bool print = false;
    bool audit = false;
    bool help = false;
    bool version = false;
    bool perController = false;           // --per-dc
    std::optional<audit::Format> format;  // nothing: the report (--print) or a table (--audit)
    std::string root;
    std::vector<std::string> servers;
    std::string base;
    bool computers = false;  // --computers: list computer accounts
    audit::Filters filters;
    std::vector<SortKey> sort;                           // --sort; empty: as the source lists them
    std::vector<const Column<AccountRecord> *> columns;  // --columns; empty: the format's own
    bool summary = false;                                // --summary: the counts alone
    std::optional<std::string> account;  // "DOMAIN\user" as typed; with --audit, the DOMAIN
    std::string error;                   // set when the command line is bad

    // Whether the program answers without a window.
    bool windowless() const { return print || audit || help || version; }
};

// Options the toolkit takes for itself (Qt's -platform NAME, -reverse ...),
// which are passed over where they stand.
struct ToolkitOptions {
    std::span<const std::string_view> withValue;
    std::span<const std::string_view> flags;
};

// Reads the arguments after the program's name (UTF-8). Every option may be
// written with one dash or two; a value follows its option or an '='.
CommandLine parseCommandLine(std::span<const std::string> arguments,
                             const ToolkitOptions &toolkit = {});

std::string helpText();

// An account named on the command line, taken apart at its first backslash
// or slash: the domain upper-cased (empty without one), and the reason the
// user name would be refused, if it would.
struct AccountArgument {
    std::string domain;
    std::string userName;
    std::optional<std::string> error;
};
AccountArgument splitAccount(std::string_view argument, const Locale &locale);

// What the program prints without a window (--help, --version, --print,
// --audit): standard output and standard error with LF line ends (CSV's
// rows end in CR LF), and the exit status.
struct WindowlessResult {
    int status = kExitSuccess;
    std::string out;
    std::string err;
};
// What an audit needs besides its source: where its progress goes (nothing:
// not shown) and the clock (nothing: the system's).
struct AuditHooks {
    std::function<void(const Progress &)> progress;
    std::function<DateTime()> now;
    // Where an audit's rows are written as they come (CSV at once; a table
    // and JSON once they are all there); nothing: into the result.
    audit::TextOut *out = nullptr;
    // Standard output is a terminal, where someone reads it: a table's
    // cells are cut at kWidestCell columns, and the counts follow its rows.
    bool terminal = false;
};
inline constexpr std::size_t kWidestCell = 40;

// The answers that need neither the user's locale nor a source: a command
// line in error, --help and --version. Nothing for any other.
std::optional<WindowlessResult> plainAnswer(const CommandLine &line);

WindowlessResult runWindowless(const CommandLine &line, const Locale &locale, const SourceFactory &makeSource,
                               const AuditHooks &hooks = {});

// Standard output could not be written (a full disk): status 1 and why.
WindowlessResult writeFailed(std::string_view reason);

// An audit's progress on a terminal, as one line that rewrites itself.
// update() gives the text to write (nothing while the line is fresh);
// done() the text that wipes the line.
class ProgressLine {
public:
    explicit ProgressLine(const Locale &locale) : locale_(locale) {}
    std::string update(const Progress &progress);
    std::string done() const;

private:
    const Locale &locale_;
    std::size_t shown_ = 0;      // characters on the line now
    std::size_t sourcesDone_ = 0;
    std::int64_t shownAt_ = 0;   // steady clock, milliseconds
};

} // namespace tramsel
