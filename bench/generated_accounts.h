// Accounts with values drawn at random, as a domain's might be, for the
// benchmarks of sorting and of the audit window.
#pragma once

#include <cstdint>
#include <random>
#include <string>

#include "report/account_source.h"

namespace tramsel::bench {

inline AccountRecord generatedAccount(std::mt19937_64 &random)
{
    const auto known = [&](int percent) { return static_cast<int>(random() % 100) < percent; };
    const auto time = [&] { return *DateTime::fromUnixSeconds(1'600'000'000 + static_cast<std::int64_t>(random() % 200'000'000)); };
    AccountRecord r;
    r.user = "user" + std::to_string(random() % 1'000'000'000);
    r.account = "SALES\\" + r.user;
    if (known(80))
        r.fullName = "Full Name " + std::to_string(random() % 100'000);
    r.usage.lastLogin = known(70) ? Known<DateTime>(time()) : Known<DateTime>::none();
    r.usage.lastLogoff = Known<DateTime>::none();
    r.usage.lastFailedLogin = known(30) ? Known<DateTime>(time()) : Known<DateTime>::none();
    r.usage.badLoginCount = static_cast<std::int64_t>(random() % 6);
    r.usage.passwordExpires = known(90) ? Known<DateTime>(time()) : Known<DateTime>::none();
    r.usage.passwordMaxAge = MaxPasswordAge{42, known(10)};
    r.disabled = known(10);
    r.locked = known(1);
    r.controllersAnswered = r.controllersAsked = 2;
    return r;
}

} // namespace tramsel::bench
