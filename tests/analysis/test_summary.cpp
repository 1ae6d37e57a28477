#include "analysis/summary.h"
#include "analysis/summary_output.h"
#include "common/model_codes.h"
#include "summary_rows.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
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

// "count first@row, longest readings@row seconds" of a sensor's failed readings, rows counted
// from 0; "none".
QString failedOf(const SensorSummary &s)
{
    if (s.invalid == 0)
        return QStringLiteral("none");
    const auto row = [](const QDateTime &t) { return kStart.secsTo(t) / kStep; };
    return QStringLiteral("%1 first@%2, longest %3@%4 %5s")
        .arg(s.invalid)
        .arg(row(s.firstFailedAt))
        .arg(s.longestFailed.readings)
        .arg(row(s.longestFailed.start))
        .arg(s.longestFailed.seconds);
}

// "limit: first-last:extreme(failed*) ... | total longest alarm|ok", rows counted from 0 at
// `step` seconds a row.
QString outcome(const std::optional<LimitOutcome> &o, int step)
{
    if (!o)
        return QStringLiteral("none");
    QString t = n(o->limit) + QLatin1Char(':');
    for (const Excursion &e : o->excursions) {
        t += QStringLiteral(" %1-%2:%3")
                 .arg(kStart.secsTo(e.start) / step)
                 .arg(kStart.secsTo(e.end) / step)
                 .arg(n(e.extreme));
        if (e.failed > 0)
            t += QStringLiteral("(%1*)").arg(e.failed);
    }
    return t + QStringLiteral(" | %1s longest %2s %3%4")
                   .arg(o->seconds)
                   .arg(o->longestSeconds)
                   .arg(o->alarm ? QStringLiteral("alarm") : QStringLiteral("ok"),
                        o->noValidReading ? QStringLiteral(", no valid reading") : QString());
}

// "readings/invalid every interval for duration, first..last, back rows", times in minutes
// from kStart.
QString figuresOf(const Summary &s)
{
    const auto minute = [](const QDateTime &t) {
        return t.isValid() ? QString::number(kStart.secsTo(t) / 60) : QStringLiteral("-");
    };
    QStringList back;
    for (const TimeStepBack &step : s.stepsBack)
        back << QString::number(step.row);
    return QStringLiteral("%1/%2 every %3 for %4s, %5..%6, back %7")
        .arg(s.readings)
        .arg(s.invalid)
        .arg(s.intervalSeconds ? QString::number(*s.intervalSeconds) + QLatin1Char('s')
                               : QStringLiteral("-"))
        .arg(s.durationSeconds)
        .arg(minute(s.first), minute(s.last),
             back.isEmpty() ? QStringLiteral("-") : back.join(QLatin1Char(',')));
}

// `text` with every "{m}" replaced by the moment m minutes after kStart as the table writes it.
QString withMoments(QString text)
{
    static const QRegularExpression moment(QStringLiteral("\\{(-?\\d+)\\}"));
    for (QRegularExpressionMatch m = moment.match(text); m.hasMatch(); m = moment.match(text))
        text.replace(m.capturedStart(), m.capturedLength(),
                     momentText(kStart.addSecs(m.captured(1).toLongLong() * 60)));
    return text;
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
        QTest::addColumn<QString>("failed");

        QTest::newRow("constant 25.0: MKT 25.00")
            << model::kRV110 << "25.0 25.0 25.0" << false << 0 << "25@0 25@0 25 0 25 3/0"
            << "none";
        QTest::newRow("20.0 and 30.0: MKT 26.26")
            << model::kRV110 << "20.0 30.0" << false << 0 << "20@0 30@1 25 7.07 26.26 2/0"
            << "none";
        QTest::newRow("2, 8, 8, 8, 25: MKT 14.42") << model::kRV110 << "2.0 8.0 8.0 8.0 25.0"
                                                   << false << 0 << "2@0 25@4 10.2 8.67 14.42 5/0"
                                                   << "none";
        QTest::newRow("ties take the first time") << model::kRV410 << "2.500 1.200 2.500 1.200"
                                                  << false << 0 << "1.2@1 2.5@0 1.85 0.75 - 4/0"
                                                  << "none";
        QTest::newRow("invalid readings skipped and counted")
            << model::kRV110 << "* 4.0 * 6.0" << false << 0 << "4@1 6@3 5 1.41 5.06 2/2"
            << "2 first@0, longest 1@0 600s";
        QTest::newRow("one reading: sd 0")
            << model::kRV110 << "7.5" << false << 0 << "7.5@0 7.5@0 7.5 0 7.5 1/0"
            << "none";
        QTest::newRow("°F: MKT of the values back in °C, shown in °F")
            << model::kRV110 << "68.00 86.00" << true << 0 << "68@0 86@1 77 12.73 79.27 2/0"
            << "none";
        QTest::newRow("humidity: second sensor, no MKT")
            << model::kRV210 << "20.0/55.0 21.0/* 22.0/65.0" << false << 1
            << "55@0 65@2 60 7.07 - 2/1"
            << "1 first@1, longest 1@1 600s";
        QTest::newRow("no valid reading") << model::kRV110 << "* *" << false << 0 << "- - - - - 0/2"
                                          << "2 first@0, longest 2@0 1200s";
        QTest::newRow("the first of the longest runs of failed readings")
            << model::kRV410 << "* 1.000 * * 2.000 * * 3.000" << false << 0 << "1@1 3@7 2 1 - 3/5"
            << "5 first@0, longest 2@2 1200s";
        QTest::newRow("numbers no sensor reads are failed readings")
            << model::kRV410 << "1.000 inf -inf 3.000" << false << 0 << "1@0 3@3 2 1.41 - 2/2"
            << "2 first@1, longest 2@1 1200s";
    }
    void statistics()
    {
        QFETCH(int, model);
        QFETCH(QString, rows);
        QFETCH(bool, fahrenheit);
        QFETCH(int, sensor);
        QFETCH(QString, expected);
        QFETCH(QString, failed);
        const Summary s = summarize(input(model, rows, fahrenheit), Limits{});
        QCOMPARE(statisticsOf(s.sensors.at(size_t(sensor))), expected);
        QCOMPARE(failedOf(s.sensors.at(size_t(sensor))), failed);
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

        QTest::newRow("*** inside an excursion neither ends nor shortens it")
            << "24 26 27 * 26 24" << false << "25"
            << "" << 0 << false << "25: 1-4:27(1*) | 2400s longest 2400s alarm"
            << "none"
            << "ALARM";
        QTest::newRow("11:49 to 18:04 with *** at 16:49 is one excursion, not 5:00 + 1:15")
            << "@60 24 26x300 * 26x75 24" << false << "25"
            << "" << 375 << false << "25: 1-376:26(1*) | 22560s longest 22560s alarm"
            << "none"
            << "ALARM";
        QTest::newRow("every valid reading below the low limit, some ***: one excursion")
            << "5 * 5 5 * 5" << false << ""
            << "15" << 60 << false << "none"
            << "15: 0-5:5(2*) | 3600s longest 3600s alarm"
            << "ALARM";
        QTest::newRow("*** next to a reading within the limit starts nothing")
            << "* 24 * 26 26 * 24 *" << false << "25"
            << "" << 0 << false << "25: 3-4:26 | 1200s longest 1200s alarm"
            << "none"
            << "ALARM";
        QTest::newRow("*** ending the recording stays in the excursion before it")
            << "* 26 * *" << false << "25"
            << "" << 30 << false << "25: 1-3:26(2*) | 1800s longest 1800s alarm"
            << "none"
            << "ALARM";
        QTest::newRow("rows newest first: durations count forward")
            << "@-600 24 26 27 26 24" << false << "25"
            << "" << 0 << false << "25: 3-1:27 | 1800s longest 1800s alarm"
            << "none"
            << "ALARM";
        QTest::newRow("300 of 300 readings ***: no valid reading is an alarm")
            << "*x300" << false << "25"
            << "2" << 0 << false << "25: | 0s longest 0s alarm, no valid reading"
            << "2: | 0s longest 0s alarm, no valid reading"
            << "ALARM";
        QTest::newRow("an empty run: no data")
            << "" << false << "25"
            << "" << 0 << false << "25: | 0s longest 0s alarm, no valid reading"
            << "none"
            << "NO DATA";
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
        QCOMPARE(outcome(s.sensors.at(0).above, stepOf(rows)), above);
        QCOMPARE(outcome(s.sensors.at(0).below, stepOf(rows)), below);
        QCOMPARE(verdictText(s.verdict), verdict);
    }

    // The figures of the run: readings with a "***" in any column count as invalid; the
    // interval is the median length of the steps that move the time, so neither a gap, a time
    // standing still nor a step back changes it; the duration runs from the earliest to the
    // latest time.
    void runFigures_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<QString>("rows");
        QTest::addColumn<QString>("minutes"); // the rows' times after kStart; empty: the rows'
        QTest::addColumn<QString>("expected");
        QTest::newRow("a gap does not change the interval")
            << model::kRV210 << "20.0/55.0 21.0/* 22.0/60.0 */* 23.0/61.0"
            << "0 10 20 30 100"
            << "5/2 every 600s for 6000s, 0..100, back -";
        QTest::newRow("one reading: no interval") << model::kRV110 << "20.0"
                                                  << ""
                                                  << "1/0 every - for 0s, 0..0, back -";
        QTest::newRow("rows newest first: no negative interval")
            << model::kRV110 << "24 26 27"
            << "20 10 0"
            << "3/0 every 600s for 1200s, 0..20, back 2,3";
        QTest::newRow("a live run across the end of summer time")
            << model::kRV110 << "20x6"
            << "0 10 20 -30 -20 -10"
            << "6/0 every 600s for 3000s, -30..20, back 4";
        QTest::newRow("times standing still") << model::kRV110 << "20x5"
                                              << "0 0 10 10 20"
                                              << "5/0 every 600s for 1200s, 0..20, back -";
        QTest::newRow("an empty run") << model::kRV110 << ""
                                      << ""
                                      << "0/0 every - for 0s, -..-, back -";
    }
    void runFigures()
    {
        QFETCH(int, model);
        QFETCH(QString, rows);
        QFETCH(QString, minutes);
        QFETCH(QString, expected);
        SummaryInput in = input(model, rows);
        const QStringList times = minutes.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        for (qsizetype i = 0; i < times.size(); ++i)
            in.rows.at(size_t(i)).time = kStart.addSecs(times[i].toLongLong() * 60);
        QCOMPARE(figuresOf(summarize(in, Limits{})), expected);
    }

    // What the readable block says of failed readings and of time stepping back, line by line
    // (the value after the label's column); the window's test reads the limit lines.
    void texts_data()
    {
        QTest::addColumn<QString>("rows");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("expected"); // {m}: the moment m minutes after kStart
        QTest::newRow("the failed readings of a sensor")
            << "24 * * 24 *"
            << "Failed"
            << "3 readings, the first at {10}; the longest run 2 readings (00:20:00) from {10}";
        QTest::newRow("a step back in time") << "@-600 24 24"
                                             << "Note"
                                             << "Time steps back at row 2: {-10} comes after {0}.";
        QTest::newRow("the steps back beyond the first five are counted")
            << "@-600 24x8"
            << "Note"
            << "Time steps back at 2 more rows.";
    }
    void texts()
    {
        QFETCH(QString, rows);
        QFETCH(QString, label);
        QFETCH(QString, expected);
        Limits limits;
        limits[Quantity::Temperature].high = 25.0;
        const QStringList lines =
            summaryText(summarize(input(model::kRV110, rows), limits), {}).split(QLatin1Char('\n'));
        QString value;
        for (const QString &line : lines)
            if (line.trimmed().startsWith(label + QLatin1Char(':')))
                value = line.mid(16); // the last line of the label
        QCOMPARE(value, withMoments(expected));
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

        // Readings far beyond any sensor's range overflow the mean and the MKT: those are null,
        // and the text is JSON still. Steps back in time are listed with their rows.
        SummaryInput hostile = input(model::kRV110, "@-600 0 0");
        hostile.rows[0].value = 1e308;
        hostile.rows[1].value = -1e308;
        QJsonParseError error;
        const QJsonObject o =
            QJsonDocument::fromJson(summaryJson(summarize(hostile, limits), {}), &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        const QJsonObject t = o["sensors"].toObject()["temperature"].toObject();
        QVERIFY(t["mean"].isNull() && t["mkt"].isNull() && t["sd"].isNull());
        QCOMPARE(t["max"].toDouble(), 1e308);
        const QJsonArray back = o["steps_back"].toArray();
        QCOMPARE(back.size(), 1);
        QCOMPARE(back[0].toObject()["row"].toInt(), 2);
        QCOMPARE(back[0].toObject()["at"].toString(), QStringLiteral("2026-12-04T19:50:00"));
        QCOMPARE(back[0].toObject()["after"].toString(), QStringLiteral("2026-12-04T20:00:00"));
    }
};

QTEST_APPLESS_MAIN(TestSummary)
#include "test_summary.moc"
