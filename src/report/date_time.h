// Calendar date-times as directory providers report them: a wall-clock date
// and time of day with no time zone attached.
#pragma once

#include <cstdint>
#include <optional>

namespace tramsel {

// Broken-down date and time; the time is always whole seconds.
struct CivilDateTime {
    int year = 1970;
    int month = 1;   // 1..12
    int day = 1;     // 1..31
    int hour = 0;    // 0..23
    int minute = 0;  // 0..59
    int second = 0;  // 0..59

    friend bool operator==(const CivilDateTime &, const CivilDateTime &) = default;
};

// A date-time counted in microseconds from 1970-01-01 00:00:00 on the same
// wall clock. Microseconds keep the fractions of a day that password
// arithmetic produces; the text shows them rounded to the second.
class DateTime {
public:
    // Years a date-time may have; anything outside is not a valid date-time.
    static constexpr int kMinYear = 100;
    static constexpr int kMaxYear = 9999;

    constexpr DateTime() = default;

    static std::optional<DateTime> fromCivil(const CivilDateTime &civil);
    static std::optional<DateTime> fromMicroseconds(std::int64_t microseconds);
    // Whole days since 1970-01-01 at midnight (a shadow-style day count).
    static std::optional<DateTime> fromDays(std::int64_t days);

    // The same date-time moved back by a (possibly fractional) number of
    // seconds; nothing when the result leaves the valid range.
    std::optional<DateTime> minusSeconds(double seconds) const;

    // Rounded to the nearest second.
    CivilDateTime civil() const;
    std::int64_t microseconds() const { return micros_; }

    friend bool operator==(const DateTime &, const DateTime &) = default;

private:
    explicit constexpr DateTime(std::int64_t micros) : micros_(micros) {}
    std::int64_t micros_ = 0;
};

} // namespace tramsel
