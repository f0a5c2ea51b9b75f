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

struct Listed {
    Listing listing;
    std::vector<std::string> rows;  // every column as the report shows it, times in UTC
    std::vector<std::wstring> bound;
};

Listed list(FakeContainer &container, const Request &request, HRESULT bindResult = S_OK)
{
    Listed out;
    const auto bind = [&](const std::wstring &path, IADsContainer **bound) {
        out.bound.push_back(path);
        if (SUCCEEDED(bindResult))
            *bound = &container, container.AddRef();
        return bindResult;
    };
    AdsiAccountSource catalog(*win::TimeZone::named(L"UTC"), [] { return DateTime(); }, bind);
    const auto row = [&](AccountRecord &&record) {
        std::string cells;
        for (const auto &column : accountColumns())
            cells.append(column.key).append("=").append(reportText(column.cell(record), testing::FakeLocale())) += ';';
        out.rows.push_back(cells);
    };
    out.listing = catalog.list(request, row, [](const Progress &) {});
    return out;
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

    const Listed listed = list(container, {"sales", "", {}});
    EXPECT_EQ(listed.bound, std::vector<std::wstring>{L"WinNT://SALES"});
    EXPECT_EQ(container.filter, std::vector<std::wstring>{L"user"});
    EXPECT_EQ(listed.listing.domain, "SALES");
    EXPECT_FALSE(listed.listing.failure);
    ASSERT_EQ(listed.listing.sources.size(), 1u);
    EXPECT_EQ(listed.listing.sources[0].name, "WinNT://SALES");
    EXPECT_TRUE(listed.listing.sources[0].answered);
    EXPECT_EQ(listed.rows, (std::vector<std::string>{
        "account=SALES\\jdoe;user=jdoe;fullName=John Doe;lastLogin=12/1/2026 12:00:00 PM;lastLogoff=n/a;"
        "lastFailedLogin=n/a;lastBadLoginAddress=n/a;badLoginCount=n/a;passwordExpires=3/1/2027;"
        "passwordMaxAgeDays=120;passwordLastChanged=11/1/2026;disabled=0;locked=1;accountExpires=n/a;accountExpired=0;"
        "passwordExpired=0;passwordNeverExpires=0;created=n/a;systemAccount=n/a;container=n/a;operatingSystem=n/a;"
        "controllersAnswered=1;controllersAsked=1;",
        "account=SALES\\asmith;user=asmith;fullName=;lastLogin=n/a;lastLogoff=n/a;lastFailedLogin=n/a;"
        "lastBadLoginAddress=n/a;badLoginCount=n/a;passwordExpires=n/a;passwordMaxAgeDays=None;"
        "passwordLastChanged=n/a;disabled=1;locked=n/a;accountExpires=1/31/2027;accountExpired=0;passwordExpired=1;passwordNeverExpires=1;created=n/a;"
        "systemAccount=n/a;container=n/a;operatingSystem=n/a;controllersAnswered=1;controllersAsked=1;"}));
    // This computer's own container, not a domain of the same name.
    container.next = 0;
    EXPECT_TRUE(list(container, {}).bound.at(0).ends_with(L",computer"));
    EXPECT_EQ(container.refs + jdoe.refs + asmith.refs, 3u);
}

TEST(AdsiAccountSource, GivesNoRowsAndAReasonWhenTheContainerCannotBeListed)
{
    const struct {
        const char *name;
        Request request;
        HRESULT bind;
        std::size_t failAt;
        const char *error;
    } rows[] = {
        {"bind", {"sales", "", {}}, E_ACCESSDENIED, SIZE_MAX, "ADSI could not bind WinNT://SALES (error 0x80070005)"},
        {"broken off", {"sales", "", {}}, S_OK, 1, "ADSI could not list the users of WinNT://SALES (error 0x80004005)"},
        {"name", {"sales/x", "", {}}, S_OK, SIZE_MAX, "not a domain or computer name: sales/x"},
        {"computers", {"sales", "", {}, Request::Kind::Computers}, S_OK, SIZE_MAX, "WinNT lists no computer accounts"},
    };
    for (const auto &row : rows) {
        FakeAds user;
        user.name = L"jdoe";
        FakeContainer container;
        container.users = {&user};
        container.failAt = row.failAt;
        const Listed listed = list(container, row.request, row.bind);
        EXPECT_EQ(listed.listing.failure.text, row.error) << row.name;
        EXPECT_EQ(listed.rows, std::vector<std::string>{}) << row.name;
        for (const Source &source : listed.listing.sources)
            EXPECT_EQ(source.error, row.error) << row.name;
        EXPECT_EQ(listed.listing.sources.size(), listed.bound.size()) << row.name;
    }
}

} // namespace
} // namespace tramsel
