// A command-line driver of the Linux provider for the real-tools test and the
// benchmark: prints the account usage report of DOMAIN\user to stdout.
//   tramsel_print_usage [--print] [--root DIR] DOMAIN\user
//   tramsel_print_usage --version
#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>

#include "platform/provider_factory.h"
#include "report/account_usage.h"
#include "report/locale.h"
#include "report/report_view.h"

namespace {

std::string formatted(const char *format, int a, int b, int c)
{
    char text[32];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

// ISO dates and 24-hour times, so that the scripts can compare them.
class IsoLocale final : public tramsel::Locale {
public:
    std::string toUpper(std::string_view text) const override
    {
        std::string upper(text);
        std::transform(upper.begin(), upper.end(), upper.begin(),
                       [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; });
        return upper;
    }
    std::string dateText(const tramsel::CivilDateTime &d) const override
    {
        return formatted("%04d-%02d-%02d", d.year, d.month, d.day);
    }
    std::string timeText(const tramsel::CivilDateTime &d) const override
    {
        return formatted("%02d:%02d:%02d", d.hour, d.minute, d.second);
    }
    std::string clockText(const tramsel::CivilDateTime &d) const override
    {
        return timeText(d).substr(0, 5);
    }
    std::string decimalSeparator() const override { return "."; }
};

class StdoutView final : public tramsel::ReportView {
public:
    void replaceReportText(const std::string &text) override { std::fwrite(text.data(), 1, text.size(), stdout); }
};

} // namespace

int main(int argc, char **argv)
{
    tramsel::ProviderOptions options;
    std::string_view account;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--version") {
            std::puts("tramsel_print_usage 2.0");
            return 0;
        }
        if (arg == "--print")
            continue;  // accepted as the program accepts it: printing is all this does
        if (arg == "--root" && i + 1 < argc)
            options.root = argv[++i];
        else
            account = arg;
    }
    const auto backslash = account.find('\\');
    if (account.empty() || backslash == std::string_view::npos) {
        std::fputs("usage: tramsel_print_usage [--root DIR] DOMAIN\\user\n", stderr);
        return 2;
    }
    const auto provider = tramsel::makeDirectoryProvider(options);
    IsoLocale locale;
    StdoutView view;
    const bool bound = tramsel::ShowAccountUsage(account.substr(0, backslash),
                                                 account.substr(backslash + 1),
                                                 {*provider, locale, view});
    return bound ? 0 : 1;
}
