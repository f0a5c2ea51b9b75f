// Times sortRecords over generated accounts: once by a column of each kind,
// ascending and descending, and by two keys. See sort_rows.sh.
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "generated_accounts.h"
#include "report/sorting.h"

using namespace tramsel;

namespace {

std::vector<AccountRecord> accounts(std::size_t count)
{
    std::mt19937_64 random(42);
    std::vector<AccountRecord> rows(count);
    for (AccountRecord &r : rows)
        r = bench::generatedAccount(random);
    return rows;
}

} // namespace

int main(int argc, char **argv)
{
    const std::size_t count = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100'000;
    const std::vector<AccountRecord> generated = accounts(count);
    const auto time = [&](const char *label, std::vector<SortKey> keys) {
        std::vector<AccountRecord> rows = generated;
        const auto start = std::chrono::steady_clock::now();
        const std::clock_t cpuStart = std::clock();
        sortRecords(rows, keys);
        const double cpu = 1000.0 * static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
        const auto ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        std::printf("%-38s %8.1f ms %8.1f ms\n", label, ms, cpu);
    };
    std::printf("sorting %zu accounts                  elapsed      CPU\n", count);
    time("text: account", {{accountColumn("account")}});
    time("text: fullName, descending", {{accountColumn("fullName"), true}});
    time("time: lastLogin", {{accountColumn("lastLogin")}});
    time("time: lastFailedLogin, descending", {{accountColumn("lastFailedLogin"), true}});
    time("count: badLoginCount", {{accountColumn("badLoginCount")}});
    time("days: passwordMaxAgeDays", {{accountColumn("passwordMaxAgeDays")}});
    time("flag: locked", {{accountColumn("locked")}});
    time("flag, then time: disabled,-lastLogin", {{accountColumn("disabled")}, {accountColumn("lastLogin"), true}});
}
