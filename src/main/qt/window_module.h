// The window as a module that the program loads only to show it: Qt's
// widgets, its graphics and its platform plugin come with it, so that runs
// without a window (--help, --version, --print) start without them.
#pragma once

#include "cli/command_line.h"
#include "platform/modules/loadable_module.h"

namespace tramsel {

// The window module's table of entry points.
struct WindowModule {
    const char *build = kBuildId;
    // Runs the program with its window, from main()'s own argc and argv
    // (Qt takes its options out of them), reading from the directory the
    // factory makes. Returns the exit status.
    int (*run)(int &argc, char **argv, const SourceFactory &makeSource);
};

inline constexpr const char *kWindowModuleFile = "window.so";
inline constexpr const char *kWindowModuleSymbol = "tramsel_window_module";

// Said when there is no display to show the window on; the status is kExitBadCommandLine.
inline constexpr const char *kNoDisplayText =
    "tramsel: no display; use --print to get the report on standard output\n";

} // namespace tramsel
