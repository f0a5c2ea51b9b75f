// The ADSI audit listing the users of a scripted WinNT container.
#include <gtest/gtest.h>

#include "fake_com.h"
#include "directory/adsi/adsi_source.h"
#include "report/columns.h"
#include "support/fakes.h"

namespace tramsel {
namespace {

using win::testing::FakeAds;
using win::testing::FakeContainer;
using win::testing::Fill;
using win::testing::of;

Fill number(LONG n) { return of(VT_I4, [=](VARIANT &v) { V_I4(&v) = n; }); }
Fill boolean(bool b) { return of(VT_BOOL, [=](VARIANT &v) { V_BOOL(&v) = b ? VARIANT_TRUE : VARIANT_FALSE; }); }
Fill date(double d) { return of(VT_DATE, [=](VARIANT &v) { V_DATE(&v) = d; }); }
Fill text(const wchar_t *t) { return of(VT_BSTR, [=](VARIANT &v) { V_BSTR(&v) = SysAllocString(t); }); }

// What was bound, and the listing: its domain, failure and sources, then one
// row a user with every column as the report shows it (times in UTC).
std::pair<std::vector<std::wstring>, std::vector<std::string>> list(FakeContainer &container, const Request &request,
                                                                    HRESULT bindResult = S_OK)
{
    std::vector<std::wstring> bound;
    std::vector<std::string> rows;
    const auto bind = [&](const std::wstring &path, IADsContainer **out) {
        bound.push_back(path);
        if (SUCCEEDED(bindResult))
            *out = &container, container.AddRef();
        return bindResult;
    };
    AdsiAccountSource source(*win::TimeZone::named(L"UTC"), [] { return DateTime(); }, bind);
    const Listing listing = source.list(request, [&](AccountRecord &&record) {
        std::string cells;
        for (const auto &column : accountColumns())
            cells.append(column.key).append("=").append(reportText(column.cell(record), testing::FakeLocale())) += ';';
        rows.push_back(cells);
    }, [](const Progress &) {});
    std::string summary = listing.domain + "|" + listing.failure.text;
    for (const Source &s : listing.sources)
        summary += "|" + s.name + (s.answered ? " answered " : " unanswered ") + s.error;
    rows.insert(rows.begin(), summary);
    return {bound, rows};
}

TEST(AdsiAccountSource, ListsEveryUserWithTheReportsValuesAndItsState)
{
    FakeAds jdoe, asmith;
    jdoe.name = L"jdoe";
    jdoe.properties = {{L"FullName", text(L"John Doe")}, {L"LastLogin", date(46357.5)},
                       {L"PasswordExpirationDate", date(46447)}, {L"MaxPasswordAge", number(120 * 86400)},
                       {L"PasswordExpired", number(0)}, {L"AccountExpirationDate", date(25569)}};
    jdoe.methods = {{L"AccountDisabled", boolean(false)}, {L"IsAccountLocked", boolean(true)}};
    asmith.name = L"asmith";
    asmith.properties = {{L"FullName", text(L"")}, {L"MaxPasswordAge", number(-1)}, {L"PasswordExpired", number(1)},
                         {L"AccountExpirationDate", date(46418)}};
    asmith.methods = {{L"AccountDisabled", boolean(true)}};
    FakeContainer container;
    container.users = {&jdoe, &asmith};

    EXPECT_EQ(list(container, {"sales", "", {}}), std::pair(std::vector<std::wstring>{L"WinNT://SALES"}, std::vector<std::string>{
        "SALES||WinNT://SALES answered ",
        "account=SALES\\jdoe;user=jdoe;fullName=John Doe;lastLogin=12/1/2026 12:00:00 PM;lastLogoff=n/a;"
        "lastFailedLogin=n/a;lastBadLoginAddress=n/a;badLoginCount=n/a;passwordExpires=3/1/2027;"
        "passwordMaxAgeDays=120;passwordLastChanged=11/1/2026;disabled=0;locked=1;accountExpires=n/a;accountExpired=0;"
        "passwordExpired=0;passwordNeverExpires=0;created=n/a;systemAccount=n/a;container=n/a;operatingSystem=n/a;"
        "controllersAnswered=1;controllersAsked=1;",
        "account=SALES\\asmith;user=asmith;fullName=;lastLogin=n/a;lastLogoff=n/a;lastFailedLogin=n/a;"
        "lastBadLoginAddress=n/a;badLoginCount=n/a;passwordExpires=n/a;passwordMaxAgeDays=None;"
        "passwordLastChanged=n/a;disabled=1;locked=n/a;accountExpires=1/31/2027;accountExpired=0;passwordExpired=1;passwordNeverExpires=1;created=n/a;"
        "systemAccount=n/a;container=n/a;operatingSystem=n/a;controllersAnswered=1;controllersAsked=1;"}));
    EXPECT_EQ(container.filter, std::vector<std::wstring>{L"user"});
    // This computer's own container, not a domain of the same name.
    container.next = 0;
    EXPECT_TRUE(list(container, {}).first.at(0).ends_with(L",computer"));
    EXPECT_EQ(container.refs + jdoe.refs + asmith.refs, 3u);
}

TEST(AdsiAccountSource, GivesNoRowsAndAReasonWhenTheContainerCannotBeListed)
{
    const std::string bind = "ADSI could not bind WinNT://SALES (error 0x80070005)",
                      broken = "ADSI could not list the users of WinNT://SALES (error 0x80004005)";
    const struct {
        Request request;
        HRESULT bind;
        std::size_t failAt;
        std::string listing;
    } rows[] = {
        {{"sales", "", {}}, E_ACCESSDENIED, SIZE_MAX, "SALES|" + bind + "|WinNT://SALES unanswered " + bind},
        {{"sales", "", {}}, S_OK, 1, "SALES|" + broken + "|WinNT://SALES unanswered " + broken},
        {{"sales/x", "", {}}, S_OK, SIZE_MAX, "|not a domain or computer name: sales/x"},
        {{"sales", "", {}, Request::Kind::Computers}, S_OK, SIZE_MAX, "|WinNT lists no computer accounts"},
    };
    for (const auto &row : rows) {
        FakeAds user;
        user.name = L"jdoe";
        FakeContainer container;
        container.users = {&user};
        container.failAt = row.failAt;
        EXPECT_EQ(list(container, row.request, row.bind).second, std::vector<std::string>{row.listing});
    }
}

} // namespace
} // namespace tramsel
