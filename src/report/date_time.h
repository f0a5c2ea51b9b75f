// Date-times as account sources read them: an instant (a moment in
// UTC, as FILETIMEs and the Unix clock count it) or a wall-clock date and
// time with no zone attached (a shadow day, an OLE DATE).
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

// A date-time counted in microseconds from 1970-01-01 00:00:00, either in
// UTC (an instant, shown in the user's time zone) or on a wall clock of no
// zone (shown as it is). Microseconds keep the fractions of a day that
// password arithmetic produces; the text shows them rounded to the second.
// Arithmetic on an instant is absolute: moving back 120 days across a
// daylight-saving change moves back 120 x 86400 seconds.
class DateTime {
public:
    // Years a date-time may have; anything outside is not a valid date-time.
    static constexpr int kMinYear = 100;
    static constexpr int kMaxYear = 9999;

    constexpr DateTime() = default;

    // Wall-clock date-times.
    static std::optional<DateTime> fromCivil(const CivilDateTime &civil);
    static std::optional<DateTime> fromMicroseconds(std::int64_t microseconds);
    // Whole days since 1970-01-01 at midnight (a shadow-style day count).
    static std::optional<DateTime> fromDays(std::int64_t days);
    // A day that begins at 00:00 UTC, as shadow's days do for pam_unix: an
    // instant, that a report shows as the date alone.
    static std::optional<DateTime> fromUtcDay(std::int64_t days);
    // Instants, counted from 1970-01-01 00:00:00 UTC.
    static std::optional<DateTime> fromUnixSeconds(std::int64_t seconds);
    static std::optional<DateTime> fromUnixMicroseconds(std::int64_t microseconds);
    static std::optional<DateTime> instantFromCivil(const CivilDateTime &utc);

    // The same date-time moved back by a (possibly fractional) number of
    // seconds; nothing when the result leaves the valid range.
    std::optional<DateTime> minusSeconds(double seconds) const;

    // Rounded to the nearest second: the wall clock's, or UTC's for an instant.
    CivilDateTime civil() const;
    std::int64_t microseconds() const { return micros_; }
    bool isInstant() const { return kind_ != Kind::Wall; }
    bool isUtcDay() const { return kind_ == Kind::UtcDay; }

    friend bool operator==(const DateTime &, const DateTime &) = default;

private:
    enum class Kind : unsigned char { Wall, Instant, UtcDay };
    constexpr DateTime(std::int64_t micros, Kind kind) : micros_(micros), kind_(kind) {}
    static std::optional<DateTime> make(std::int64_t micros, Kind kind);
    std::int64_t micros_ = 0;
    Kind kind_ = Kind::Wall;
};

} // namespace tramsel
