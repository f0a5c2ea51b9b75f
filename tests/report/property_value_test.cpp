// Text of property values.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "support/fakes.h"
#include "report/property_value.h"

namespace tramsel {
namespace {

using testing::FakeLocale;

TEST(ValueText, NumbersArePlainDecimalsOfFifteenDigits)
{
    const FakeLocale us;
    const std::pair<double, const char *> cases[] = {
        {90, "90"}, {41.666666666666664, "41.6666666666667"}, {-41.666666666666664, "-41.6666666666667"},
        {0.1, "0.1"}, {-0.0, "0"}, {1.0 / 3, "0.333333333333333"}, {0.00001157407407407407, "0.0000115740740740741"},
        {1e-20, "0.00000000000000000001"}, {123456789012345678.0, "123456789012346000"},
        {1e21, "1000000000000000000000"}, {0.999999999999999999, "1"}, {999999999999999.0, "999999999999999"},
        {999999999999999.9, "1000000000000000"},
    };
    for (const auto &[number, text] : cases)
        EXPECT_EQ(numberText(number, us), text) << number;

    EXPECT_EQ(numberText(std::numeric_limits<double>::infinity(), us), std::nullopt);
    EXPECT_EQ(numberText(std::nan(""), us), std::nullopt);
    EXPECT_EQ(numberText(-1234.5, FakeLocale(",")), "-1234,5");
}

TEST(ValueText, EachKind)
{
    const FakeLocale us;
    EXPECT_EQ(valueText(EmptyValue{}, us), "");
    EXPECT_EQ(valueText(NullValue{}, us), std::nullopt);
    EXPECT_EQ(valueText(std::int64_t{-9223372036854775807 - 1}, us), "-9223372036854775808");
    EXPECT_EQ(valueText(0.25, us), "0.25");
    EXPECT_EQ(valueText(std::string("\tx y\r\n"), us), "\tx y\r\n");
    EXPECT_EQ(valueText(*DateTime::fromCivil({2003, 6, 18, 0, 0, 0}), us), "6/18/2003");
    EXPECT_EQ(valueText(*DateTime::fromCivil({2003, 6, 18, 0, 0, 1}), us), "6/18/2003 12:00:01 AM");
    EXPECT_EQ(valueText(*DateTime::fromCivil({2003, 6, 18, 12, 0, 0}), us), "6/18/2003 12:00:00 PM");
    // Half a second before midnight rounds to the next day, shown as the date alone.
    const auto late = DateTime::fromCivil({2003, 6, 18, 23, 59, 59})->minusSeconds(-0.5);
    ASSERT_TRUE(late);
    EXPECT_EQ(valueText(*late, us), "6/19/2003");
}

} // namespace
} // namespace tramsel
