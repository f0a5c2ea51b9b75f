// The Active Directory rules over a scripted transport: every controller
// asked at once, accounts joined by objectGUID, which failure wins, and
// --computers. (--base: the Samba domain test.)
#include <gtest/gtest.h>

#include <map>

#include "directory/ad/ad_source.h"
#include "directory/ad/ad_values.h"
#include "report/columns.h"
#include "support/fakes.h"

namespace tramsel {
namespace {

using Attributes = std::map<std::string, std::string>;

struct FakeEntry final : ad::Entry {
    Attributes attributes;
    explicit FakeEntry(Attributes a) : attributes(std::move(a)) {}
    std::optional<std::string> text(const char *name) const override
    {
        const auto found = attributes.find(name);
        return found == attributes.end() ? std::nullopt : std::optional(found->second);
    }
    std::optional<std::int64_t> number(const char *name) const override
    {
        const auto value = text(name);
        return value ? ad::integerValue(*value) : std::nullopt;
    }
    std::string dn() const override { return text("dn").value_or("CN=" + text("sAMAccountName").value_or("?") + ",DC=sales,DC=test"); }
};

// One controller: whether it binds, the users it lists, and where a listing breaks off.
struct Controller {
    std::string openError;
    std::vector<Attributes> users;
    std::size_t failAfter = SIZE_MAX;
};

class FakeSession final : public ad::Session {
public:
    FakeSession(std::string uri, const Controller &dc) : uri_(std::move(uri)), dc_(dc) {}
    const std::string &uri() const override { return uri_; }
    const std::string &host() const override { return uri_; }
    std::string open() override { return dc_.openError; }
    void interrupt() override {}
    ad::Lookup findOne(const std::string &, bool onlyBase, const std::string &,
                       const std::vector<const char *> &, const std::function<void(const ad::Entry &)> &found,
                       std::string &) override
    {
        if (onlyBase) {  // the domain's policy
            found(FakeEntry(Attributes{{"maxPwdAge", "-36288000000000"}}));
            return ad::Lookup::Found;
        }
        return ad::Lookup::NotFound;
    }
    // Computers are the accounts whose names end in '$'.
    std::string forEach(const std::string &base, const std::string &filter, const std::vector<const char *> &,
                        const std::function<void(const ad::Entry &)> &each) override
    {
        if (base.starts_with("CN=Password Settings"))
            return {};
        for (std::size_t i = 0; i < dc_.users.size(); ++i) {
            if (i == dc_.failAfter)
                return "Can't contact LDAP server";
            if (dc_.users[i].at("sAMAccountName").ends_with('$') == (filter == "(objectCategory=computer)"))
                each(FakeEntry(dc_.users[i]));
        }
        return {};
    }

private:
    std::string uri_;
    const Controller &dc_;
};

struct FakeAccess final : ad::DomainAccess {
    std::map<std::string, Controller> &controllers;
    explicit FakeAccess(std::map<std::string, Controller> &c) : controllers(c) {}
    ad::DomainControllers findControllers(std::string_view domain, const std::vector<std::string> &) override
    {
        std::vector<std::string> uris;
        for (const auto &[uri, dc] : controllers)
            uris.push_back(uri);
        return {{std::string(domain), "sales.test"}, uris, {}};
    }
    std::unique_ptr<ad::Session> session(const std::string &uri, std::chrono::seconds) override
    {
        return std::make_unique<FakeSession>(uri, controllers.at(uri));
    }
};

Attributes user(const std::string &name, char guid, const std::string &lastLogon, const std::string &badPwdCount = "0")
{
    return {{"sAMAccountName", name}, {"objectGUID", std::string(16, guid)}, {"lastLogon", lastLogon},
            {"badPwdCount", badPwdCount}, {"pwdLastSet", "133000000000000000"}, {"userAccountControl", "512"}};
}

// The values of a row that the rules decide, as one line.
std::string row(const AccountRecord &r)
{
    std::string text = r.account + ":";
    for (const char *key : {"lastLogin", "badLoginCount", "passwordMaxAgeDays", "disabled", "systemAccount", "container",
                            "operatingSystem"})
        text += " " + reportText(accountColumn(key)->cell(r), testing::FakeLocale());
    return text + " " + std::to_string(r.controllersAnswered) + "/" + std::to_string(r.controllersAsked);
}

struct Domain {
    std::map<std::string, Controller> controllers;
    AdAccountSource source{{{}}, std::make_unique<FakeAccess>(controllers)};
    Progress told;  // the last progress told

    std::string list(Listing *listing = nullptr, Request::Kind kind = Request::Kind::Users)
    {
        std::string rows;
        const Listing done = source.list({"SALES", {}, {}, kind}, [&](AccountRecord &&r) { rows += row(r) + "\n"; },
                                         [&](const Progress &p) { told = p; });
        if (listing)
            *listing = done;
        return rows + (done.failure ? "failure: " + done.failure.text + "\n" : "");
    }
};

// 2024-05-01 09:00 and 2024-06-01 09:00 UTC as FILETIMEs.
const std::string kMay = "133590276000000000", kJune = "133617060000000000";

TEST(AdSource, JoinsEveryControllersListingByGuid)
{
    Domain d;
    Attributes web = user("WEB01$", 'w', kMay), krbtgt = user("krbtgt", 'k', "0");
    web["operatingSystem"] = "Windows Server 2022", web["dn"] = "CN=WEB01,OU=Web\\, East,DC=sales,DC=test";
    krbtgt["isCriticalSystemObject"] = "TRUE";
    d.controllers["ldap://dc1"] = {{}, {user("jdoe", 'a', kMay, "2"), krbtgt, web}};
    // dc2 knows jdoe by another name now (a rename), and saw his latest login and failures.
    d.controllers["ldap://dc2"] = {{},
                                   {user("JDoe", 'a', kJune, "3"), user("bob", 'c', kMay), user("WEB01$", 'w', kJune)}};
    Listing listing;
    EXPECT_EQ(d.list(&listing), "SALES\\bob: 5/1/2024 9:00:00 AM 0 42 0 0 DC=sales,DC=test n/a 1/2\n"
                                    "SALES\\jdoe: 6/1/2024 9:00:00 AM 3 42 0 0 DC=sales,DC=test n/a 2/2\n"
                                    "SALES\\krbtgt: n/a 0 42 0 1 DC=sales,DC=test n/a 1/2\n");
    ASSERT_EQ(listing.sources.size(), 2u);
    EXPECT_TRUE(listing.sources[0].answered && listing.sources[1].answered);
    EXPECT_EQ(std::tuple(d.told.sourcesDone, d.told.sourcesTotal, d.told.accountsRead), std::tuple(2u, 2u, 2u));
    EXPECT_EQ(d.list(nullptr, Request::Kind::Computers),
              "SALES\\WEB01$: 6/1/2024 9:00:00 AM 0 42 0 0 OU=Web\\, East,DC=sales,DC=test Windows Server 2022 2/2\n");
}

TEST(AdSource, AControllerThatFailsGivesNoRowsAndIsNamed)
{
    const struct {
        const char *name;
        Controller dc2;
        std::string rows;
    } cases[] = {
        {"fails part-way", {{}, {user("jdoe", 'a', kJune), user("bob", 'c', kMay)}, 1},
         "SALES\\jdoe: 5/1/2024 9:00:00 AM 0 42 0 0 DC=sales,DC=test n/a 1/2\n"},
    };
    for (const auto &c : cases) {
        Domain d;
        d.controllers["ldap://dc1"] = {{}, {user("jdoe", 'a', kMay)}};
        d.controllers["ldap://dc2"] = c.dc2;
        Listing listing;
        EXPECT_EQ(d.list(&listing), c.rows) << c.name;
        ASSERT_EQ(listing.sources.size(), 2u);
        EXPECT_FALSE(listing.sources[1].answered) << c.name;
        EXPECT_FALSE(listing.sources[1].error.empty()) << c.name;
    }
    Domain none;
    none.controllers["ldap://dc1"] = {"Invalid credentials", {}};
    EXPECT_EQ(none.list(), "failure: no domain controller answered: ldap://dc1: Invalid credentials\n");
}

} // namespace
} // namespace tramsel
