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

namespace tramsel {

class DirectoryProvider;
class Locale;
struct ProviderOptions;

enum ExitStatus { kExitSuccess = 0, kExitNotBound = 1, kExitBadCommandLine = 2, kExitPartial = 3 };

struct CommandLine {
    bool print = false;
    bool help = false;
    bool version = false;
    std::string root;
    std::vector<std::string> servers;
    std::optional<std::string> account;  // "DOMAIN\user" as typed
    std::string error;                   // set when the command line is bad

    // Whether the program answers without a window.
    bool windowless() const { return print || help || version; }
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

// An account named on the command line, taken apart at its first backslash:
// the domain upper-cased (empty without a backslash), and the reason the
// user name would be refused, if it would.
struct AccountArgument {
    std::string domain;
    std::string userName;
    std::optional<std::string> error;
};
AccountArgument splitAccount(std::string_view argument, const Locale &locale);

// What the program prints without a window (--help, --version, --print):
// standard output and standard error with LF line ends, and the exit status.
struct WindowlessResult {
    int status = kExitSuccess;
    std::string out;
    std::string err;
};
using ProviderFactory = std::function<std::unique_ptr<DirectoryProvider>(const ProviderOptions &)>;
WindowlessResult runWindowless(const CommandLine &line, const Locale &locale,
                               const ProviderFactory &makeProvider);

} // namespace tramsel
