// The pure parts of the Active Directory source: filter escaping,
// FILETIMEs, an account's state and the domain's DNS name.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <limits>

#include "directory/ad/ad_source.h"
#include "directory/ad/ad_domain.h"
#include "directory/ad/ad_state.h"
#include "directory/ad/ad_values.h"

namespace tramsel::ad {
namespace {

constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::max();
// 2024-05-01 09:00:00 UTC, and five seconds later.
constexpr std::int64_t kMay1 = 133590276000000000;
constexpr std::int64_t kLater = kMay1 + 50'000'000;

std::string civilText(std::optional<DateTime> t)
{
    char text[32] = "none";
    if (const auto c = t ? std::optional(t->civil()) : std::nullopt)
        std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", c->year, c->month, c->day, c->hour, c->minute, c->second);
    return text;
}

std::string numberText(std::optional<std::int64_t> n) { return n ? std::to_string(*n) : "none"; }

TEST(AdValues, TextsAndNumbersInAndOut)
{
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    const std::pair<std::string, std::string> rows[] = {
        // A filter value escaped, and the filter for a person (a computer's: the Samba run).
        {accountFilter("a)(cn=*\xc3\xa9\\"), "(&(objectCategory=person)(objectClass=user)(sAMAccountName=a\\29\\28cn=\\2a\\c3\\a9\\5c))"},
        // A naming context's DNS name: its DC= parts, whatever their case and spacing.
        {dnsNameOf("DC=Corp, OU=x,dc=a,DC=Example"), "corp.a.example"},
        {isHostName("AZaz09-._.test") && !isHostName("dc1 .test") ? "host names" : "no", "host names"},
        // Integers, or nothing.
        {numberText(integerValue("12x")), "none"}, {numberText(integerValue("9223372036854775808")), "none"},
        // FILETIMEs: the fraction dropped; zero (never happened) and never are none.
        {civilText(fileTimeToInstant(kMay1 + 9'999'999)), "2024-05-01 09:00:00"},
        {civilText(fileTimeToInstant(0)), "none"}, {civilText(fileTimeToInstant(kNever)), "none"},
        // whenCreated.
        {civilText(generalizedTimeToInstant("20240501090000.0+0100")), "none"},
        {civilText(generalizedTimeToInstant("202405x1090000Z")), "none"}, {civilText(generalizedTimeToInstant("")), "none"},
        {civilText(generalizedTimeToInstant("20240501090059.0Z")), "2024-05-01 09:00:59"},
        // The maximum password age in seconds: never as 0 or the smallest number; positive is no age.
        {numberText(passwordAgeSeconds(0)), "0"}, {numberText(passwordAgeSeconds(kMin)), "0"},
        {numberText(passwordAgeSeconds(5)), "none"},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(rows[i].first, rows[i].second) << "row " << i;
}

TEST(AdDomain, DnsNameFromConfiguration)
{
    const std::string smb = "[global]\n  workgroup = SALES\n  realm = SALES.TEST\n";
    const std::string sssd = "[sssd]\ndomains = corp.example\n[domain/CORP]\nad_domain = Corp.Example\n";
    const struct { const char *name, *domain; ConfigTexts config; std::optional<std::string> dns; } rows[] = {
        {"smb.conf workgroup and realm", "sales", {smb, sssd, ""}, "sales.test"},
        {"sssd domain section", "CORP", {smb, sssd, ""}, "corp.example"},
        {"commented out", "SALES", {"[global]\n; workgroup = SALES\n# realm = SALES.TEST\n", "", ""}, std::nullopt},
        {"krb5.conf's default realm, not one in a block", "SALES",
         {"", "", "[libdefaults]\n x = {\n  default_realm = SALES.WRONG\n }\n default_realm = Sales.Example\n"}, "sales.example"},
    };
    for (const auto &row : rows)
        EXPECT_EQ(dnsDomainFor(row.domain, row.config), row.dns) << row.name;
}

TEST(AdState, Rules)
{
    constexpr std::int64_t kHour = 36'000'000'000;
    const std::int64_t now = kMay1;
    // No computed bits: the lockout time and duration decide.
    const DcAnswer lockedAnHourAgo{.userAccountControl = 0x200, .lockoutTime = now - kHour, .accountExpires = kNever,
                                   .lockoutDuration = -2 * kHour};
    DcAnswer untilUnlocked = lockedAnHourAgo, computedLock = lockedAnHourAgo;
    computedLock.lockoutDuration = -kHour / 2;
    untilUnlocked.lockoutDuration = std::numeric_limits<std::int64_t>::min();
    computedLock.userAccountControlComputed = 0x10;  // a controller's own word wins
    DcAnswer computedNothing = lockedAnHourAgo, lockedLongAgo = lockedAnHourAgo;
    computedNothing.userAccountControlComputed = 0;
    lockedLongAgo.lockoutTime = now - 3 * kHour;  // a controller that missed the latest lockout
    const DcAnswer expiring{.userAccountControl = 0x200, .passwordExpiryComputed = now - 1, .accountExpires = kLater};

    struct State { std::optional<bool> disabled, locked; std::string expires; std::optional<bool> passwordExpired; };
    const struct { const char *name; std::vector<DcAnswer> answers; State state; } rows[] = {
        {"the latest lockout time of any controller", {lockedLongAgo, lockedAnHourAgo}, {false, true, "none", {}}},
        {"locked until unlocked", {untilUnlocked}, {false, true, "none", {}}},
        {"computed lock on any controller", {computedNothing, computedLock}, {false, true, "none", false}},
        {"expiring account, password expired", {expiring}, {false, {}, "2024-05-01 09:00:05", true}},
    };
    for (const auto &row : rows) {
        const AccountState got = accountState(row.answers, mergeAnswers(row.answers), now);
        EXPECT_EQ(std::tuple(got.disabled, got.locked, civilText(got.accountExpires), got.passwordExpired),
                  std::tuple(row.state.disabled, row.state.locked, row.state.expires, row.state.passwordExpired))
            << row.name;
    }
}

} // namespace
} // namespace tramsel::ad
