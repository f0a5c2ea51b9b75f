// The NLS locale: named locales' formats and case mapping, and the short
// date's year widened to four digits. (A domain's ASCII letters upper-case
// as ASCII whatever the locale: tests/report, with a Turkish locale.)
#include <gtest/gtest.h>

#include "platform/win/nls_locale.h"

namespace tramsel::win {
namespace {

TEST(NlsLocale, WidensOnlyUnquotedTwoDigitYears)
{
    const struct {
        const wchar_t *format, *widened;
    } rows[] = {
        {L"M/d/yy", L"M/d/yyyy"}, {L"dd.MM.yyyy", L"dd.MM.yyyy"}, {L"d 'yy' yy", L"d 'yy' yyyy"}, {L"y/M", L"y/M"},
    };
    for (const auto &row : rows)
        EXPECT_EQ(withFullYear(row.format), row.widened) << testing::PrintToString(std::wstring(row.format));
}

TEST(NlsLocale, NamedLocalesFormatAndUpperCase)
{
    // Day and month of two digits: locales differ in whether they pad them.
    const CivilDateTime at{2003, 11, 28, 23, 25, 7};
    const struct {
        const wchar_t *name;
        const char *date, *time, *clock, *separator, *lower, *upper;
    } rows[] = {
        {L"en-US", "11/28/2003", "11:25:07 PM", "11:25 PM", ".", "sales\xc3\xa9", "SALES\xc3\x89"},
        {L"de-DE", "28.11.2003", "23:25:07", "23:25", ",", "stra\xc3\x9f" "e", "STRA\xc3\x9f" "E"},
    };
    for (const auto &row : rows) {
        const NlsLocale locale(row.name);
        SCOPED_TRACE(testing::PrintToString(std::wstring(row.name)));
        EXPECT_EQ(locale.dateText(at), row.date);
        EXPECT_EQ(locale.timeText(at), row.time);
        EXPECT_EQ(locale.clockText(at), row.clock);
        EXPECT_EQ(locale.decimalSeparator(), row.separator);
        EXPECT_EQ(locale.toUpper(row.lower), row.upper);
    }
}

} // namespace
} // namespace tramsel::win
