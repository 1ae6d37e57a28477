#include "common/datetext.h"

#include <QLocale>
#include <QtTest>

// The date and time texts of the table follow the locale but must read back to exactly the
// value written: four-digit years, seconds, and no 12-hour clock without its marker.
class TestDatetext : public QObject
{
    Q_OBJECT
private:
    static void pin(const QString &locale)
    {
        QLocale::setDefault(QLocale(locale));
        datetext::localeChanged();
    }

private Q_SLOTS:
    void cleanup() { pin(QStringLiteral("C")); }

    void texts_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("time");

        // 1 March 2024, 13:00:10 (and 1 March 1999 for the century)
        QTest::newRow("en_US") << "en_US"
                               << "3/1/2024"
                               << "1:00:10 PM";
        QTest::newRow("en_GB") << "en_GB"
                               << "01/03/2024"
                               << "13:00:10";
        QTest::newRow("de_DE") << "de_DE"
                               << "01.03.2024"
                               << "13:00:10";
        QTest::newRow("C") << "C"
                           << "1 Mar 2024"
                           << "13:00:10";
    }
    void texts()
    {
        QFETCH(QString, locale);
        QFETCH(QString, date);
        QFETCH(QString, time);
        pin(locale);
        QCOMPARE(datetext::dateText(QDate(2024, 3, 1)), date);
        QCOMPARE(datetext::timeText(QTime(13, 0, 10)), time);
        // The year is never shortened, whatever the locale's short form does.
        QVERIFY(datetext::dateText(QDate(1999, 3, 1)).contains(QLatin1String("1999")));
    }

    void roundTrip_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QTime>("time");

        const QStringList locales{"en_US", "en_GB", "de_DE", "C",
                                  // formats QLocale cannot read back as they come
                                  "sq_AL", "zh_TW", "as_IN"};
        const QList<QPair<QDate, QTime>> moments{
            {QDate(2024, 2, 29), QTime(0, 0, 0)},     {QDate(1930, 1, 1), QTime(12, 0, 0)},
            {QDate(1999, 12, 31), QTime(23, 59, 59)}, {QDate(2029, 10, 11), QTime(11, 59, 59)},
            {QDate(2000, 7, 4), QTime(12, 0, 1)},     {QDate(2023, 2, 28), QTime(13, 7, 9)}};
        for (const QString &l : locales)
            for (const auto &m : moments)
                QTest::addRow("%s %s %s", qPrintable(l), qPrintable(m.first.toString(Qt::ISODate)),
                              qPrintable(m.second.toString(Qt::ISODate)))
                    << l << m.first << m.second;
    }
    void roundTrip()
    {
        QFETCH(QString, locale);
        QFETCH(QDate, date);
        QFETCH(QTime, time);
        pin(locale);
        const QString d = datetext::dateText(date);
        const QString t = datetext::timeText(time);
        QCOMPARE(datetext::parseDate(d), date);
        QCOMPARE(datetext::parseTime(t), time);
        QCOMPARE(datetext::combine(d, t), QDateTime(date, time, Qt::UTC));
    }

    void unreadable_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("time");

        QTest::newRow("invalid marker") << "en_GB"
                                        << "***"
                                        << "***";
        QTest::newRow("empty") << "de_DE"
                               << ""
                               << "";
        QTest::newRow("out of range") << "en_GB"
                                      << "31/02/2024"
                                      << "25:00:00";
        QTest::newRow("other locale's text") << "de_DE"
                                             << "3/1/2024"
                                             << "1:00:10 PM";
    }
    void unreadable()
    {
        QFETCH(QString, locale);
        QFETCH(QString, date);
        QFETCH(QString, time);
        pin(locale);
        QVERIFY(!datetext::parseDate(date).isValid());
        QVERIFY(!datetext::parseTime(time).isValid());
        QVERIFY(!datetext::combine(date, time).isValid());
    }

    // The table's own texts are read without QLocale; every text is still read as QLocale
    // reads it in the table's format, whether it is exactly the table's form or nearly.
    void readAsQLocaleReads_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("time");
        QTest::newRow("C, the table's form") << "C" << "15 Jun 2024" << "08:00:02";
        QTest::newRow("C, blanks around") << "C" << " 15 Jun 2024 " << " 23:59:59 ";
        QTest::newRow("C, small letters, leading zero") << "C" << "05 jun 2024" << "8:00:02";
        QTest::newRow("en_US, the table's form") << "en_US" << "6/15/2024" << "1:05:07 PM";
        QTest::newRow("en_US, padded, small letters") << "en_US" << "06/15/2024" << "01:05:07 pm";
        QTest::newRow("en_US, noon and midnight") << "en_US" << "2/29/2024" << "12:00:00 AM";
        QTest::newRow("en_GB, not padded") << "en_GB" << "1/3/2024" << "13:0:10";
        QTest::newRow("de_DE, out of range") << "de_DE" << "31.02.2024" << "24:00:00";
        QTest::newRow("de_DE, a year of five digits") << "de_DE" << "01.03.02024" << "013:00:10";
    }
    void readAsQLocaleReads()
    {
        QFETCH(QString, locale);
        QFETCH(QString, date);
        QFETCH(QString, time);
        pin(locale);
        const QLocale l;
        QCOMPARE(datetext::parseDate(date), l.toDate(date.trimmed(), datetext::dateFormat()));
        QCOMPARE(datetext::parseTime(time), l.toTime(time.trimmed(), datetext::timeFormat()));
    }

    // Typed by hand, a time may leave out its seconds; anything else must be the table's form.
    void typedTimes_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QTime>("time");
        QTest::newRow("full form") << "en_GB" << "09:05:07" << QTime(9, 5, 7);
        QTest::newRow("no seconds") << "en_GB" << " 09:05 " << QTime(9, 5);
        QTest::newRow("no seconds, 12-hour clock") << "en_US" << "9:05 PM" << QTime(21, 5);
        QTest::newRow("no seconds, German") << "de_DE" << "23:59" << QTime(23, 59);
        QTest::newRow("hour only") << "en_GB" << "09" << QTime();
        QTest::newRow("out of range") << "en_GB" << "24:00" << QTime();
        QTest::newRow("words") << "en_GB" << "noon" << QTime();
        QTest::newRow("empty") << "en_GB" << "" << QTime();
    }
    void typedTimes()
    {
        QFETCH(QString, locale);
        QFETCH(QString, typed);
        QFETCH(QTime, time);
        pin(locale);
        QCOMPARE(datetext::parseTypedTime(typed), time);
        // Table texts keep their one exact form.
        if (time.isValid() && time.second() == 0)
            QVERIFY(!datetext::parseTime(typed).isValid());
    }

    void followsLocaleChange()
    {
        pin(QStringLiteral("en_GB"));
        const QString gb = datetext::dateText(QDate(2024, 3, 1));
        pin(QStringLiteral("de_DE"));
        QVERIFY(datetext::dateText(QDate(2024, 3, 1)) != gb);
        QCOMPARE(datetext::parseDate(datetext::dateText(QDate(2024, 3, 1))), QDate(2024, 3, 1));
    }
};

QTEST_GUILESS_MAIN(TestDatetext)
#include "test_datetext.moc"
