// The user entry dialog's checks. (What OK does with them: tst_frmEnterUser.)
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

} // namespace
} // namespace tramsel::enter_user
