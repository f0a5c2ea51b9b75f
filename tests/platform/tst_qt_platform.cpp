// The Qt platform services: the user's locale.
#include <QtTest>
#include <QtWidgets>

#include <ctime>

#include "platform/qt/qt_locale.h"
#include "report/property_value.h"

using namespace Qt::StringLiterals;
using namespace tramsel;

namespace {

QString text(const std::string &s) { return QString::fromStdString(s); }

} // namespace

class tst_QtPlatform : public QObject {
    Q_OBJECT

private slots:
    // A late date and time, the first day at midnight, 41 2/3 days, the status
    // bar's date and a time with a one-digit minute: through the report's own
    // conversions. The C locale's short time shows seconds; the status bar drops them.
    void localeTexts()
    {
        const auto late = DateTime::fromCivil({2003, 6, 18, 23, 25, 7});
        const auto first = DateTime::fromCivil({100, 1, 1, 0, 0, 0});
        for (const auto &[locale, texts] :
             {std::pair(QLocale(u"en_US"_s), u"6/18/2003 11:25:07 PM|1/1/0100|41.6666666666667|6/18/2003|11:05 PM"_s),
              {QLocale(u"de_DE"_s), u"18.06.2003 23:25:07|01.01.0100|41,6666666666667|18.06.2003|23:05"_s},
              {QLocale::c(), u"18 Jun 2003 23:25:07|1 Jan 0100|41.6666666666667|18 Jun 2003|23:05"_s}}) {
            const QtLocale qtLocale(locale);
            QCOMPARE((QStringList{text(dateTimeText(*late, qtLocale)), text(dateTimeText(*first, qtLocale)),
                                  text(numberText(3600000.0 / 86400, qtLocale).value_or("none")),
                                  qtLocale.shortDate(QDate(2003, 6, 18)), qtLocale.shortTime(QTime(23, 5, 7))})
                         .join(u'|'),
                     texts);
            QCOMPARE(text(qtLocale.toUpper(std::string("sales-jdöe"))), u"SALES-JDÖE"_s);
        }
    }

    // The locale's formats, as the report and the status bar use them: no time
    // zone in the time, four digits in the year.
    void formats()
    {
        const std::pair<QString, QString> rows[]{
            {u"h:mm:ss AP t"_s, u"h:mm:ss AP"_s},               // zone last
            {u"h:mm:sstAP"_s, u"h:mm:ssAP"_s},                  // zone inside, no spaces
            {u"H:mm:ss (t)"_s, u"H:mm:ss"_s},                   // zone in brackets
            {u"HH:mm:ss tttt"_s, u"HH:mm:ss"_s},                // long zone
            {u"h:mm:ss\u202fAP t"_s, u"h:mm:ss\u202fAP"_s},     // no-break space kept
            {u"HH 'h' mm 'at' t"_s, u"HH 'h' mm 'at'"_s},       // quoted t kept
            {u"M/d/yy"_s, u"M/d/yyyy"_s},                       // two-digit year
            {u"d 'yy' yy"_s, u"d 'yy' yyyy"_s},                 // quoted yy
        };
        for (const auto &[format, expected] : rows)
            QCOMPARE(withFullYear(withoutTimeZone(format)), expected);
    }

    // Instants on the user's clock, in winter and in summer time (half an
    // hour's on Lord Howe Island): a zone behind UTC in the north, one ahead
    // of it in the south.
    void instantsOnTheUsersClockAcrossDaylightSaving()
    {
        const QByteArray before = qgetenv("TZ");
        for (const auto &[zone, utc, shown] :
             {std::tuple("America/New_York"_ba, QDateTime(QDate(2026, 1, 15), QTime(7, 24, 44), Qt::UTC), u"1/15/2026 2:24:44 AM"_s),
              {"America/New_York"_ba, QDateTime(QDate(2026, 5, 15), QTime(7, 24, 44), Qt::UTC), u"5/15/2026 3:24:44 AM"_s},
              {"Australia/Lord_Howe"_ba, QDateTime(QDate(2026, 6, 30), QTime(15, 54, 44), Qt::UTC), u"7/1/2026 2:24:44 AM"_s},
              {"Australia/Lord_Howe"_ba, QDateTime(QDate(2026, 10, 28), QTime(15, 54, 44), Qt::UTC), u"10/29/2026 2:54:44 AM"_s}}) {
            qputenv("TZ", zone);
            const QtLocale locale(QLocale(u"en_US"_s));  // reads TZ
            QCOMPARE(text(dateTimeText(*DateTime::fromUnixSeconds(utc.toSecsSinceEpoch()), locale)), shown);
        }
        qputenv("TZ", before);
        ::tzset();
    }
};

QTEST_MAIN(tst_QtPlatform)
#include "tst_qt_platform.moc"
