// The user entry dialog's checks and what OK does with them.
#include <gtest/gtest.h>

#include "enter_user/entry.h"

namespace tramsel::enter_user {
namespace {

TEST(Entry, ChecksInOrder)
{
    struct Row {
        const char *domain, *user, *problem;  // the message, then the field that gets the caret
    };
    const Row rows[] = {
        {"", "", "Domain cannot be blank\r\nEnter a machine name if you are in a Workgroup|domain"},
        {"sales", "", "User Name cannot be blank|user"},
        {"sales", "jdoe ", "Wrong User Name|user"},
        {"sales", "SALES\\jdoe", "Wrong User Name|user"},
        {"sales", "j\tdoe", ""},     // a tab is no space
        {"sa les\\x", "jdoe", ""},   // the domain is not searched
    };
    for (const Row &row : rows) {
        const auto problem = checkEntry(row.domain, row.user);
        EXPECT_EQ(problem ? problem->message + (problem->field == Field::Domain ? "|domain" : "|user") : "",
                  row.problem)
            << row.domain << '/' << row.user;
    }
}

// Records what OK does to the dialog, in order.
class RecordingDialog final : public Dialog {
public:
    std::string log;
    std::string text(Field field) const override { return field == Field::Domain ? "sales" : "jdoe"; }
    void showError(const std::string &message) override { log += "error(" + message + ") "; }
    void focusAndSelect(Field field) override { log += field == Field::Domain ? "select(domain) " : "select(user) "; }
    void hideDialog() override { log += "hide "; }
    void submit(const std::string &d, const std::string &u) override { log += "submit(" + d + "|" + u + ")"; }
};

// A bad entry's message and caret: tests/enter_user. A good one hides the
// dialog before the report is read.
TEST(Entry, OkHidesBeforeHandingOn)
{
    RecordingDialog good;
    okClicked(good);
    EXPECT_EQ(good.log, "select(user) hide submit(sales|jdoe)");
}

} // namespace
} // namespace tramsel::enter_user
