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
        QTest::newRow("a year is the longest delay") << ""
                                                     << ""
                                                     << "525600" << false << "- - | - -";
        QTest::newRow("delay beyond a year") << ""
                                             << ""
                                             << "525601" << false << kBadDelay.arg("525601");
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

    // A stored set is held to the check of typed limits: one that fails it is refused with
    // its reason and whose set it is, never judged, and nothing stands in for it.
    void storedSets_data()
    {
        QTest::addColumn<QByteArray>("ini");
        // "high low delay type" of the limits that apply to logger 1207, or the refusal.
        QTest::addColumn<QString>("expected");

        using namespace analysistext;
        const QByteArray sound = "default\\temperature\\high=8\ndefault\\delay_min=30\n";
        const QString logger = kLoggerLimits.arg("1207");
        QTest::newRow("nothing stored: no limits") << QByteArray() << "- - 0 single";
        QTest::newRow("the default for a logger without a set")
            << sound + "default\\type=cumulative\n" << "8 - 30 cumulative";
        QTest::newRow("the logger's own set before the default")
            << sound + "logger\\1207\\temperature\\low=-20\nlogger\\1207\\delay_min=0\n"
            << "- -20 0 single";
        QTest::newRow("a delay that wrapped")
            << QByteArray("default\\delay_min=99999999999\n")
            << kStoredRefused.arg(kDefaultLimits, kBadDelay.arg("99999999999"));
        QTest::newRow("a negative delay")
            << QByteArray("default\\delay_min=-5\n")
            << kStoredRefused.arg(kDefaultLimits, kBadDelay.arg("-5"));
        QTest::newRow("a low above its high")
            << sound + "default\\temperature\\low=9\n"
            << kStoredRefused.arg(kDefaultLimits,
                                  kLowNotBelowHigh.arg("temperature", "9", "8"));
        QTest::newRow("a limit that is no number")
            << QByteArray("default\\delay_min=0\ndefault\\humidity\\high=7O\n")
            << kStoredRefused.arg(kDefaultLimits, kNotANumber.arg(kHigh, "humidity", "7O"));
        QTest::newRow("an empty limit")
            << QByteArray("default\\delay_min=0\ndefault\\temperature\\low=\n")
            << kStoredRefused.arg(kDefaultLimits, kEmptyLimit.arg(kLow, "temperature"));
        QTest::newRow("an unknown alarm type")
            << QByteArray("default\\delay_min=0\ndefault\\type=Cumulative\n")
            << kStoredRefused.arg(kDefaultLimits, kBadType.arg("Cumulative"));
        QTest::newRow("a refused own set: not the default in its place")
            << sound + "logger\\1207\\delay_min=1e3\n"
            << kStoredRefused.arg(logger, kBadDelay.arg("1e3"));
    }
    void storedSets()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        QFile f(dir.filePath(QStringLiteral("limits.ini")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[limits]\n" + ini);
        f.close();
        const Validation v = LimitsStore(f.fileName()).lookup(QStringLiteral("1207"));
        if (!v.limits) {
            QCOMPARE(v.error, expected);
            return;
        }
        const Bounds &b = (*v.limits)[Quantity::Temperature];
        QCOMPARE(QStringLiteral("%1 %2 %3 %4")
                     .arg(n(b.high), n(b.low))
                     .arg(v.limits->delayMinutes)
                     .arg(typeName(v.limits->type)),
                 expected);
    }

    // Values given one by one over a stored set (the command line's options): a blank value
    // is refused rather than taken for "no limit"; a °F option meets a stored °C limit in °C.
    void laidOverStored_data()
    {
        QTest::addColumn<QString>("high"); // the option's text; "none" for no option
        QTest::addColumn<bool>("fahrenheit");
        QTest::addColumn<QString>("expected"); // "high low" kept, or the refusal

        using namespace analysistext;
        QTest::newRow("nothing given keeps the stored set") << "none" << false << "8 2";
        QTest::newRow("a high given takes the stored one's place") << "10" << false << "10 2";
        QTest::newRow("an empty high does not remove the stored one")
            << "" << false << kEmptyLimit.arg(kHigh, "temperature");
        QTest::newRow("a °F high above the stored low") << "50" << true << "10 2";
        QTest::newRow("a °F high below the stored °C low, said in both units")
            << "30" << true << kLowNotBelowHigh.arg("temperature", "2 °C", "30 °F");
    }
    void laidOverStored()
    {
        QFETCH(QString, high);
        QFETCH(bool, fahrenheit);
        QFETCH(QString, expected);
        LimitValues stored;
        stored.high[kTemp] = LimitValue{QStringLiteral("8")};
        stored.low[kTemp] = LimitValue{QStringLiteral("2")};
        stored.delayMinutes = QStringLiteral("0");
        LimitValues options;
        if (high != QLatin1String("none"))
            options.high[kTemp] = LimitValue{high, fahrenheit};
        const Validation v = analysis::validate(laidOver(stored, options));
        if (!v.limits) {
            QCOMPARE(v.error, expected);
            return;
        }
        const Bounds &b = (*v.limits)[Quantity::Temperature];
        QCOMPARE(QStringLiteral("%1 %2").arg(n(b.high), n(b.low)), expected);
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
