// The audit window without a toolkit: what Save As writes against the
// command line's bytes, the status line and what Ctrl+C copies.
#include <gtest/gtest.h>

#include "audit/audit_window.h"
#include "cli/command_line.h"
#include "support/fakes.h"

namespace tramsel::audit_window {
namespace {

const DateTime kNow = *DateTime::instantFromCivil({2026, 12, 7, 12, 0, 0});

AccountRecord account(std::string user, std::optional<int> loginDay, std::optional<bool> locked,
                      std::optional<std::string> fullName = {})
{
    AccountRecord r;
    r.account = "SALES\\" + user;
    r.user = std::move(user);
    r.fullName = std::move(fullName);
    r.usage.lastLogin = loginDay ? Known(*DateTime::instantFromCivil({2026, 12, *loginDay, 9, 0, 0}))
                                 : Known<DateTime>::none();
    r.locked = locked;
    r.disabled = false;
    r.controllersAnswered = r.controllersAsked = 2;
    return r;
}

// Listed in the user-name order a domain's listing has.
std::vector<AccountRecord> listed()
{
    AccountRecord dee = account("dee", 6, true, "Dee, Tab\there");
    dee.disabled = true;
    return {account("ann", 6, false, "Ann =Lee"), account("bob", std::nullopt, true), account("cy", 1, std::nullopt),
            dee};
}

Listing twoControllers(bool secondAnswered = true)
{
    Listing l;
    l.domain = "SALES";
    l.sources = {{"ldap://dc1.sales.test", true, {}}, {"ldap://dc2.sales.test", secondAnswered, {}}};
    if (!secondAnswered) {
        l.sources[1].error = "Can't contact LDAP server";
        l.missing = {"dc2.sales.test: Can't contact LDAP server"};
    }
    return l;
}

Rows rowsOf(const FilterControls &controls, const testing::FakeLocale &locale)
{
    Rows rows;
    for (AccountRecord r : listed())
        rows.add(std::move(r));
    rows.setFilters(filtersOf(controls), audit::nowAt(kNow, locale));
    rows.refresh();
    return rows;
}

TEST(AuditWindow, SavesTheBytesTheCommandLinePrints)
{
    struct Case {
        audit::Format format;
        FilterControls controls;
        std::vector<std::string> options;
        const char *sortedBy = nullptr;
        bool descending = true;
    };
    const Case cases[] = {
        {audit::Format::Csv, {}, {"--format", "csv"}},
        {audit::Format::Json, {.inactive = true, .inactiveDays = 3}, {"--format", "json", "--inactive", "3"}},
        {audit::Format::Csv, {.locked = true, .state = State::Enabled}, {"--format=CSV", "--locked", "--enabled"}},
        {audit::Format::Json, {.neverLoggedIn = true}, {"--format", "json", "--never-logged-in"}},
        {audit::Format::Csv, {}, {"--format", "csv", "--sort", "-lastLogin"}, "lastLogin"},
        {audit::Format::Json, {.inactive = true}, {"--format", "json", "--inactive=90", "--sort=-locked"}, "locked"},
        {audit::Format::Csv, {}, {"--format", "csv", "--sort", "locked"}, "locked", false},  // ties keep their order
    };
    const testing::FakeLocale locale;
    for (const Case &c : cases) {
        testing::ScriptedSource source;
        source.records = listed();
        source.listing = twoControllers();
        std::vector<std::string> arguments{"--audit", "sales"};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        const WindowlessResult printed = runWindowless(
            parseCommandLine(arguments), locale,
            [&](const SourceOptions &) { return std::make_unique<testing::ScriptedSource>(source); },
            {.progress = {}, .now = [] { return kNow; }, .out = nullptr});
        Rows rows = rowsOf(c.controls, locale);
        if (c.sortedBy) {
            rows.sortBy(static_cast<std::size_t>(accountColumn(c.sortedBy) - accountColumns().data()), c.descending);
            rows.refresh();
        }
        EXPECT_EQ(savedText(c.format, rows, twoControllers(), kNow, locale), printed.out) << c.options.back();
    }
}

TEST(AuditWindow, StatusLineAndCopiedText)
{
    const testing::FakeLocale locale;
    Rows rows = rowsOf({}, locale);
    for (int i = 0; i < 1111; ++i)
        rows.add(account("u" + std::to_string(i), 1, false));
    rows.setFind("EE");  // ann's full name, dee's account
    rows.refresh();

    struct Case {
        const char *name;
        Listing listing;
        Status status;
    };
    Listing none = twoControllers(false);
    none.sources[0] = {"ldap://dc1.sales.test", false, "Timed out"};
    Listing local;
    local.sources = {{"/", true, {}}};
    local.unread = {"/var/log/btmp: Permission denied; failed logins are unknown"};
    Listing winNT;
    winNT.sources = {{"WinNT://SALES", true, {}}};
    const Case cases[] = {
        {"every controller", twoControllers(), {"1,115 accounts, 2 shown; 2 of 2 controllers answered", false, ""}},
        {"one missing", twoControllers(false),
         {"1,115 accounts, 2 shown; 1 of 2 controllers answered; dc2.sales.test is missing", true,
          "dc2.sales.test: Can't contact LDAP server"}},
        {"none answered", none,
         {"no source answered: ldap://dc1.sales.test: Timed out; ldap://dc2.sales.test: Can't contact LDAP server",
          true, "ldap://dc1.sales.test: Timed out\nldap://dc2.sales.test: Can't contact LDAP server"}},
        {"a WinNT container, no controller", winNT, {"1,115 accounts, 2 shown", false, ""}},
        {"local, unread", local,
         {"1,115 accounts, 2 shown; some values are unknown", true,
          "/var/log/btmp: Permission denied; failed logins are unknown"}},
    };
    for (const Case &c : cases) {
        const Status s = finishedStatus(c.listing, rows, locale);
        EXPECT_EQ(std::tie(s.text, s.warning, s.toolTip), std::tie(c.status.text, c.status.warning, c.status.toolTip))
            << c.name;
    }

    // Columns hide and show again; the last one shown stays.
    VisibleColumns visible;
    const std::vector<std::size_t> shown = visible.indices();
    visible.toggle(shown[1]);
    EXPECT_FALSE(visible.visible(shown[1]));
    visible.toggle(shown[1]);
    for (const std::size_t column : shown)
        visible.toggle(column);
    EXPECT_EQ(visible.indices(), std::vector<std::size_t>{shown.back()});

    const std::vector<std::size_t> selected{1, 0}, columns{0, 2, 3};
    EXPECT_EQ(copiedText(rows, selected, columns, locale),
              "account\tfullName\tlastLogin\r\n"
              "SALES\\ann\tAnn =Lee\t12/6/2026 9:00:00 AM\r\n"
              "SALES\\dee\tDee, Tab here\t12/6/2026 9:00:00 AM\r\n");
}

} // namespace
} // namespace tramsel::audit_window
