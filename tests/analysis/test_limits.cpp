#include "analysis/analysis_texts.h"
#include "analysis/limits.h"
#include "analysis/limits_store.h"
#include "summary_rows.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace analysis;
using summarytest::n;

namespace {

const auto kTemp = size_t(index(Quantity::Temperature));

} // namespace

// Limits typed by a person (checked, °F kept in °C) and kept in settings per logger serial
// number and as the default.
class TestLimits : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void validate_data()
    {
        QTest::addColumn<QString>("high");
        QTest::addColumn<QString>("low");
        QTest::addColumn<QString>("delay");
        QTest::addColumn<bool>("fahrenheit");
        // "stored high, low | shown again high, low" or the message shown.
        QTest::addColumn<QString>("expected");

        using namespace analysistext;
        QTest::newRow("°C as typed") << "25.5"
                                     << " 2"
                                     << "0" << false << "25.5 2 | 25.5 2";
        QTest::newRow("°F kept in °C, shown again as typed") << "77"
                                                             << "40"
                                                             << "15" << true << "25 4.44 | 77 40";
        QTest::newRow("empty fields: no limits, delay 0") << ""
                                                          << " "
                                                          << "" << false << "- - | - -";
        QTest::newRow("not a number")
            << "2x5"
            << ""
            << "0" << false << kNotANumber.arg(kHigh, "temperature", "2x5");
        QTest::newRow("*** is not a number")
            << ""
            << "***"
            << "0" << false << kNotANumber.arg(kLow, "temperature", "***");
        QTest::newRow("nan is not a number")
            << "nan"
            << ""
            << "0" << false << kNotANumber.arg(kHigh, "temperature", "nan");
        QTest::newRow("low equal to high")
            << "8"
            << "8.0"
            << "0" << false << kLowNotBelowHigh.arg("temperature", "8.0", "8");
        QTest::newRow("low above high in °F")
            << "40"
            << "50"
            << "0" << true << kLowNotBelowHigh.arg("temperature", "50", "40");
        QTest::newRow("negative delay") << ""
                                        << ""
                                        << "-1" << false << kBadDelay.arg("-1");
        QTest::newRow("delay not whole") << ""
                                         << ""
                                         << "1.5" << false << kBadDelay.arg("1.5");
    }
    void validate()
    {
        QFETCH(QString, high);
        QFETCH(QString, low);
        QFETCH(QString, delay);
        QFETCH(bool, fahrenheit);
        QFETCH(QString, expected);
        LimitTexts texts;
        texts.high[kTemp] = high;
        texts.low[kTemp] = low;
        texts.delayMinutes = delay;
        texts.fahrenheit = fahrenheit;
        const Validation v = analysis::validate(texts);
        if (!v.limits) {
            QCOMPARE(v.error, expected);
            return;
        }
        const Bounds &b = (*v.limits)[Quantity::Temperature];
        const LimitTexts again = toTexts(*v.limits, fahrenheit);
        auto shown = [](const QString &t) { return t.isEmpty() ? QStringLiteral("-") : t; };
        QCOMPARE(QStringLiteral("%1 %2 | %3 %4")
                     .arg(n(b.high), n(b.low), shown(again.high[kTemp]), shown(again.low[kTemp])),
                 expected);
        QCOMPARE(again.delayMinutes, delay.isEmpty() ? QStringLiteral("0") : delay);
    }

    // Each logger keeps its own set; a logger without one gets the default; removing a
    // logger's set returns it to the default. A new store on the same file sees it all.
    void storeRoundTrip()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("limits.ini"));
        Limits fallback;
        fallback[Quantity::Temperature] = {8.0, 2.0};
        fallback.delayMinutes = 10;
        fallback.type = AlarmType::Cumulative;
        Limits own;
        own[Quantity::Humidity].high = 70.0;
        own[Quantity::Temperature].high = 25.0 / 9.0; // every bit comes back
        {
            LimitsStore store(file);
            QVERIFY(store.setDefaults(fallback));
            QVERIFY(store.setForLogger(QStringLiteral("1234"), own));
            QVERIFY(store.setForLogger(QStringLiteral("12/34"), Limits{}));
        }
        LimitsStore store(file);
        QCOMPARE(store.lookup(QStringLiteral("1234")).limits, std::optional(own));
        QCOMPARE(store.lookup(QStringLiteral("12/34")).limits, std::optional(Limits{}));
        QCOMPARE(store.lookup(QStringLiteral("12")).limits, std::optional(fallback));
        QCOMPARE(store.lookup(QString()).limits, std::optional(fallback));
        QVERIFY(store.removeForLogger(QStringLiteral("1234")));
        QCOMPARE(LimitsStore(file).lookup(QStringLiteral("1234")).limits, std::optional(fallback));

        // Settings that cannot be written say so.
        QFile blocker(dir.filePath(QStringLiteral("not-a-folder")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        LimitsStore unwritable(blocker.fileName() + QStringLiteral("/limits.ini"));
        QVERIFY(!unwritable.setDefaults(fallback));
        QCOMPARE(unwritable.defaults().limits, std::optional(Limits{}));
    }
};

QTEST_APPLESS_MAIN(TestLimits)
#include "test_limits.moc"
