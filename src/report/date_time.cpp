// Civil-calendar arithmetic for DateTime (proleptic Gregorian calendar).
#include "report/date_time.h"

#include <cmath>

namespace tramsel {
namespace {

constexpr std::int64_t kMicrosPerSecond = 1'000'000;
constexpr std::int64_t kSecondsPerDay = 86'400;
constexpr std::int64_t kMicrosPerDay = kSecondsPerDay * kMicrosPerSecond;

// Days from 1970-01-01 to the given date (H. Hinnant's algorithm).
constexpr std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

struct YearMonthDay {
    std::int64_t year;
    unsigned month;
    unsigned day;
};

constexpr YearMonthDay civilFromDays(std::int64_t z)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return {static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2), m, d};
}

constexpr bool isLeap(std::int64_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

constexpr unsigned daysInMonth(std::int64_t y, unsigned m)
{
    constexpr unsigned days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : days[m - 1];
}

const std::int64_t kMinMicros = daysFromCivil(DateTime::kMinYear, 1, 1) * kMicrosPerDay;
// The last instant that still rounds to a second of the last valid year.
const std::int64_t kMaxMicros =
    daysFromCivil(DateTime::kMaxYear + 1, 1, 1) * kMicrosPerDay - kMicrosPerSecond / 2 - 1;

// Floor division for negative numerators.
constexpr std::int64_t floorDiv(std::int64_t a, std::int64_t b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

} // namespace

std::optional<DateTime> DateTime::make(std::int64_t micros, Kind kind)
{
    if (micros < kMinMicros || micros > kMaxMicros)
        return std::nullopt;
    return DateTime(micros, kind);
}

std::optional<DateTime> DateTime::fromMicroseconds(std::int64_t microseconds)
{
    return make(microseconds, Kind::Wall);
}

std::optional<DateTime> DateTime::fromUnixMicroseconds(std::int64_t microseconds)
{
    return make(microseconds, Kind::Instant);
}

std::optional<DateTime> DateTime::fromUnixSeconds(std::int64_t seconds)
{
    // Far outside the range already; keeps the multiplication from overflowing.
    if (seconds < -1'000'000'000'000 || seconds > 1'000'000'000'000)
        return std::nullopt;
    return make(seconds * kMicrosPerSecond, Kind::Instant);
}

std::optional<DateTime> DateTime::instantFromCivil(const CivilDateTime &utc)
{
    const auto wall = fromCivil(utc);
    return wall ? make(wall->micros_, Kind::Instant) : std::nullopt;
}

std::optional<DateTime> DateTime::fromCivil(const CivilDateTime &c)
{
    if (c.year < kMinYear || c.year > kMaxYear || c.month < 1 || c.month > 12 || c.day < 1
        || static_cast<unsigned>(c.day) > daysInMonth(c.year, static_cast<unsigned>(c.month))
        || c.hour < 0 || c.hour > 23 || c.minute < 0 || c.minute > 59 || c.second < 0
        || c.second > 59)
        return std::nullopt;
    const std::int64_t days = daysFromCivil(c.year, static_cast<unsigned>(c.month),
                                            static_cast<unsigned>(c.day));
    const std::int64_t seconds = days * kSecondsPerDay + c.hour * 3600 + c.minute * 60 + c.second;
    return fromMicroseconds(seconds * kMicrosPerSecond);
}

std::optional<DateTime> DateTime::fromDays(std::int64_t days)
{
    // Far outside the range already; keeps the multiplication from overflowing.
    if (days < -1'000'000'000 || days > 1'000'000'000)
        return std::nullopt;
    return fromMicroseconds(days * kMicrosPerDay);
}

std::optional<DateTime> DateTime::fromUtcDay(std::int64_t days)
{
    const auto wall = fromDays(days);
    return wall ? make(wall->micros_, Kind::UtcDay) : std::nullopt;
}

std::optional<DateTime> DateTime::minusSeconds(double seconds) const
{
    if (!std::isfinite(seconds))
        return std::nullopt;
    // Whole valid range is about 3e17 microseconds; anything larger cannot land in it.
    const double shift = std::round(seconds * static_cast<double>(kMicrosPerSecond));
    if (std::fabs(shift) > 1e18)
        return std::nullopt;
    return make(micros_ - static_cast<std::int64_t>(shift), kind_);
}

CivilDateTime DateTime::civil() const
{
    // Round half up to the nearest second; the range guarantees no overflow.
    const std::int64_t seconds = floorDiv(micros_ + kMicrosPerSecond / 2, kMicrosPerSecond);
    const std::int64_t days = floorDiv(seconds, kSecondsPerDay);
    const auto secondOfDay = static_cast<int>(seconds - days * kSecondsPerDay);
    const YearMonthDay ymd = civilFromDays(days);
    return {static_cast<int>(ymd.year), static_cast<int>(ymd.month), static_cast<int>(ymd.day),
            secondOfDay / 3600, secondOfDay / 60 % 60, secondOfDay % 60};
}

} // namespace tramsel
