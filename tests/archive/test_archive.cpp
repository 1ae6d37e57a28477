// The archive on real databases, every body once per backend (SQLite in a temporary folder,
// the PostgreSQL cluster the test script starts): store, list with filters, get, import, the
// browser's model, the duplicate kept once, the outbox while the server is stopped or stops
// answering, a process killed while storing, two processes storing into one file, a damaged
// file.

#include "acquisition/image_loader.h"
#include "acquisition/reading_set.h"
#include "archive/archive.h"
#include "archive/archive_texts.h"
#include "archive/browse_worker.h"
#include "archive/record_of_run.h"
#include "run/run_document.h"
#include "archive/run_table_model.h"
#include "datafile/brv2_file.h"
#include "datafile/set_io.h"
#include "device/command_frame.h"
#include "tools/logger-sim/logger_core.h"
#include "tests/support/stalling_proxy.h"
#include "tests/tools/cli_process.h"

#include <QCryptographicHash>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <functional>

using namespace archive;

namespace {

const char *const kChildVariable = "KESTRUN_ARCHIVE_TEST_CHILD"; // "FILE|COUNT|NAME"

// A download of a simulated logger: `readings` readings every 15 minutes up to a fixed clock,
// those at the places `failed` (0: the oldest) with failed-sensor words.
RunRecord downloaded(int model, int serial, const char *location, int readings,
                     bool fahrenheit = false, const QSet<int> &failed = {})
{
    loggersim::LoggerCore core;
    loggersim::LoggerState &s = core.state();
    s.failedReadings = failed;
    s.model = quint8(model);
    s.serial = serial;
    s.idBytes = {6, 5, 13};
    s.setLocation(location);
    s.intervalUnit = 'M';
    s.intervalCount = 15;
    s.clock = loggersim::RtcTime{2024, 5, 17, 12, 0, 0};
    core.fillHistory(readings);
    RunDocument doc;
    doc.set().Cels_Faren = fahrenheit ? 0 : -1;
    doc.takeDownload(core.memoryImage(frames::make('R', 'R')), model);
    return recordOf(doc);
}

QStringList keysOf(const QList<RunRecord> &runs)
{
    QStringList keys;
    for (const RunRecord &r : runs)
        keys << r.key;
    return keys;
}

// The child process of the concurrency tests: stores COUNT distinct runs of a full memory's size
// (COUNT 0: until killed) into FILE, one "stored" line after each commit.
int storeAsChild(const QString &job)
{
    const QStringList fields = job.split(QLatin1Char('|'));
    ArchiveDb db({Location::Kind::SQLite, fields.at(0)});
    const int count = fields.at(1).toInt();
    RunRecord run = downloaded(1, 45, "CHILD", 16000);
    const QByteArray base = run.bytes;
    for (int i = 0; count == 0 || i < count; ++i) {
        setBytes(run, base + fields.at(2).toUtf8() + QByteArray::number(i));
        if (db.store(run) != ArchiveDb::Stored::Added) {
            std::fprintf(stderr, "%s\n", qPrintable(db.error()));
            return 1;
        }
        std::printf("stored\n");
        std::fflush(stdout);
    }
    return 0;
}

} // namespace

class TestArchive : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    Location m_target;
    Location m_local;

    QString file() const { return m_dir.filePath(QLatin1String(kFileName)); }

    bool cluster(const char *command)
    {
        return QProcess::execute(qEnvironmentVariable("KESTRUN_SOURCE_DIR") + "/scripts/pg-cluster",
                                 {QLatin1String(command), qEnvironmentVariable("KESTRUN_TEST_PG_CLUSTER")}) == 0;
    }

    // The backends this run tests (CTest runs the executable once for each).
    static bool chosen(const char *backend)
    {
        return qEnvironmentVariable("KESTRUN_TEST_BACKENDS", "sqlite,postgres").contains(backend);
    }

    static void addBackends()
    {
        QTest::addColumn<bool>("shared");
        if (chosen("sqlite"))
            QTest::newRow("sqlite") << false;
        if (chosen("postgres"))
            QTest::newRow("postgres") << true;
    }

    // The data row's archive, empty.
    void useBackend(bool shared)
    {
        m_local = {Location::Kind::SQLite, file()};
        m_target = m_local;
        if (!shared)
            return;
        m_target = locationFrom(qEnvironmentVariable("KESTRUN_TEST_PG"));
        QCOMPARE(m_target.kind, Location::Kind::PostgreSQL);
        ArchiveDb db(m_target);
        QVERIFY2(db.open(), qPrintable(db.error()));
        QSqlQuery q(db.database());
        for (const char *t : {"run_bytes", "runs", "schema_version"})
            QVERIFY(q.exec(QStringLiteral("DROP TABLE IF EXISTS %1").arg(QLatin1String(t))));
    }

    // The archive of the data row's backend, empty; false when the test goes no further (the
    // backend is not given, or emptying it failed).
    bool onDataRowsBackend()
    {
        QFETCH(bool, shared);
        if (shared && qEnvironmentVariableIsEmpty("KESTRUN_TEST_PG")) {
            QTest::qSkip("no PostgreSQL server given (scripts/test starts one: KESTRUN_TEST_PG)",
                         __FILE__, __LINE__);
            return false;
        }
        useBackend(shared);
        return !QTest::currentTestFailed();
    }

    // The test cluster's archive, empty, for a test that stops, starts or reaches the cluster
    // itself; false when the test goes no further.
    bool onTheCluster()
    {
        if (!chosen("postgres")) {
            QTest::qSkip("PostgreSQL only", __FILE__, __LINE__);
            return false;
        }
        if (qEnvironmentVariableIsEmpty("KESTRUN_TEST_PG_CLUSTER")) {
            QTest::qSkip("no PostgreSQL cluster given (scripts/test starts one: KESTRUN_TEST_PG_CLUSTER)",
                         __FILE__, __LINE__);
            return false;
        }
        useBackend(true);
        return !QTest::currentTestFailed();
    }

private Q_SLOTS:
    // The limits a record's verdict is judged by come from settings of this test's own.
    void initTestCase() { qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.filePath("config"))); }

    void init()
    {
        QVERIFY(m_dir.isValid());
        QFile::remove(file());
    }

    void roundTrips_data() { addBackends(); }
    void roundTrips()
    {
        if (!onDataRowsBackend())
            return;
        Archive archive(m_target, m_local);
        // Stored a second apart, oldest first.
        const QDateTime stored = QDateTime::currentDateTimeUtc();
        RunRecord freezer = downloaded(2, 45, "Freezer 2", 96);
        freezer.storedAt = stored;
        RunRecord alarm = downloaded(1, 45, "Cold room", 40);
        alarm.status = QStringLiteral("ALARM");
        alarm.storedAt = stored.addSecs(1);
        RunRecord other = downloaded(7, 12, "LAB A", 10);
        other.storedAt = stored.addSecs(2);
        for (const RunRecord &r : {freezer, alarm, other}) {
            const auto outcome = archive.store(r);
            QVERIFY2(outcome.stored == ArchiveDb::Stored::Added, qPrintable(outcome.message));
        }
        // Extremes are kept in degC whichever unit the table showed.
        const RunRecord inF = downloaded(2, 45, "Freezer 2", 96, true);
        QVERIFY(freezer.minimum[0] && freezer.maximum[1]);
        QCOMPARE(inF.minimum, freezer.minimum);
        QCOMPARE(inF.maximum, freezer.maximum);
        // The same logger read again without new readings: kept once.
        QCOMPARE(archive.store(freezer).stored, ArchiveDb::Stored::AlreadyThere);

        // An imported copy of the file Save writes is the same run.
        const QString path = m_dir.filePath("freezer.brv2");
        QString error;
        QVERIFY(brv2::writeFileAtomically(path, freezer.bytes, &error));
        const auto imported = recordFromFile(path, &error);
        QVERIFY2(imported, qPrintable(error));
        QCOMPARE(imported->key, freezer.key);
        QCOMPARE(imported->first, QDateTime(QDate(2024, 5, 16), QTime(12, 15), Qt::UTC));
        QCOMPARE(imported->last, QDateTime(QDate(2024, 5, 17), QTime(12, 0), Qt::UTC));
        QCOMPARE(archive.store(*imported).stored, ArchiveDb::Stored::AlreadyThere);

        ArchiveDb &db = archive.db();
        const QStringList newestFirst{other.key, alarm.key, freezer.key};
        const auto all = db.list();
        QVERIFY2(all, qPrintable(db.error()));
        QCOMPARE(keysOf(*all), newestFirst);
        const RunRecord &listed = all->at(2);
        QCOMPARE(listed.serial, 45);
        QCOMPARE(listed.location, QStringLiteral("Freezer 2"));
        QCOMPARE(listed.model, 2);
        QCOMPARE(listed.readings, 96);
        QCOMPARE(listed.first, imported->first);
        QCOMPARE(listed.last, imported->last);
        QCOMPARE(listed.status.value_or(QString()), QStringLiteral("NO LIMITS"));
        QCOMPARE(all->at(1).status.value_or(QString()), QStringLiteral("ALARM"));

        struct Case { const char *name; std::function<void(RunFilter &)> set; QStringList keys; };
        const QDateTime day(QDate(2024, 5, 17), QTime(0, 0), Qt::UTC);
        const Case cases[] = {
            {"serial", [](RunFilter &f) { f.serial = 45; }, {alarm.key, freezer.key}},
            {"location, any case", [](RunFilter &f) { f.location = "freezer"; }, {freezer.key}},
            {"location with a wildcard character", [](RunFilter &f) { f.location = "%"; }, {}},
            {"readings on or after", [&](RunFilter &f) { f.since = day.addSecs(12 * 3600); }, newestFirst},
            {"readings up to before the shortest run", [&](RunFilter &f) { f.until = day.addSecs(9 * 3600); },
             {alarm.key, freezer.key}},
            {"alarms only", [](RunFilter &f) { f.alarmsOnly = true; }, {alarm.key}},
        };
        for (const Case &c : cases) {
            RunFilter filter;
            c.set(filter);
            const auto runs = db.list(filter);
            QVERIFY2(runs, qPrintable(db.error()));
            QVERIFY2(keysOf(*runs) == c.keys, c.name);
            QVERIFY2(db.count(filter) == c.keys.size(), c.name);
        }

        // The browser's model: filtered and sorted by the database, through the worker a page
        // at a time; the pages meet without a gap or a run twice.
        BrowseWorker worker(m_target);
        RunTableModel model(worker, nullptr, 2);
        QTRY_VERIFY(!model.isAsking());
        QVERIFY(model.canFetchMore({}));
        model.fetchMore({});
        QTRY_COMPARE(model.rowCount(), 3);
        QVERIFY(!model.canFetchMore({}));
        QCOMPARE((QStringList{model.keyAt(0), model.keyAt(1), model.keyAt(2)}), newestFirst);
        RunFilter one;
        one.serial = 45;
        model.setFilter(one);
        model.sort(int(RunColumn::Readings), Qt::AscendingOrder);
        QTRY_VERIFY(!model.isAsking());
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.keyAt(0), alarm.key);
        QCOMPARE(model.data(model.index(0, int(RunColumn::Model))).toString(), QStringLiteral("RV-110"));
        QCOMPARE(model.data(model.index(0, int(RunColumn::Serial))).toString(), QStringLiteral("0045"));

        QCOMPARE(db.bytes(freezer.key).value_or(QByteArray()), freezer.bytes);
        QVERIFY(db.remove(freezer.key));
        QVERIFY(!db.bytes(freezer.key));
        QCOMPARE(db.fault(), ArchiveDb::Fault::NotFound);
        QCOMPARE(keysOf(db.list().value_or(QList<RunRecord>())), (QStringList{other.key, alarm.key}));
    }

    // The shared server stopped: the run waits here, is sent once it is back, and only once.
    void offlineThenSync()
    {
        if (!onTheCluster())
            return;
        const RunRecord run = downloaded(2, 45, "Freezer 2", 96, false, {10, 11});
        Archive archive(m_target, m_local);
        QVERIFY(cluster("stop"));
        const auto outcome = archive.store(run);
        const auto again = archive.store(run);
        QVERIFY(cluster("start"));
        QVERIFY2(outcome.keptHere, qPrintable(outcome.message));
        QVERIFY2(outcome.message.contains("could not be reached"), qPrintable(outcome.message));
        QCOMPARE(again.stored, ArchiveDb::Stored::AlreadyThere);

        const auto sent = archive.sync();
        QVERIFY2(sent.ok(), qPrintable(sent.message));
        QCOMPARE(sent.sent, 1);
        QCOMPARE(archive.sync().sent, 0);
        const QList<RunRecord> there = archive.db().list().value_or(QList<RunRecord>());
        QCOMPARE(keysOf(there), QStringList{run.key});
        QCOMPARE(there.at(0).failed, run.failed);
        QCOMPARE(archive.db().bytes(run.key).value_or(QByteArray()), run.bytes);
        ArchiveDb here(m_local);
        QCOMPARE(here.waitingToSend().value_or(QList<RunRecord>{run}).size(), 0);
    }

    // kestrun-cli importing several files through a proxy to the server that stalls in the
    // middle (a server whose process stops, a link that goes quiet), or that accepts and never
    // answers: the run then being stored ends when the deadline the connection string sets runs
    // out, the server is given up on once (one connection, not one per file), that run and
    // those after it wait here, and the user is told once. They are sent on later.
    void serverThatStopsAnswering_data()
    {
        using testproxy::StallingProxy;
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("reached"); // runs the server took before it stopped answering
        QTest::addColumn<QString>("why"); // %1: the archive as messages name it
        QTest::newRow("stalls mid-import")
            << int(StallingProxy::Mode::Forward) << 2 << archivetext::kNoAnswer.arg("%1", "1.5");
        QTest::newRow("accepts, never answers")
            << int(StallingProxy::Mode::Silent) << 0
            << archivetext::kUnreachable.arg(
                   "%1", "connection to server at \"127.0.0.1\", port PORT failed: timeout expired");
    }
    void serverThatStopsAnswering()
    {
        QFETCH(int, mode);
        QFETCH(int, reached);
        QFETCH(QString, why);
        if (!onTheCluster())
            return;
        auto proxy = std::make_unique<testproxy::StallingProxy>(
            qEnvironmentVariable("KESTRUN_TEST_PG_CLUSTER") + "/.s.PGSQL.5432",
            testproxy::StallingProxy::Mode(mode));
        proxy->stallOn("STALL HERE");
        // Deadlines as a site sets them: connecting gives up after 2 s, a statement after 1 s.
        const QString through = QStringLiteral("host=127.0.0.1 port=%1 user=postgres dbname=kestrun "
                                               "connect_timeout=2 options='-c statement_timeout=1000'")
                                    .arg(proxy->port());
        QList<RunRecord> runs;
        QStringList files{"archive", "import"};
        for (int i = 0; i < 5; ++i) {
            runs << downloaded(1, 40 + i, i == reached ? "STALL HERE" : "ROOM", 10 + i);
            files << m_dir.filePath(QStringLiteral("run%1.brv2").arg(i));
            QString error;
            QVERIFY2(brv2::writeFileAtomically(files.last(), runs.last().bytes, &error), qPrintable(error));
        }
        QProcessEnvironment env = clitest::environment();
        env.insert("KESTRUN_ARCHIVE", through);
        const QTemporaryDir data; // this computer's archive, where runs wait
        env.insert("XDG_DATA_HOME", data.path());
        const clitest::Result import = clitest::run(files, 60000, env);
        QVERIFY2(import.ok(), import.err.constData());
        QCOMPARE(import.outText().count('\n'), 5);
        why = why.arg(through).replace("PORT", QString::number(proxy->port()));
        QCOMPARE(import.errText(), archivetext::kWaitingHere.arg(why, QString::number(5 - reached)) + '\n');
        QCOMPARE(proxy->connections(), 1);
        proxy.reset();

        ArchiveDb here({Location::Kind::SQLite, data.filePath("Brivak/Kestrun/archive.sqlite")});
        QCOMPARE(keysOf(here.waitingToSend().value_or(QList<RunRecord>())), keysOf(runs.mid(reached)));
        Archive direct(m_target, here.location());
        QCOMPARE(direct.db().count({}), reached);
        const auto sent = direct.sync();
        QVERIFY2(sent.ok(), qPrintable(sent.message));
        QCOMPARE(sent.sent, 5 - reached);
    }

    // An archive of the first schema, from before failed readings were kept: it opens, its runs
    // list with their failed readings unknown, and new runs keep theirs.
    void olderArchiveStaysReadable_data() { addBackends(); }
    void olderArchiveStaysReadable()
    {
        if (!onDataRowsBackend())
            return;
        const RunRecord old = downloaded(1, 45, "OLD", 20);
        {
            ArchiveDb db(m_target);
            QCOMPARE(db.store(old), ArchiveDb::Stored::Added);
            QSqlQuery q(db.database());
            for (const char *column : {"failed1", "failed_longest1", "failed_at1", "failed2",
                                       "failed_longest2", "failed_at2"})
                QVERIFY2(q.exec(QStringLiteral("ALTER TABLE runs DROP COLUMN %1")
                                    .arg(QLatin1String(column))),
                         qPrintable(q.lastError().text()));
            QVERIFY(q.exec(QStringLiteral("DELETE FROM schema_version WHERE version > 1")));
        }
        ArchiveDb db(m_target);
        QVERIFY2(db.open(), qPrintable(db.error()));
        // The humidity logger's probe failed for the readings of 08:30, 08:45 and 09:30.
        const RunRecord fresh = downloaded(2, 45, "NEW", 20, false, {5, 6, 9});
        QCOMPARE(db.store(fresh), ArchiveDb::Stored::Added);
        const QList<RunRecord> runs = db.list().value_or(QList<RunRecord>());
        QCOMPARE(keysOf(runs), (QStringList{fresh.key, old.key}));
        QVERIFY(!runs.at(1).failed[0] && !runs.at(1).failed[1]);
        const FailedReadings probe{3, 2 * 900,
                                   QDateTime(QDate(2024, 5, 17), QTime(8, 30), Qt::UTC)};
        QCOMPARE(runs.at(0).failed[0], std::optional<FailedReadings>(probe));
        QCOMPARE(runs.at(0).failed[1], std::optional<FailedReadings>(probe));
    }

    // Killed in the middle of storing: the archive opens, passes the integrity check and holds
    // each run whole.
    void killedWhileStoring()
    {
        if (!chosen("sqlite"))
            QSKIP("SQLite only");
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(kChildVariable, file() + "|0|k");
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {});
        QByteArray seen;
        QTRY_VERIFY_WITH_TIMEOUT((seen += child.readAllStandardOutput()).count("stored") >= 3, 60000);
        child.kill();
        QVERIFY(child.waitForFinished(10000));

        ArchiveDb db({Location::Kind::SQLite, file()});
        QVERIFY2(db.open(), qPrintable(db.error()));
        QSqlQuery check(db.database());
        QVERIFY(check.exec("PRAGMA integrity_check") && check.next());
        QCOMPARE(check.value(0).toString(), QStringLiteral("ok"));
        const auto runs = db.list();
        QVERIFY(runs && runs->size() >= 3);
        for (const RunRecord &r : *runs) {
            const QByteArray bytes = db.bytes(r.key).value_or(QByteArray());
            QCOMPARE(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().left(16),
                     r.key.toLatin1());
        }
    }

    // Two programs store into one new file at once: both succeed, nothing is lost.
    void twoProgramsStoreAtOnce()
    {
        if (!chosen("sqlite"))
            QSKIP("SQLite only");
        QProcess children[2];
        for (int i = 0; i < 2; ++i) {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(kChildVariable, QStringLiteral("%1|12|%2").arg(file()).arg(i));
            children[i].setProcessEnvironment(env);
            children[i].start(QCoreApplication::applicationFilePath(), {});
        }
        for (QProcess &c : children) {
            QVERIFY(c.waitForFinished(120000));
            QVERIFY2(c.exitStatus() == QProcess::NormalExit && c.exitCode() == 0,
                     c.readAllStandardError().constData());
        }
        ArchiveDb db({Location::Kind::SQLite, file()});
        QCOMPARE(db.list().value_or(QList<RunRecord>()).size(), 24);
    }

    // A file that is no database is reported and left exactly as it was.
    void damagedFileIsLeftAlone()
    {
        if (!chosen("sqlite"))
            QSKIP("SQLite only");
        const QByteArray junk(8192, 'x');
        QFile f(file());
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(junk) == junk.size());
        f.close();
        Archive archive({Location::Kind::SQLite, file()}, {Location::Kind::SQLite, file()});
        const auto outcome = archive.store(downloaded(1, 45, "LAB A", 10));
        QVERIFY(!outcome.ok());
        QCOMPARE(archive.db().fault(), ArchiveDb::Fault::Damaged);
        QVERIFY2(outcome.message.contains(file()) && outcome.message.contains("damaged"),
                 qPrintable(outcome.message));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), junk);
    }
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (const QString job = qEnvironmentVariable(kChildVariable); !job.isEmpty())
        return storeAsChild(job);
    TestArchive test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_archive.moc"
