// The user's locale, read from a QLocale.
#pragma once

#include <QDate>
#include <QLocale>
#include <QString>
#include <QTime>

#include "report/locale.h"

namespace tramsel {

class QtLocale final : public Locale {
public:
    explicit QtLocale(const QLocale &locale = QLocale::system());

    LocalTime localTime(const DateTime &dateTime) const override;
    std::string toUpper(std::string_view text) const override;
    std::string dateText(const CivilDateTime &dateTime) const override;
    std::string timeText(const CivilDateTime &dateTime) const override;
    std::string clockText(const CivilDateTime &dateTime) const override;
    std::string decimalSeparator() const override;
    std::string groupSeparator() const override;

    QString toUpper(const QString &text) const;
    // The status bar's panels: the short date, and hours and minutes.
    QString shortDate(QDate date) const;
    QString shortTime(QTime time) const;

private:
    QLocale locale_;
    QString dateFormat_;
    QString timeFormat_;
    QString shortTimeFormat_;
};

// A QLocale date or time format without its time zone ('t' outside quotes),
// and without the spaces or brackets that only stood around it. Report times
// are wall-clock times read from the directory: no zone applies to them.
QString withoutTimeZone(const QString &format);

// A QLocale date format whose two-digit year ("yy") shows all four digits.
// Report dates reach from the year 100 to 9999, so "03" could be any century.
QString withFullYear(const QString &format);

} // namespace tramsel
