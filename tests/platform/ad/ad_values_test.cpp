// The pure parts of the Active Directory provider: filter escaping,
// FILETIMEs, the controllers' merge and the domain's DNS name.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <limits>

#include "directory/ad/ad_source.h"
#include "directory/ad/ad_directory.h"
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
    if (!t)
        return "none";
    const CivilDateTime c = t->civil();
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", c.year, c.month, c.day, c.hour,
                  c.minute, c.second);
    return text;
}

TEST(AdValues, FilterEscaping)
{
    const struct { const char *name; std::string in, out; } rows[] = {
        {"plain", "jdoe", "jdoe"}, {"wildcard", "j*", "j\\2a"}, {"parentheses", "a)(cn=*", "a\\29\\28cn=\\2a"},
        {"backslash", "a\\b", "a\\5cb"}, {"NUL", std::string("a\0b", 3), "a\\00b"},
        {"non-ASCII", "\xc3\xa9mile", "\\c3\\a9mile"}, {"control and DEL", "\t\x7f", "\\09\\7f"},
    };
    for (const auto &row : rows)
        EXPECT_EQ(escapeFilterValue(row.in), row.out) << row.name;
}

TEST(AdValues, IntegerOrNothing)
{
    const struct { const char *text; std::optional<std::int64_t> value; } rows[] = {
        {"133590276000000000", 133590276000000000}, {"-36288000000000", -36288000000000},
        {"", std::nullopt}, {"12x", std::nullopt}, {" 1", std::nullopt}, {"+1", std::nullopt},
        {"9223372036854775808", std::nullopt}, {"1.5", std::nullopt},
    };
    for (const auto &row : rows)
        EXPECT_EQ(integerValue(row.text), row.value) << row.text;
}

TEST(AdValues, AccountFilter)
{
    EXPECT_EQ(accountFilter("j*"), "(&(objectCategory=person)(objectClass=user)(sAMAccountName=j\\2a))");
    EXPECT_EQ(accountFilter("DC1$"), "(&(objectCategory=computer)(sAMAccountName=DC1$))");
}

TEST(AdValues, FileTimeToInstant)
{
    const struct { const char *name; std::int64_t fileTime; std::string utc; } rows[] = {
        {"UTC", kMay1, "2024-05-01 09:00:00"}, {"fraction dropped", kMay1 + 9'999'999, "2024-05-01 09:00:00"},
        {"the Unix epoch", 116444736000000000, "1970-01-01 00:00:00"}, {"zero: never happened", 0, "none"},
        {"never", kNever, "none"}, {"negative", -1, "none"},
    };
    for (const auto &row : rows)
        EXPECT_EQ(civilText(fileTimeToInstant(row.fileTime)), row.utc) << row.name;
}

TEST(AdValues, MergeOfControllers)
{
    DcAnswer first, second;
    first.lastLogon = kMay1;
    first.lastLogonTimestamp = kMay1 - 1;
    first.badPwdCount = 2;
    first.badPasswordTime = kLater;
    first.maxPasswordAge = -36288000000000;  // 42 days
    second.lastLogon = kLater;
    second.lastLogoff = 0;
    second.badPwdCount = 0;
    second.badPasswordTime = kMay1;
    second.passwordExpiryComputed = kNever;
    second.maxPasswordAge = std::numeric_limits<std::int64_t>::min();
    DcAnswer derived;  // a controller that cannot compute the expiry
    derived.pwdLastSet = kMay1;
    derived.userAccountControl = 0x200;
    derived.maxPasswordAge = -36288000000000;
    DcAnswer neverExpires = derived;
    neverExpires.userAccountControl = 0x10200;
    DcAnswer psoUnreadable;  // the expiry, but no maximum age
    psoUnreadable.pwdLastSet = kMay1;
    psoUnreadable.passwordExpiryComputed = kMay1 + 6048000000000;

    const struct { const char *name; std::vector<DcAnswer> answers; MergedUsage merged; } rows[] = {
        {"latest times, largest count, first policy", {first, second},
         {kLater, std::nullopt, kLater, 2, kNever, -36288000000000, std::nullopt}},
        {"order of controllers", {second, first},
         {kLater, std::nullopt, kLater, 2, kNever, std::numeric_limits<std::int64_t>::min(), std::nullopt}},
        {"no attributes: nothing happened", {DcAnswer{}}, {}},
        {"expiry from the password age", {derived}, {{}, {}, {}, 0, kMay1 + 36288000000000, -36288000000000, kMay1}},
        {"password never expires", {neverExpires}, {{}, {}, {}, 0, kNever, -36288000000000, kMay1}},
        {"age from the expiry", {psoUnreadable}, {{}, {}, {}, 0, kMay1 + 6048000000000, -6048000000000, kMay1}},
    };
    const auto fields = [](const MergedUsage &m) {
        return std::tuple(m.lastLogin, m.lastLogoff, m.lastFailedLogin, m.badLoginCount, m.passwordExpiry,
                          m.maxPasswordAge, m.passwordLastSet);
    };
    for (const auto &row : rows)
        EXPECT_EQ(fields(mergeAnswers(row.answers)), fields(row.merged)) << row.name;
}

TEST(AdValues, PasswordLastChangedIsPwdLastSet)
{
    const struct { const char *name; std::optional<std::int64_t> pwdLastSet; std::string utc; } rows[] = {
        {"set", kMay1, "2024-05-01 09:00:00"}, {"to change at the next login", 0, "none"},
        {"not readable", std::nullopt, "none"},
    };
    for (const auto &row : rows) {
        DcAnswer answer;
        answer.pwdLastSet = row.pwdLastSet;
        const auto changed = accountUsage(mergeAnswers({answer})).passwordLastChanged;
        EXPECT_TRUE(changed.known()) << row.name;
        EXPECT_EQ(civilText(changed.optional()), row.utc) << row.name;
    }
}

TEST(AdValues, MaxPasswordAgeSeconds)
{
    const struct { const char *name; std::int64_t interval; std::optional<std::int64_t> seconds; } rows[] = {
        {"42 days", -36288000000000, 3628800}, {"never as 0", 0, 0},
        {"never as the smallest number", std::numeric_limits<std::int64_t>::min(), 0},
        {"positive is not an age", 5, std::nullopt},
    };
    for (const auto &row : rows)
        EXPECT_EQ(passwordAgeSeconds(row.interval), row.seconds) << row.name;
}

TEST(AdDomain, DnsNameFromConfiguration)
{
    const std::string smb = "[global]\n  workgroup = SALES\n  realm = SALES.TEST\n";
    const std::string sssd = "[sssd]\ndomains = corp.example\n[domain/CORP]\nad_domain = Corp.Example\n";
    const std::string krb5 = "[realms]\n HR.EXAMPLE = {\n  kdc = x\n }\n[libdefaults]\n default_realm = HR.EXAMPLE\n";
    const struct { const char *name, *domain; ConfigTexts config; std::optional<std::string> dns; } rows[] = {
        {"DNS name as typed", "Sales.Test", {}, "sales.test"},
        {"smb.conf workgroup and realm", "sales", {smb, sssd, krb5}, "sales.test"},
        {"sssd domain section", "CORP", {smb, sssd, krb5}, "corp.example"},
        {"krb5.conf default realm", "HR", {smb, sssd, krb5}, "hr.example"},
        {"workgroup without realm", "SALES", {"[global]\nworkgroup = SALES\n", "", ""}, std::nullopt},
        {"realm of another workgroup", "SALES", {"[global]\nworkgroup = X\nrealm = Y.TEST\n", "", ""}, std::nullopt},
        {"commented out", "SALES", {"[global]\n; workgroup = SALES\n# realm = SALES.TEST\n", "", ""}, std::nullopt},
        {"nothing configured", "SALES", {}, std::nullopt},
    };
    for (const auto &row : rows)
        EXPECT_EQ(dnsDomainFor(row.domain, row.config), row.dns) << row.name;
}

TEST(AdDomain, WhatTheControllerServes)
{
    EXPECT_EQ(dnsNameOf("DC=Sales,dc=Example, DC=com"), "sales.example.com");
    const struct { const char *typed, *reason; } rows[] = {
        {"sales", ""}, {"Sales.Test", ""}, {"other", "dc1.sales.test serves SALES, not OTHER"},
        {"other.test", "dc1.sales.test serves sales.test, not other.test"},
    };
    for (const auto &row : rows)
        EXPECT_EQ(domainMismatch("dc1.sales.test", row.typed, "sales.test", "SALES"), row.reason) << row.typed;
}

TEST(AdValues, WhenCreated)
{
    const struct { const char *text; std::string utc; } rows[] = {
        {"20240501090000.0Z", "2024-05-01 09:00:00"}, {"20240501090000Z", "2024-05-01 09:00:00"},
        {"20240501090000.0+0100", "none"}, {"2024050109000x.0Z", "none"}, {"20241301090000.0Z", "none"}, {"", "none"},
    };
    for (const auto &row : rows)
        EXPECT_EQ(civilText(generalizedTimeToInstant(row.text)), row.utc) << row.text;
}

TEST(AdState, Rules)
{
    constexpr std::int64_t kHour = 36'000'000'000;
    const std::int64_t now = kMay1;
    DcAnswer plain;
    plain.userAccountControl = 0x200;
    plain.accountExpires = kNever;
    DcAnswer disabled = plain;
    disabled.userAccountControl = 0x202;
    disabled.accountExpires = 0;
    DcAnswer lockedAnHourAgo = plain;  // no computed bits: the lockout time and duration decide
    lockedAnHourAgo.lockoutTime = now - kHour;
    lockedAnHourAgo.lockoutDuration = -2 * kHour;
    DcAnswer runOut = lockedAnHourAgo;
    runOut.lockoutDuration = -kHour / 2;
    DcAnswer untilUnlocked = runOut;
    untilUnlocked.lockoutDuration = std::numeric_limits<std::int64_t>::min();
    DcAnswer computedLock = runOut;  // a controller's own word wins
    computedLock.userAccountControlComputed = 0x10;
    DcAnswer computedNothing = lockedAnHourAgo;
    computedNothing.userAccountControlComputed = 0;
    DcAnswer lockedLongAgo = lockedAnHourAgo;  // a controller that missed the latest lockout
    lockedLongAgo.lockoutTime = now - 3 * kHour;
    DcAnswer expiring = plain;
    expiring.accountExpires = kLater;
    expiring.passwordExpiryComputed = now - 1;
    DcAnswer mustChange = plain;
    mustChange.userAccountControlComputed = 0x800000;

    struct State { std::optional<bool> disabled, locked; std::string expires; std::optional<bool> passwordExpired; };
    const struct { const char *name; std::vector<DcAnswer> answers; State state; } rows[] = {
        {"nothing read", {DcAnswer{}}, {{}, {}, "none", {}}},
        {"enabled, never expires", {plain}, {false, {}, "none", {}}},
        {"disabled, expiry 0", {disabled}, {true, {}, "none", {}}},
        {"locked within the duration", {lockedAnHourAgo}, {false, true, "none", {}}},
        {"lockout run out", {runOut}, {false, false, "none", {}}},
        {"the latest lockout time of any controller", {lockedLongAgo, lockedAnHourAgo}, {false, true, "none", {}}},
        {"locked until unlocked", {untilUnlocked}, {false, true, "none", {}}},
        {"computed lock on any controller", {computedNothing, computedLock}, {false, true, "none", false}},
        {"computed: not locked", {computedNothing}, {false, false, "none", false}},
        {"expiring account, password expired", {expiring}, {false, {}, "2024-05-01 09:00:05", true}},
        {"password expired by the computed bit", {mustChange}, {false, false, "none", true}},
    };
    for (const auto &row : rows) {
        const AccountState got = accountState(row.answers, mergeAnswers(row.answers), now);
        EXPECT_EQ(std::tuple(got.disabled, got.locked, civilText(got.accountExpires), got.passwordExpired),
                  std::tuple(row.state.disabled, row.state.locked, row.state.expires, row.state.passwordExpired))
            << row.name;
    }
}

TEST(AdCatalog, RowAgreesWithTheReport)
{
    DcAnswer first, second;
    first.lastLogon = kMay1;
    first.badPwdCount = 1;
    first.pwdLastSet = kMay1;
    first.passwordExpiryComputed = kNever;
    first.displayName = "Doe, \"J\" \xc3\x89mile";
    first.whenCreated = generalizedTimeToInstant("20240501090000.0Z");
    second.lastLogon = kLater;
    second.badPwdCount = 3;
    second.whenCreated = fileTimeToInstant(kLater);
    const std::vector<DcAnswer> answers{first, second};
    const AccountRecord r = accountRecord("SALES\\jdoe", "jdoe", answers, 3, kLater);
    // The row holds what the report of this account shows, and its state.
    const MergedUsage merged = mergeAnswers(answers);
    EXPECT_EQ(r.usage, accountUsage(merged));
    const AccountState state = accountState(answers, merged, kLater);
    EXPECT_EQ(std::tuple(r.disabled, r.locked, r.accountExpires, r.passwordExpired),
              std::tuple(state.disabled, state.locked, state.accountExpires, state.passwordExpired));
    EXPECT_EQ(r.usage.badLoginCount, Known<std::int64_t>(3));  // merged, not the first controller's
    EXPECT_EQ(std::tuple(r.account, r.user, r.fullName, civilText(r.created), r.controllersAnswered, r.controllersAsked),
              std::tuple(std::string("SALES\\jdoe"), std::string("jdoe"), first.displayName,
                         std::string("2024-05-01 09:00:00"), 2, 3));
}

TEST(AdDirectory, BaseWithinTheDomain)
{
    const struct { const char *dn; bool within; } rows[] = {
        {"DC=sales,DC=test", true}, {"OU=Staff, DC=Sales,DC=TEST", true}, {"OU=Staff,DC=other,DC=test", false},
        {"DC=subsales,DC=test", false}, {"", false},
    };
    for (const auto &row : rows)
        EXPECT_EQ(isWithin(row.dn, "DC=sales,DC=test"), row.within) << row.dn;
}

} // namespace
} // namespace tramsel::ad
