// Calendar arithmetic of DateTime.
#include <gtest/gtest.h>

#include <cmath>

#include "report/date_time.h"

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

} // namespace
} // namespace tramsel
