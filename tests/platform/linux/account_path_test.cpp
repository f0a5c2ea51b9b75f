// Which account paths parse, and the checks on names (which host they name:
// in the provider's binding test).
#include <gtest/gtest.h>

#include "report/account_path.h"

namespace tramsel::linux_accounts {
namespace {

TEST(AccountPath, Forms)
{
    const std::string a256(256, 'a');
    // The path, and "domain|user" as parsed, or "-" when it is rejected.
    const std::pair<std::string, std::string> rows[] = {
        {"WinNT://SALES/jdoe,user", "SALES|jdoe"}, {"WinNT://jdoe,user", "|jdoe"},
        {"WinNT://H/" + a256 + ",user", "H|" + a256}, {"WinNT://H/\xc3\xa9mile,user", "H|\xc3\xa9mile"},
        {"", "-"}, {"WinNT://,user", "-"}, {"WinNT:///jdoe,user", "-"}, {"WinNT://SALES/,user", "-"},
        {"WinNT://SALES/jdoe", "-"}, {"winnt://SALES/jdoe,user", "-"}, {"WinNT://SALES/../etc/x,user", "-"},
        {"WinNT://SALES/..,user", "-"}, {"WinNT://SALES/.,user", "-"}, {"WinNT://SALES/a,b,user", "-"},
        {"WinNT://SALES/" + a256 + "a,user", "-"}, {"WinNT://SALES/a\nb,user", "-"},
        {"WinNT://SALES/a\x7f,user", "-"}, {"WinNT://SAL\x01ES/a,user", "-"},
    };
    for (const auto &[path, expected] : rows) {
        const auto parsed = parseAccountPath(path);
        EXPECT_EQ(parsed ? parsed->domain + "|" + parsed->user : "-", expected) << path;
    }
}

} // namespace
} // namespace tramsel::linux_accounts
