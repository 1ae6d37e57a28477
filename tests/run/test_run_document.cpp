// The run document: each way in gives the run its origin, title, identity and file; the one way
// out reads back as the same table; the one summary follows new readings, the identity and the
// limits, telling its views once per burst of changes.

#include "acquisition/reading_set.h"
#include "acquisition/readings_table.h"
#include "analysis/limits_store.h"
#include "common/output_file.h"
#include "device/command_frame.h"
#include "run/run_document.h"
#include "run/kept_judgement.h"
#include "run/run_facts.h"
#include "analysis/summary_output.h"
#include "tools/logger-sim/logger_core.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr int kModel = 2; // temperature and humidity
constexpr int kReadings = 12;

QByteArray memoryImage(int model = kModel, int readings = kReadings, const QSet<int> &failed = {})
{
    loggersim::LoggerCore core;
    loggersim::LoggerState &s = core.state();
    s.model = quint8(model);
    s.failedReadings = failed;
    s.serial = 45;
    s.idBytes = {6, 5, 13};
    s.setLocation("COLD ROOM");
    s.intervalUnit = 'M';
    s.intervalCount = 10;
    s.clock = loggersim::RtcTime{2026, 12, 4, 20, 0, 0};
    core.fillHistory(readings);
    return core.memoryImage(frames::make('R', 'R'));
}

QStringList cells(const ReadingSet &set)
{
    QStringList out;
    const ReadingsTable &t = set.table();
    for (int r = 0; r < t.rows(); ++r)
        for (int c = 0; c < t.cols(); ++c)
            out << t.text(r, c);
    return out;
}

} // namespace

class TestRunDocument : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<LimitsStore> m_store;

    QString written(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(name);
        QString error;
        if (!outputfile::write(path, bytes, &error))
            qFatal("%s", qPrintable(error));
        return path;
    }

private Q_SLOTS:
    void init() { m_store = std::make_unique<LimitsStore>(m_dir.filePath("limits.ini")); }

    void waysIn_data()
    {
        QTest::addColumn<QString>("way");
        QTest::addColumn<int>("origin");
        QTest::addColumn<bool>("image");
        QTest::addColumn<QString>("title");
        for (const char *way : {"download", "image file", "row file", "archive"}) {
            const QString w = QLatin1String(way);
            const RunOrigin o = w == "download" ? RunOrigin::Download
                                : w == "archive" ? RunOrigin::Archive
                                                 : RunOrigin::File;
            const QString title = w == "archive" ? QStringLiteral("Archive: 0045")
                                  : w == "download" ? QString()
                                                    : m_dir.filePath(w);
            QTest::newRow(way) << w << int(o) << (w != "row file") << title;
        }
    }
    void waysIn()
    {
        QFETCH(QString, way);
        RunDocument downloaded(m_store.get());
        downloaded.takeDownload(memoryImage(), kModel);
        const QByteArray rows = setio::encode(downloaded.set(), 2);

        RunDocument doc(m_store.get());
        if (way == "download")
            doc.takeDownload(memoryImage(), kModel);
        else if (way == "image file")
            doc.openFile(written(way, downloaded.fileBytes()));
        else if (way == "row file")
            doc.openFile(written(way, rows));
        else
            doc.openArchived(downloaded.fileBytes(), QStringLiteral("Archive: 0045"));

        QFETCH(int, origin);
        QFETCH(bool, image);
        QFETCH(QString, title);
        QCOMPARE(int(doc.origin()), origin);
        QCOMPARE(doc.savedAsImage(), image);
        QCOMPARE(doc.title(), title);
        // Whose readings these are, as data, whichever way they came.
        QCOMPARE(doc.identity(), (LoggerIdentity{"0045", "06 05 13", "COLD ROOM"}));
        QCOMPARE(doc.summary().readings, kReadings);
        QCOMPARE(doc.header().serial, QStringLiteral("0045"));
        // The one way out: the file the run gives reads back as the same table.
        RunDocument again(m_store.get());
        QCOMPARE(again.openArchived(doc.fileBytes(), QString()).status, setio::Status::Ok);
        QCOMPARE(cells(again.set()), cells(doc.set()));
        QCOMPARE(again.fileBytes(), doc.fileBytes());

        doc.clear();
        QCOMPARE(doc.origin(), RunOrigin::None);
        QCOMPARE(doc.identity(), LoggerIdentity{});
        QCOMPARE(doc.summary().readings, 0);
    }

    // A file that cannot be opened changes nothing of the run shown.
    void failedOpenKeepsTheRun()
    {
        RunDocument doc(m_store.get());
        doc.takeDownload(memoryImage(), kModel);
        const QByteArray before = doc.fileBytes();
        QCOMPARE(doc.openFile(written("noise", "noise")).status, setio::Status::FileError);
        QCOMPARE(doc.origin(), RunOrigin::Download);
        QCOMPARE(doc.fileBytes(), before);
    }

    // What the archive keeps of a file it imports is read without a table, and is what the
    // file opened as the window opens it shows: whose, how many, from when to when, and the
    // one summary under the limits kept for the logger, failed readings and excursions too.
    void factsOfAFileAsOpened_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<bool>("image");
        QTest::newRow("row file, temperature and humidity") << kModel << false;
        QTest::newRow("row file, temperature") << 1 << false;
        QTest::newRow("row file, voltage") << 7 << false;
        QTest::newRow("image file") << kModel << true;
    }
    void factsOfAFileAsOpened()
    {
        QFETCH(int, model);
        QFETCH(bool, image);
        analysis::Limits band;
        band[analysis::Quantity::Temperature] = {23.0, 19.0};
        band[analysis::Quantity::Humidity].high = 50.0;
        band[analysis::Quantity::Voltage].low = 1.5;
        band.delayMinutes = 30;
        LimitsStore kept(m_dir.filePath("band.ini"));
        QVERIFY(kept.setForLogger(QStringLiteral("0045"), band));
        RunDocument downloaded(&kept);
        downloaded.takeDownload(memoryImage(model, 400, {3, 4, 5, 200, 399}), model);
        const QByteArray bytes =
            image ? downloaded.fileBytes() : setio::encode(downloaded.set(), 2);

        RunDocument opened(&kept);
        QCOMPARE(opened.openFile(written("file", bytes)).status, setio::Status::Ok);
        const RunFacts want = factsOf(opened);
        const RunFacts read = readRunFacts(bytes, &kept);
        QCOMPARE(read.opened.status, setio::Status::Ok);
        QCOMPARE(read.model, want.model);
        QCOMPARE(read.identity, want.identity);
        QCOMPARE(read.readings, 400);
        QCOMPARE(read.first, want.first);
        QCOMPARE(read.last, want.last);
        QCOMPARE(read.limitsRefusal, want.limitsRefusal);
        QVERIFY(want.summary.invalid > 0);
        QVERIFY(want.summary.verdict != analysis::Verdict::NoLimits);
        QCOMPARE(analysis::summaryJson(read.summary, opened.header()),
                 analysis::summaryJson(want.summary, opened.header()));
        QCOMPARE(readRunFacts("noise", &kept).opened.status, setio::Status::FileError);
    }

    void summaryFollowsTheRun()
    {
        RunDocument doc(m_store.get());
        QSignalSpy told(&doc, &RunDocument::summaryChanged);
        doc.takeDownload(memoryImage(), kModel);
        QCOMPARE(doc.summary().verdict, analysis::Verdict::NoLimits);

        // The kept limits of the logger apply once they are looked up again, at once.
        analysis::Limits high;
        high[analysis::Quantity::Temperature].high = -30.0;
        QVERIFY(m_store->setForLogger(QStringLiteral("0045"), high));
        told.clear();
        doc.limitsChanged();
        QCOMPARE(told.count(), 1);
        QCOMPARE(doc.summary().verdict, analysis::Verdict::Alarm);

        // Limits of this run alone win over the kept ones, and give way again.
        doc.setLimits(analysis::Limits{});
        QCOMPARE(doc.summary().verdict, analysis::Verdict::NoLimits);
        doc.setLimits(std::nullopt);
        QCOMPARE(doc.summary().verdict, analysis::Verdict::Alarm);

        // A burst of new rows: the summary is current at once, the views are told once.
        told.clear();
        ReadingsTable &t = doc.set().table();
        for (int k = 0; k < 3; ++k) {
            t.setRows(t.rows() + 1);
            t.setCell(t.rows() - 1, 3, QStringLiteral("***"), true);
        }
        QCOMPARE(doc.summary().readings, kReadings + 3);
        // Rows without a time stand still: the run lasts as long as before.
        QCOMPARE(doc.summary().durationSeconds, (kReadings - 1) * 600);
        QCOMPARE(told.count(), 0);
        QTRY_COMPARE(told.count(), 1);
        QCoreApplication::processEvents();
        QCOMPARE(told.count(), 1);

        // Another logger's run: its own limits (none kept: the default set, empty).
        RunDocument other(m_store.get());
        other.takeDownload(memoryImage(), kModel);
        const QByteArray rows = setio::encode(other.set(), 2);
        QCOMPARE(doc.openArchived(QByteArray(rows).replace("0045 06", "0046 06"), QString()).status,
                 setio::Status::Ok);
        QCOMPARE(doc.identity().serial, QStringLiteral("0046"));
        QCOMPARE(doc.summary().verdict, analysis::Verdict::NoLimits);

        // A run of the archive is judged under the limits its judgement keeps, today's beside
        // them; the next run that comes in another way keeps nothing.
        const KeptJudgement kept{QStringLiteral("k"), QStringLiteral("NO LIMITS"), analysis::Limits{},
                                 QDateTime::currentDateTimeUtc(), true};
        QCOMPARE(doc.openArchived(rows, QString(), kept).status, setio::Status::Ok);
        QCOMPARE(doc.summary().verdict, analysis::Verdict::NoLimits);
        QCOMPARE(doc.todaysVerdict(), std::optional(analysis::Verdict::Alarm));
        QVERIFY(doc.limitsRefusal().isEmpty());
        doc.takeDownload(memoryImage(), kModel);
        QVERIFY(!doc.kept());
        QCOMPARE(doc.summary().verdict, analysis::Verdict::Alarm);
    }

    void keptText_data()
    {
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("limitsKept");
        QTest::addColumn<bool>("atStoring");
        QTest::addColumn<int>("today"); // a Verdict, or -1: today's limits are refused
        QTest::addColumn<QString>("text");
        const int alarm = int(analysis::Verdict::Alarm);
        QTest::newRow("judged otherwise") << "NO LIMITS" << true << true << alarm
            << "Kept: NO LIMITS, at storing on 8 Dec 05:12 \u2014 Under today's limits: ALARM";
        QTest::newRow("judged alike") << "ALARM" << true << false << alarm
            << "Kept: ALARM, judged again on 8 Dec 05:12, under the limits kept with it";
        QTest::newRow("unknown limits") << "OK" << false << true << alarm
            << "Kept: OK, at storing on 8 Dec 05:12 under unknown limits \u2014 Under today's "
               "limits: ALARM";
        QTest::newRow("today refused") << "OK" << true << true << -1
            << "Kept: OK, at storing on 8 Dec 05:12, under the limits kept with it";
    }
    void keptText()
    {
        QFETCH(QString, status);
        QFETCH(bool, limitsKept);
        QFETCH(bool, atStoring);
        QFETCH(int, today);
        QFETCH(QString, text);
        // The moment is shown in the local time of the screen.
        const QDateTime at = QDateTime(QDate(2026, 12, 8), QTime(5, 12, 1)).toUTC();
        const KeptJudgement kept{QStringLiteral("k"), status,
                                 limitsKept ? std::optional(analysis::Limits{}) : std::nullopt, at,
                                 atStoring};
        const auto verdict = today < 0 ? std::nullopt : std::optional(analysis::Verdict(today));
        QCOMPARE(::keptText(kept, verdict), text);
        QCOMPARE(judgedOtherwise(kept, verdict), text.contains("today's"));
    }
};

QTEST_GUILESS_MAIN(TestRunDocument)
#include "test_run_document.moc"
