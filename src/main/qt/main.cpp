// Tramsel's entry on Linux and other Unix systems: the command line, then
// either an answer without a window, with the user's locale loaded as a
// module (Qt Core) where the answer writes dates and numbers, or the window,
// loaded as a module. --help and --version load neither.
#include <langinfo.h>
#include <unistd.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <iconv.h>

#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/command_line.h"
#include "main/qt/window_module.h"
#include "output/writers.h"
#include "platform/modules/loadable_module.h"
#include "directory/source_factory.h"
#include "platform/qt/locale_module.h"

namespace {

// Qt's own options (-platform offscreen, -style fusion, ...), which
// QApplication takes out; before it exists they are passed over.
constexpr std::string_view kQtOptionsWithValue[] = {
    "platform", "platformpluginpath", "platformtheme", "plugin", "display", "geometry",
    "qwindowgeometry", "qwindowicon", "qwindowtitle", "session", "style", "stylesheet"};
constexpr std::string_view kQtFlags[] = {"reverse", "nograb", "dograb", "sync", "widgetcount"};

// An argument as UTF-8, decoded with the codeset of the user's locale (Qt 6
// would take every Unix argument for UTF-8). Bytes that do not decode become
// U+FFFD.
std::string utf8Argument(const char *argument)
{
    const char *codeset = nl_langinfo(CODESET);
    iconv_t decoder = std::strcmp(codeset, "UTF-8") == 0 ? iconv_t(-1) : iconv_open("UTF-8", codeset);
    if (decoder == iconv_t(-1))
        return tramsel::audit::validUtf8(argument);
    std::string in(argument);
    std::string out(in.size() * 4, '\0');
    char *from = in.data();
    char *to = out.data();
    std::size_t fromLeft = in.size();
    std::size_t toLeft = out.size();
    const bool decoded = iconv(decoder, &from, &fromLeft, &to, &toLeft) != std::size_t(-1);
    iconv_close(decoder);
    if (!decoded)
        return tramsel::audit::validUtf8(argument);
    out.resize(out.size() - toLeft);
    return out;
}

bool isSet(const char *name)
{
    const char *value = std::getenv(name);
    return value && *value;
}

// Whether the window has somewhere to go: a platform named for Qt (-platform,
// QT_QPA_PLATFORM: offscreen, vnc ...), an X display or a Wayland session.
// Qt itself would abort without one.
bool hasDisplay(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "-platform" || argument == "--platform" || argument.starts_with("-platform=")
            || argument.starts_with("--platform="))
            return true;
    }
    const char *session = std::getenv("XDG_SESSION_TYPE");
    return isSet("QT_QPA_PLATFORM") || isSet("DISPLAY") || isSet("WAYLAND_DISPLAY")
        || (session && std::string_view(session) == "wayland");
}

std::vector<std::string> arguments(int argc, char *argv[])
{
    // The locale's codeset, for these arguments only: without a window the
    // program runs in the C locale, as before QApplication sets the user's.
    const std::string previous = std::setlocale(LC_CTYPE, nullptr);
    std::setlocale(LC_CTYPE, "");
    std::vector<std::string> out;
    for (int i = 1; i < argc; ++i)
        out.push_back(utf8Argument(argv[i]));
    std::setlocale(LC_CTYPE, previous.c_str());
    return out;
}

void write(const std::string &text, std::FILE *stream) { std::fwrite(text.data(), 1, text.size(), stream); }

int answerWithoutWindow(const tramsel::CommandLine &line)
{
#ifdef __GLIBC__
    // A run that ends soon: memory freed (an audit's tables of every user,
    // built once for each log) stays for the next allocation, instead of
    // going back to the kernel and being faulted in again page by page.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
#endif
    std::optional<tramsel::WindowlessResult> answer = tramsel::plainAnswer(line);
    if (!answer) {
        const auto module = tramsel::loadModule<tramsel::LocaleModule>(tramsel::kLocaleModuleFile,
                                                                       tramsel::kLocaleModuleSymbol);
        if (!module.table) {
            std::fprintf(stderr, "tramsel: the user's locale cannot be read: %s\n", module.error.c_str());
            return tramsel::kExitNotBound;
        }
        const std::unique_ptr<tramsel::Locale> locale = module.table->make();
        tramsel::ProgressLine progress(*locale);
        tramsel::AuditHooks hooks;
        // Progress only where someone watches it.
        if (isatty(STDERR_FILENO))
            hooks.progress = [&progress](const tramsel::Progress &now) {
                write(progress.update(now), stderr);
                std::fflush(stderr);
            };
        // A file or a pipe takes an audit's rows as they come, so that a large
        // listing is never held whole; a terminal gets them after the progress line.
        tramsel::audit::FileOut standardOutput(stdout);
        hooks.terminal = isatty(STDOUT_FILENO);
        if (!hooks.terminal)
            hooks.out = &standardOutput;
        answer = tramsel::runWindowless(line, *locale, tramsel::makeAccountSource, hooks);
        write(progress.done(), stderr);
    }
    const tramsel::WindowlessResult &result = *answer;
    write(result.out, stdout);
    // A full disk shows only once the buffer is flushed, as GNU tools report it.
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        // A reader that went away (| head) ends the program quietly, as it ends ls.
        if (errno == EPIPE) {
            write(result.err, stderr);
            std::signal(SIGPIPE, SIG_DFL);
            std::raise(SIGPIPE);
        }
        const tramsel::WindowlessResult failed = tramsel::writeFailed(std::strerror(errno));
        write(result.err + failed.err, stderr);
        return failed.status;
    }
    write(result.err, stderr);
    return result.status;
}

} // namespace

int main(int argc, char *argv[])
{
    // A peer that closes a connection or a pipe fails the write, instead of
    // ending the program where it stands: a domain controller's socket, or
    // standard output (above).
    std::signal(SIGPIPE, SIG_IGN);

    // Whether a window is needed depends on the command line, so it is read
    // before any application object exists, passing over Qt's options.
    const tramsel::CommandLine line =
        tramsel::parseCommandLine(arguments(argc, argv), {kQtOptionsWithValue, kQtFlags});
    if (!line.error.empty() || line.windowless())
        return answerWithoutWindow(line);

    if (!hasDisplay(argc, argv)) {
        std::fputs(tramsel::kNoDisplayText, stderr);
        return tramsel::kExitBadCommandLine;
    }
    const auto window = tramsel::loadModule<tramsel::WindowModule>(tramsel::kWindowModuleFile,
                                                                   tramsel::kWindowModuleSymbol);
    if (!window.table) {
        std::fprintf(stderr, "tramsel: the window cannot be shown: %s\n", window.error.c_str());
        return tramsel::kExitNotBound;
    }
    return window.table->run(argc, argv, tramsel::makeAccountSource);
}
