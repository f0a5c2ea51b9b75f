// The checks every account name passes before a source may look it up.
#include <gtest/gtest.h>

#include "report/account_path.h"

namespace tramsel {
namespace {

TEST(AccountPath, SafeAccounts)
{
    const std::string a256(256, 'a');
    // "domain|user", and whether a source may look it up.
    const std::pair<AccountName, bool> rows[] = {
        {{"SALES", "jdoe"}, true}, {{"", "jdoe"}, true}, {{"H", a256}, true}, {{"H", "\xc3\xa9mile"}, true},
        {{"", ""}, false}, {{"SALES", ""}, false}, {{"SALES", "../etc/x"}, false}, {{"SALES", ".."}, false},
        {{"SALES", "."}, false}, {{"SALES", "a,b"}, false}, {{"SALES", a256 + "a"}, false},
        {{"SALES", "a\nb"}, false}, {{"SALES", "a\x7f"}, false}, {{"SAL\x01" "ES", "a"}, false},
        {{"A/B", "c"}, false}, {{"..", "c"}, false},
    };
    for (const auto &[name, safe] : rows)
        EXPECT_EQ(isSafeAccount(name), safe) << name.domain << "|" << name.user;
}

} // namespace
} // namespace tramsel
