// The user's locale, read from a QLocale.
#include "platform/qt/qt_locale.h"

#include <ctime>

#include <algorithm>
#include <optional>

namespace tramsel {
namespace {

bool isSpace(QChar c) { return c.isSpace(); }

// Copies a format, handing each unquoted run of the letter to the rewrite,
// which appends what the run becomes (it may also trim what went before).
template <class Rewrite> QString rewriteRuns(const QString &format, QChar letter, Rewrite rewrite)
{
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c == u'\'')
            quoted = !quoted;
        if (quoted || c != letter) {
            out += c;
            continue;
        }
        qsizetype run = 1;
        while (i + run < format.size() && format.at(i + run) == letter)
            ++run;
        rewrite(out, run);
        i += run - 1;
    }
    return out;
}

// Hours and minutes only: a short time format that shows seconds (the C
// locale's does) loses them with the separator before them.
QString withoutSeconds(const QString &format)
{
    return rewriteRuns(format, u's', [](QString &out, qsizetype) {
        if (!out.isEmpty() && !out.back().isLetter())
            out.chop(1);
    });
}

} // namespace

QString withoutTimeZone(const QString &format)
{
    QString out;
    bool quoted = false;
    bool afterZone = false;    // just removed a zone token
    bool spaceAround = false;  // and it had spaces on either side
    QChar space = u' ';
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (!quoted && c == u't') {
            while (i + 1 < format.size() && format.at(i + 1) == u't')
                ++i;
            while (!out.isEmpty() && isSpace(out.back())) {
                space = out.back();
                spaceAround = true;
                out.chop(1);
            }
            // "(t)" leaves nothing worth keeping.
            if (out.endsWith(u'(') && i + 1 < format.size() && format.at(i + 1) == u')') {
                out.chop(1);
                ++i;
                while (!out.isEmpty() && isSpace(out.back())) {
                    space = out.back();
                    spaceAround = true;
                    out.chop(1);
                }
            }
            afterZone = true;
            continue;
        }
        if (afterZone && !quoted && isSpace(c)) {
            space = c;
            spaceAround = true;
            continue;
        }
        if (afterZone && spaceAround && !out.isEmpty())
            out += space;
        afterZone = false;
        spaceAround = false;
        if (c == u'\'')
            quoted = !quoted;
        out += c;
    }
    return out;
}

QString withFullYear(const QString &format)
{
    return rewriteRuns(format, u'y', [](QString &out, qsizetype run) {
        out += QString(run == 2 ? 4 : run, u'y');
    });
}

QtLocale::QtLocale(const QLocale &locale)
    : locale_(locale),
      dateFormat_(withFullYear(locale.dateFormat(QLocale::ShortFormat))),
      timeFormat_(withoutTimeZone(locale.timeFormat(QLocale::LongFormat))),
      shortTimeFormat_(withoutSeconds(withoutTimeZone(locale.timeFormat(QLocale::ShortFormat))))
{
    ::tzset();
}

LocalTime QtLocale::localTime(const DateTime &dateTime) const
{
    // The C library's zone rules (TZ), as every other program shows times;
    // localtime_r, unlike mktime, does not look at the zone's file again
    // for every call (tzset() ran when the locale was made).
    const CivilDateTime civil = dateTime.civil();
    // To the nearest second, as civil() rounds.
    const std::int64_t halfUp = dateTime.microseconds() + 500'000;
    const auto seconds = static_cast<std::time_t>(halfUp / 1'000'000 - (halfUp % 1'000'000 < 0));
    std::tm parts{};
    const auto offsetAt = [&parts](std::time_t instant) {
        return ::localtime_r(&instant, &parts) ? std::optional<long>(parts.tm_gmtoff) : std::nullopt;
    };
    if (dateTime.isInstant()) {
        if (!offsetAt(seconds))
            return {civil, 0};
        return {{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min,
                 std::min(parts.tm_sec, 59)},
                static_cast<int>(parts.tm_gmtoff)};
    }
    // A wall-clock time stays as it is; its offset is the zone's at that
    // time: the offset that, taken off the wall clock, gives an instant the
    // zone shows with that same offset (either one where a change makes the
    // wall time twice or never).
    const auto guess = offsetAt(seconds);
    if (!guess)
        return {civil, 0};
    const auto offset = offsetAt(seconds - *guess);
    return {civil, static_cast<int>(offset.value_or(*guess))};
}

std::string QtLocale::toUpper(std::string_view text) const
{
    const QString upper =
        toUpper(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    return upper.toStdString();
}

QString QtLocale::toUpper(const QString &text) const { return locale_.toUpper(text); }

std::string QtLocale::dateText(const CivilDateTime &d) const
{
    return shortDate(QDate(d.year, d.month, d.day)).toStdString();
}

std::string QtLocale::timeText(const CivilDateTime &d) const
{
    return locale_.toString(QTime(d.hour, d.minute, d.second), timeFormat_).toStdString();
}

std::string QtLocale::clockText(const CivilDateTime &d) const
{
    return shortTime(QTime(d.hour, d.minute, d.second)).toStdString();
}

std::string QtLocale::decimalSeparator() const { return locale_.decimalPoint().toStdString(); }

std::string QtLocale::groupSeparator() const { return locale_.groupSeparator().toStdString(); }

QString QtLocale::shortDate(QDate date) const { return locale_.toString(date, dateFormat_); }

QString QtLocale::shortTime(QTime time) const { return locale_.toString(time, shortTimeFormat_); }

} // namespace tramsel
