#include "analysis/summary.h"
#include "analysis/summary_output.h"
#include "common/model_codes.h"
#include "summary_rows.h"

#include <QFile>
#include <QtTest>

using namespace analysis;
using namespace summarytest;

namespace {

// "min@row max@row mean sd mkt valid/invalid", rows counted from 0.
QString statisticsOf(const SensorSummary &s)
{
    auto at = [](const std::optional<double> &v, const QDateTime &t) {
        return v ? n(v) + QLatin1Char('@') + QString::number(kStart.secsTo(t) / kStep)
                 : QStringLiteral("-");
    };
    return QStringList{at(s.min, s.minAt), at(s.max, s.maxAt),
                       n(s.mean),          n(s.sd),
                       n(s.mkt),           QStringLiteral("%1/%2").arg(s.valid).arg(s.invalid)}
        .join(QLatin1Char(' '));
}

// "limit: first-last:extreme ... | total longest alarm|ok", rows counted from 0.
QString outcome(const std::optional<LimitOutcome> &o)
{
    if (!o)
        return QStringLiteral("none");
    QString t = n(o->limit) + QLatin1Char(':');
    for (const Excursion &e : o->excursions)
        t += QStringLiteral(" %1-%2:%3")
                 .arg(kStart.secsTo(e.start) / kStep)
                 .arg(kStart.secsTo(e.end) / kStep)
                 .arg(n(e.extreme));
    return t + QStringLiteral(" | %1s longest %2s %3")
                   .arg(o->seconds)
                   .arg(o->longestSeconds)
                   .arg(o->alarm ? QStringLiteral("alarm") : QStringLiteral("ok"));
}

} // namespace

// The summary of a reading set: statistics on hand-worked sets, excursions beyond the limits
// under delay and alarm type, the verdict, and the JSON that scripts read.
class TestSummary : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void statistics_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<QString>("rows");
        QTest::addColumn<bool>("fahrenheit");
        QTest::addColumn<int>("sensor");
        QTest::addColumn<QString>("expected");

        QTest::newRow("constant 25.0: MKT 25.00")
            << model::kRV110 << "25.0 25.0 25.0" << false << 0 << "25@0 25@0 25 0 25 3/0";
        QTest::newRow("20.0 and 30.0: MKT 26.26")
            << model::kRV110 << "20.0 30.0" << false << 0 << "20@0 30@1 25 7.07 26.26 2/0";
        QTest::newRow("2, 8, 8, 8, 25: MKT 14.42") << model::kRV110 << "2.0 8.0 8.0 8.0 25.0"
                                                   << false << 0 << "2@0 25@4 10.2 8.67 14.42 5/0";
        QTest::newRow("ties take the first time") << model::kRV410 << "2.500 1.200 2.500 1.200"
                                                  << false << 0 << "1.2@1 2.5@0 1.85 0.75 - 4/0";
        QTest::newRow("invalid readings skipped and counted")
            << model::kRV110 << "* 4.0 * 6.0" << false << 0 << "4@1 6@3 5 1.41 5.06 2/2";
        QTest::newRow("one reading: sd 0")
            << model::kRV110 << "7.5" << false << 0 << "7.5@0 7.5@0 7.5 0 7.5 1/0";
        QTest::newRow("°F: MKT of the values back in °C, shown in °F")
            << model::kRV110 << "68.00 86.00" << true << 0 << "68@0 86@1 77 12.73 79.27 2/0";
        QTest::newRow("humidity: second sensor, no MKT")
            << model::kRV210 << "20.0/55.0 21.0/* 22.0/65.0" << false << 1
            << "55@0 65@2 60 7.07 - 2/1";
        QTest::newRow("no valid reading")
            << model::kRV110 << "* *" << false << 0 << "- - - - - 0/2";
    }
    void statistics()
    {
        QFETCH(int, model);
        QFETCH(QString, rows);
        QFETCH(bool, fahrenheit);
        QFETCH(int, sensor);
        QFETCH(QString, expected);
        const Summary s = summarize(input(model, rows, fahrenheit), Limits{});
        QCOMPARE(statisticsOf(s.sensors.at(size_t(sensor))), expected);
    }

    void excursions_data()
    {
        QTest::addColumn<QString>("rows");
        QTest::addColumn<bool>("fahrenheit");
        QTest::addColumn<QString>("high"); // °C, empty for none
        QTest::addColumn<QString>("low");
        QTest::addColumn<int>("delay");
        QTest::addColumn<bool>("cumulative");
        QTest::addColumn<QString>("above");
        QTest::addColumn<QString>("below");
        QTest::addColumn<QString>("verdict");

        QTest::newRow("a run broken by ***")
            << "24 26 27 * 26 24" << false << "25"
            << "" << 0 << false << "25: 1-2:27 4-4:26 | 1800s longest 1200s alarm"
            << "none"
            << "ALARM";
        QTest::newRow("touching a limit is not beyond it")
            << "25 25 2 2" << false << "25"
            << "2" << 0 << false << "25: | 0s longest 0s ok"
            << "2: | 0s longest 0s ok"
            << "OK";
        QTest::newRow("below the low limit, lowest value") << "5 1.5 1 5" << false << ""
                                                           << "2" << 0 << false << "none"
                                                           << "2: 1-2:1 | 1200s longest 1200s alarm"
                                                           << "ALARM";
        QTest::newRow("single: no excursion lasts the delay")
            << "26 26 24 26 24" << false << "25"
            << "" << 30 << false << "25: 0-1:26 3-3:26 | 1800s longest 1200s ok"
            << "none"
            << "OK";
        QTest::newRow("cumulative: together they last the delay")
            << "26 26 24 26 24" << false << "25"
            << "" << 30 << true << "25: 0-1:26 3-3:26 | 1800s longest 1200s alarm"
            << "none"
            << "ALARM";
        QTest::newRow("single: one excursion lasts the delay")
            << "26 26 26 24" << false << "25"
            << "" << 30 << false << "25: 0-2:26 | 1800s longest 1800s alarm"
            << "none"
            << "ALARM";
        QTest::newRow("°F: limits compared in the table's unit")
            << "77.00 77.18 32.00" << true << "25"
            << "0" << 0 << false << "77: 1-1:77.18 | 600s longest 600s alarm"
            << "32: | 0s longest 0s ok"
            << "ALARM";
        QTest::newRow("no limits") << "26 27" << false << ""
                                   << "" << 0 << false << "none"
                                   << "none"
                                   << "NO LIMITS";
    }
    void excursions()
    {
        QFETCH(QString, rows);
        QFETCH(bool, fahrenheit);
        QFETCH(QString, high);
        QFETCH(QString, low);
        QFETCH(int, delay);
        QFETCH(bool, cumulative);
        Limits limits;
        limits[Quantity::Temperature] = {number(high), number(low)};
        limits.delayMinutes = delay;
        limits.type = cumulative ? AlarmType::Cumulative : AlarmType::Single;
        // A humidity limit counts for humidity loggers only.
        limits[Quantity::Humidity].high = 10;
        const Summary s = summarize(input(model::kRV110, rows, fahrenheit), limits);
        QFETCH(QString, above);
        QFETCH(QString, below);
        QFETCH(QString, verdict);
        QCOMPARE(outcome(s.sensors.at(0).above), above);
        QCOMPARE(outcome(s.sensors.at(0).below), below);
        QCOMPARE(verdictText(s.verdict), verdict);
    }

    // The figures of the run: readings with a "***" in any column count as invalid; the
    // interval is the median step, so a gap in the run does not change it.
    void runFigures()
    {
        SummaryInput in = input(model::kRV210, "20.0/55.0 21.0/* 22.0/60.0 */* 23.0/61.0");
        in.rows.back().time = in.rows.back().time.addSecs(3600);
        const Summary s = summarize(in, Limits{});
        QCOMPARE(s.readings, 5);
        QCOMPARE(s.invalid, 2);
        QCOMPARE(s.intervalSeconds, std::optional<qint64>(600));
        QCOMPARE(s.durationSeconds, 4 * 600 + 3600);
        QCOMPARE(s.first, kStart);
        QVERIFY(!summarize(input(model::kRV110, "20.0"), Limits{}).intervalSeconds);
    }

    // Every key present in a fixed order, null where nothing applies, mean rounded half to
    // even (24.375 gives 24.38), times local without a zone.
    void json()
    {
        Limits limits;
        limits[Quantity::Temperature].high = 25.0;
        const Summary s =
            summarize(input(model::kRV210, "20.0/55.0 26.0/* 27.5/60.0 * 24.0/50.0"), limits);
        QFile expected(QStringLiteral(KESTRUN_EXPECTED_JSON));
        QVERIFY(expected.open(QIODevice::ReadOnly));
        const QByteArray json =
            summaryJson(s, {QStringLiteral("1234"), QStringLiteral("SIM \"LAB\"")});
        QCOMPARE(json, expected.readAll());
    }
};

QTEST_APPLESS_MAIN(TestSummary)
#include "test_summary.moc"
