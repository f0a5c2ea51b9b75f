// Calendar arithmetic of DateTime, and the text of property values.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "report/date_time.h"
#include "report/property_value.h"
#include "support/fakes.h"

namespace tramsel {
namespace {

TEST(DateTime, CivilRoundTripAndDayCounts)
{
    const CivilDateTime samples[] = {{100, 1, 1, 0, 0, 0}, {1969, 12, 31, 23, 59, 59}, {2000, 2, 29, 12, 30, 45},
                                     {2106, 2, 7, 6, 28, 16}, {9999, 12, 31, 23, 59, 59}};
    for (const CivilDateTime &c : samples) {
        const auto dt = DateTime::fromCivil(c);
        ASSERT_TRUE(dt) << c.year;
        EXPECT_EQ(dt->civil(), c) << c.year;
    }
    EXPECT_EQ(DateTime::fromDays(12221)->civil(), (CivilDateTime{2003, 6, 18, 0, 0, 0}));
    EXPECT_EQ(DateTime::fromDays(-1)->civil(), (CivilDateTime{1969, 12, 31, 0, 0, 0}));
    EXPECT_EQ(DateTime::fromMicroseconds(std::int64_t{2147483648} * 1'000'000)->civil(),
              (CivilDateTime{2038, 1, 19, 3, 14, 8}));
}

TEST(DateTime, RejectsWhatIsNotADate)
{
    const CivilDateTime invalid[] = {{99, 12, 31, 23, 59, 59}, {10000, 1, 1, 0, 0, 0}, {2003, 2, 29, 0, 0, 0},
                                     {1900, 2, 29, 0, 0, 0},   {2003, 13, 1, 0, 0, 0},  {2003, 0, 1, 0, 0, 0},
                                     {2003, 4, 31, 0, 0, 0},   {2003, 1, 1, 24, 0, 0},  {2003, 1, 1, 0, 60, 0},
                                     {2003, 1, 1, 0, 0, 60},   {2003, 1, 0, 0, 0, 0}};
    for (const CivilDateTime &c : invalid)
        EXPECT_FALSE(DateTime::fromCivil(c)) << c.year << "-" << c.month << "-" << c.day;
    EXPECT_FALSE(DateTime::fromDays(3'000'000));
    EXPECT_FALSE(DateTime::fromDays(-1'000'000'000'000));
}

TEST(DateTime, MovingBackStaysInRange)
{
    const auto start = *DateTime::fromCivil({2003, 7, 30, 14, 30, 0});
    EXPECT_EQ(start.minusSeconds(86400.0 * 42)->civil(), (CivilDateTime{2003, 6, 18, 14, 30, 0}));
    EXPECT_EQ(start.minusSeconds(-86400.0)->civil(), (CivilDateTime{2003, 7, 31, 14, 30, 0}));
    for (const double far : {1e300, -1e300, std::numeric_limits<double>::infinity(), std::nan("")})
        EXPECT_FALSE(start.minusSeconds(far)) << far;
    // The last valid second cannot be rounded into year 10000.
    const auto last = *DateTime::fromCivil({9999, 12, 31, 23, 59, 59});
    EXPECT_FALSE(last.minusSeconds(-0.5));
    EXPECT_EQ(last.minusSeconds(-0.4)->civil(), (CivilDateTime{9999, 12, 31, 23, 59, 59}));
    const auto first = *DateTime::fromCivil({100, 1, 1, 0, 0, 0});
    EXPECT_FALSE(first.minusSeconds(0.000001));
}

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
