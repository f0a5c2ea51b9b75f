// The user entry dialog's checks and what OK does with them.
#include <gtest/gtest.h>

#include "enter_user/entry.h"

namespace tramsel::enter_user {
namespace {

constexpr const char *kBlankDomain = "Domain cannot be blank\r\nEnter a machine name if you are in a Workgroup";

TEST(Entry, ChecksInOrder)
{
    struct Row {
        const char *name, *domain, *user, *message;
        Field field;
    };
    const Row rows[] = {
        {"both empty: the domain first", "", "", kBlankDomain, Field::Domain},
        {"empty domain", "", "jdoe", kBlankDomain, Field::Domain},
        {"empty user", "sales", "", "User Name cannot be blank", Field::UserName},
        {"inner space", "sales", "j doe", "Wrong User Name", Field::UserName},
        {"trailing space", "sales", "jdoe ", "Wrong User Name", Field::UserName},
        {"typed with its domain", "sales", "SALES\\jdoe", "Wrong User Name", Field::UserName},
        {"tab is no space", "sales", "j\tdoe", nullptr, Field::Domain},
        {"domain is not searched", "sa les\\x", "jdoe", nullptr, Field::Domain},
    };
    for (const Row &row : rows) {
        const auto problem = checkEntry(row.domain, row.user);
        EXPECT_EQ(problem.has_value(), row.message != nullptr) << row.name;
        if (problem && row.message) {
            EXPECT_EQ(problem->message, row.message) << row.name;
            EXPECT_EQ(problem->field, row.field) << row.name;
        }
    }
}

// Records what OK does to the dialog, in order.
class RecordingDialog final : public Dialog {
public:
    std::string domain, user, log;
    std::string text(Field field) const override { return field == Field::Domain ? domain : user; }
    void showError(const std::string &message) override { log += "error(" + message + ") "; }
    void focusAndSelect(Field field) override
    {
        log += field == Field::Domain ? "select(domain) " : "select(user) ";
    }
    void hideDialog() override { log += "hide "; }
    void submit(const std::string &d, const std::string &u) override { log += "submit(" + d + "|" + u + ")"; }
};

TEST(Entry, OkHidesBeforeHandingOnAndLeavesBadEntriesOpen)
{
    RecordingDialog good;
    good.domain = "sales";
    good.user = "jdoe";
    okClicked(good);
    EXPECT_EQ(good.log, "select(user) hide submit(sales|jdoe)");

    RecordingDialog bad;
    bad.domain = "sales";
    bad.user = "j doe";
    okClicked(bad);
    EXPECT_EQ(bad.log, "error(Wrong User Name) select(user) ");
}

} // namespace
} // namespace tramsel::enter_user
