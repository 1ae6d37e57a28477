// The archive on real databases, every body once per backend (SQLite in a temporary folder,
// the PostgreSQL cluster the test script starts): store, list with filters, get, import, the
// browser's model, the duplicate kept once, the outbox while the server is stopped or stops
// answering, a process killed while storing, two processes storing into one file, a damaged
// file, runs withdrawn, the archive's check of itself against every kind of tampering, the
// site's limits, a run judged again, and a signature made through kestrun-cli by a throwaway
// account of the system.

#include "acquisition/image_loader.h"
#include "acquisition/reading_set.h"
#include "archive/archive.h"
#include "archive/archive_texts.h"
#include "archive/browse_worker.h"
#include "archive/judge_again.h"
#include "archive/limits_snapshot.h"
#include "archive/site_limits.h"
#include "analysis/analysis_texts.h"
#include "analysis/limits_store.h"
#include "archive/record_of_run.h"
#include "archive/trail_listing.h"
#include "archive/signing.h"
#include "auth/account.h"
#include "tools/kestrun-cli/cli_texts.h"
#include "common/output_file.h"
#include "common/sha256.h"
#include "run/run_document.h"
#include "archive/run_table_model.h"
#include "datafile/set_io.h"
#include "device/command_frame.h"
#include "tools/logger-sim/logger_core.h"
#include "tests/support/stalling_proxy.h"
#include "tests/tools/cli_process.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QScopeGuard>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUuid>
#include <QtTest>

#include <cstdio>
#include <functional>
#include <span>

#include <sys/stat.h>
#include <unistd.h>

using namespace archive;

namespace {

const char *const kChildVariable = "KESTRUN_ARCHIVE_TEST_CHILD"; // "FILE|COUNT|NAME"

// A download of a simulated logger: `readings` readings every 15 minutes up to a fixed clock,
// those at the places `failed` (0: the oldest) with failed-sensor words.
RunRecord downloaded(int model, int serial, const char *location, int readings,
                     bool fahrenheit = false, const QSet<int> &failed = {},
                     LimitsStore *limits = nullptr)
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
    RunDocument doc(limits);
    doc.set().Cels_Faren = fahrenheit ? 0 : -1;
    doc.takeDownload(core.memoryImage(frames::make('R', 'R')), model);
    return recordOf(doc);
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// What `path`'s permission bits are, as ls -l shows them in octal.
int modeOf(const QString &path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
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
        for (const char *t : {"signatures", "judgements", "audit_events", "site_limits",
                              "site_settings", "run_bytes", "runs", "schema_version"})
            QVERIFY(q.exec(QStringLiteral("DROP TABLE IF EXISTS %1 CASCADE").arg(QLatin1String(t))));
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
        other.location = QStringLiteral("Ünïcode Straße");
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
        QVERIFY(outputfile::write(path, freezer.bytes, &error));
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
            {"location, a wildcard once folded", [](RunFilter &f) { f.location = "\uFF05"; }, {}},
            {"location, another case", [](RunFilter &f) { f.location = "ünïcode"; }, {other.key}},
            {"location, no accents", [](RunFilter &f) { f.location = "unicode"; }, {other.key}},
            {"location, capitals of other letters", [](RunFilter &f) { f.location = "STRASSE"; },
             {other.key}},
            {"location, accents typed apart", [](RunFilter &f) { f.location = "U\u0308NI\u0308"; },
             {other.key}},
            {"readings on or after", [&](RunFilter &f) { f.since = day.addSecs(12 * 3600); }, newestFirst},
            {"readings up to before the shortest run", [&](RunFilter &f) { f.until = day.addSecs(9 * 3600); },
             {alarm.key, freezer.key}},
            {"alarms only", [](RunFilter &f) { f.alarmsOnly = true; }, {alarm.key}},
        };
        const auto listsAsExpected = [&db](std::span<const Case> table) {
            for (const Case &c : table) {
                RunFilter filter;
                c.set(filter);
                const auto runs = db.list(filter);
                QVERIFY2(runs, qPrintable(db.error()));
                QVERIFY2(keysOf(*runs) == c.keys, c.name);
                QVERIFY2(db.count(filter) == c.keys.size(), c.name);
            }
        };
        listsAsExpected(cases);
        if (QTest::currentTestFailed())
            return;

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

        // Who stored a run and when, as a report names them.
        const auto who = db.storedRun(freezer.key);
        QVERIFY2(who, qPrintable(db.error()));
        QCOMPARE((QStringList{who->user, who->computer, who->sha256}),
                 (QStringList{userName(), computerName(), freezer.sha256}));
        QCOMPARE(who->storedAt, listed.storedAt);
        QVERIFY(!who->withdrawn);

        QVERIFY(!db.storedRun(QStringLiteral("0123456789abcdef")));
        QCOMPARE(db.fault(), ArchiveDb::Fault::NotFound);

        // Who stored each run, and where.
        QVERIFY(!freezer.user.isEmpty() && !freezer.computer.isEmpty());
        QCOMPARE(listed.user, freezer.user);
        QCOMPARE(listed.computer, freezer.computer);

        // Withdrawn with a reason, never without; its bytes stay, and it lists only when asked.
        QVERIFY(!db.withdraw(alarm.key, QStringLiteral(" \t")));
        QCOMPARE(db.error(), archivetext::kReasonRequired);
        QVERIFY2(db.withdraw(alarm.key, QStringLiteral(" Logger left on the bench ")), qPrintable(db.error()));
        QVERIFY(!db.withdraw(alarm.key, QStringLiteral("again")));
        QCOMPARE(db.error(), archivetext::kAlreadyWithdrawn.arg(alarm.key));
        QVERIFY(!db.withdraw(QStringLiteral("0123456789abcdef"), QStringLiteral("no such run")));
        QCOMPARE(db.fault(), ArchiveDb::Fault::NotFound);
        QCOMPARE(db.bytes(alarm.key).value_or(QByteArray()), alarm.bytes);
        AuditFilter withdrawals;
        withdrawals.run = alarm.key;
        withdrawals.action = action::kWithdraw;
        const auto withdrawnEvents = db.events(withdrawals);
        QVERIFY(withdrawnEvents && withdrawnEvents->size() == 1);
        QCOMPARE(withdrawnEvents->at(0).reason.value_or(QString()), QStringLiteral("Logger left on the bench"));
        QCOMPARE(withdrawnEvents->at(0).details.value("sha256").toString(), alarm.sha256);
        QCOMPARE(withdrawnEvents->at(0).details.value("status").toString(), QStringLiteral("ALARM"));
        const Case afterWithdrawing[] = {
            {"the default list", [](RunFilter &) {}, {other.key, freezer.key}},
            {"withdrawn too", [](RunFilter &f) { f.withdrawn = true; }, newestFirst},
            {"alarms only", [](RunFilter &f) { f.alarmsOnly = true; }, {}},
            {"alarms, withdrawn too", [](RunFilter &f) { f.alarmsOnly = f.withdrawn = true; }, {alarm.key}},
        };
        listsAsExpected(afterWithdrawing);
        if (QTest::currentTestFailed())
            return;
        RunFilter withdrawnToo;
        withdrawnToo.withdrawn = true;
        const auto marked = db.list(withdrawnToo).value_or(QList<RunRecord>());
        QCOMPARE(marked.size(), 3);
        QVERIFY(!marked.at(0).withdrawn && marked.at(1).withdrawn && !marked.at(2).withdrawn);
    }

    // The archive's check finds each way of changing it behind the program's back, and says
    // where; nothing it finds is repaired. The archive: run a stored (event 1), then withdrawn
    // (2), runs b (3) and c (4) stored. "%a" and "%b" in a statement are those runs' keys.
    void tamperingIsCaught_data()
    {
        QTest::addColumn<bool>("shared");
        QTest::addColumn<QStringList>("tamper");
        QTest::addColumn<QString>("problem"); // %a, %b as in the statements
        const QStringList bytes{"UPDATE run_bytes SET compressed = :bytes WHERE run_key = '%b'"};
        const struct
        {
            const char *name;
            QStringList tamper;
            QString problem;
        } rows[] = {
            {"nothing changed", {}, {}},
            {"a run's bytes changed", bytes, archivetext::kRunBytesAltered.arg("%b")},
            {"a run's bytes and its hash column changed",
             bytes + QStringList{"UPDATE runs SET sha256 = :hash WHERE run_key = '%b'"},
             archivetext::kRunNotAsStored.arg("%b")},
            {"a run deleted",
             {"DELETE FROM judgements WHERE run_key = '%b'", "DELETE FROM run_bytes WHERE run_key = '%b'",
              "DELETE FROM runs WHERE run_key = '%b'"},
             archivetext::kRunMissing.arg("%b")},
            {"an event's details changed",
             {"UPDATE audit_events SET details = '{\"sha256\":\"0\"}' WHERE seq = 2"},
             archivetext::kEventAltered.arg(2)},
            {"an event's reason changed",
             {"UPDATE audit_events SET reason = 'a better reason' WHERE seq = 2"},
             archivetext::kEventAltered.arg(2)},
            {"an event deleted", {"DELETE FROM audit_events WHERE seq = 2"},
             archivetext::kEventMissing.arg(2).arg(3)},
            {"two events swapped",
             {"UPDATE audit_events SET seq = 0 WHERE seq = 2",
              "UPDATE audit_events SET seq = 2 WHERE seq = 3",
              "UPDATE audit_events SET seq = 3 WHERE seq = 0"},
             archivetext::kEventOutOfChain.arg(2).arg(1)},
        };
        for (const auto &[backend, shared] : {std::pair{"sqlite", false}, std::pair{"postgres", true}})
            if (chosen(backend))
                for (const auto &row : rows)
                    QTest::addRow("%s: %s", backend, row.name) << shared << row.tamper << row.problem;
    }
    void tamperingIsCaught()
    {
        QFETCH(QStringList, tamper);
        QFETCH(QString, problem);
        if (!onDataRowsBackend())
            return;
        ArchiveDb db(m_target);
        RunRecord runs[] = {downloaded(1, 45, "A", 10), downloaded(1, 46, "B", 10), downloaded(1, 47, "C", 10)};
        QVERIFY(db.store(runs[0]) == ArchiveDb::Stored::Added);
        QVERIFY(db.withdraw(runs[0].key, QStringLiteral("wrong logger")));
        for (const RunRecord &r : {runs[1], runs[2]})
            QVERIFY(db.store(r) == ArchiveDb::Stored::Added);
        const QByteArray other = downloaded(1, 48, "D", 10).bytes;
        for (QString sql : tamper) {
            sql.replace("%a", runs[0].key).replace("%b", runs[1].key);
            QSqlQuery q(db.database());
            QVERIFY(q.prepare(sql));
            if (sql.contains(":bytes"))
                q.bindValue(":bytes", qCompress(other));
            if (sql.contains(":hash"))
                q.bindValue(":hash", sha256Hex(other));
            QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
        }
        problem.replace("%a", runs[0].key).replace("%b", runs[1].key);
        const int events = int(db.events().value_or(QList<AuditEvent>()).size());
        // Read in one page, and in pages of two rows.
        for (const int page : {ArchiveDb::kCheckPage, 2}) {
            const auto check = db.verify({}, page);
            QVERIFY2(check, qPrintable(db.error()));
            QCOMPARE(check->problem, problem);
            if (problem.isEmpty())
                QVERIFY(check->runs == 3 && check->events == 4);
        }
        // Found, told, and left as it was.
        QCOMPARE(db.events().value_or(QList<AuditEvent>()).size(), events);
    }

    // `kestrun-cli audit list`: each filter (dates typed in the local time of a zone an hour
    // east of UTC), the JSON shape with every key, the text line, an unknown action refused.
    void auditList_data() { addBackends(); }
    void auditList()
    {
        if (!onDataRowsBackend())
            return;
        QFETCH(bool, shared);
        const QString key = QStringLiteral("00112233aabbccdd");
        struct Recorded { const char *action; bool ofRun; const char *user; const char *at; int offset;
                          QJsonObject details; std::optional<QString> reason; };
        const Recorded recorded[] = {
            {"store", true, "anna", "2026-12-08T05:12:01Z", 3600, {{"source", "download"}}, {}},
            {"sign", true, "bert", "2026-12-08T05:30:00Z", 3600, {{"meaning", "reviewed"}}, {}},
            {"withdraw", true, "anna", "2026-12-09T10:00:00Z", -18000, {}, QStringLiteral("duplicate")},
            {"settings", false, "anna", "2026-12-09T23:30:00Z", 0, {{"name", "archive"}}, {}},
        };
        QList<AuditEvent> events;
        {
            ArchiveDb db(m_target);
            for (const Recorded &r : recorded) {
                AuditEvent e = newEvent(QLatin1String(r.action), r.ofRun ? key : QString(),
                                        r.details, r.reason);
                e.user = QLatin1String(r.user);
                e.at = parseEventTime(QLatin1String(r.at));
                e.utcOffsetS = r.offset;
                QVERIFY2(db.record(e), qPrintable(db.error()));
                events << e;
            }
        }
        QProcessEnvironment env = clitest::environment();
        env.insert("KESTRUN_ARCHIVE", shared ? m_target.where : m_dir.path());
        env.insert("TZ", "Europe/Berlin");
        const auto list = [&env](QStringList args) {
            return clitest::run(QStringList{"audit", "list"} + args, 30000, env);
        };

        struct Case { const char *name; QStringList args; QList<int> seqs; };
        const Case cases[] = {
            {"every event", {}, {1, 2, 3, 4}},
            {"a run, its key in capitals", {"--run", key.toUpper()}, {1, 2, 3}},
            {"a user", {"--user", "anna"}, {1, 3, 4}},
            {"an action", {"--action", "sign"}, {2}},
            {"since a local day", {"--since", "2026-12-10"}, {4}},
            {"until a local minute", {"--until", "2026-12-08T06:12"}, {1}},
            {"a user and an action", {"--user", "anna", "--action", "settings"}, {4}},
        };
        for (const Case &c : cases) {
            const clitest::Result r = list(c.args + QStringList{"--json"});
            QVERIFY2(r.ok(), r.err.constData());
            QList<int> seqs;
            for (const QJsonValue &v : QJsonDocument::fromJson(r.out).array())
                seqs << v.toObject().value("seq").toInt();
            QVERIFY2(seqs == c.seqs, c.name);
        }

        const QJsonArray all = QJsonDocument::fromJson(list({"--json"}).out).array();
        QCOMPARE(all.size(), 4);
        const QStringList keys{"action", "at", "computer", "details", "hash", "reason", "run",
                               "seq", "user", "utc_offset_s"};
        for (int i = 0; i < 4; ++i) {
            const QJsonObject o = all.at(i).toObject();
            const AuditEvent &e = events.at(i);
            QCOMPARE(o.keys(), keys);
            QCOMPARE(o.value("at").toString(), QLatin1String(recorded[i].at));
            QCOMPARE(o.value("utc_offset_s").toInt(), e.utcOffsetS);
            QCOMPARE(o.value("user").toString(), e.user);
            QCOMPARE(o.value("computer").toString(), e.computer);
            QCOMPARE(o.value("action").toString(), e.action);
            QCOMPARE(o.value("run"), e.run.isEmpty() ? QJsonValue() : QJsonValue(key));
            QCOMPARE(o.value("details").toObject(), e.details);
            QCOMPARE(o.value("reason"), e.reason ? QJsonValue(*e.reason) : QJsonValue());
            QCOMPARE(o.value("hash").toString(), e.hash);
            QCOMPARE(e.hash.size(), 64);
        }

        const clitest::Result text = list({});
        QVERIFY2(text.ok(), text.err.constData());
        const QStringList lines = text.outText().split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines.at(2), QStringList({"3", "2026-12-09T05:00:00-05:00", "anna", events.at(2).computer,
                                           "withdraw", key, "duplicate", "{}"}).join('\t'));

        const clitest::Result unknown = list({"--action", "delete"});
        QCOMPARE(unknown.exitCode, 1);
        QVERIFY(unknown.out.isEmpty());
        for (const QString &name : actionNames())
            QVERIFY2(unknown.errText().contains(name), qPrintable(unknown.errText()));
    }

    // The site's limits: this user's per-user limits move in once, every change after is one
    // "limits" event with the old and the new set, and an archive that cannot be read judges
    // nothing.
    void siteLimits_data() { addBackends(); }
    void siteLimits()
    {
        if (!onDataRowsBackend())
            return;
        analysis::Limits fallback, own, later;
        fallback[analysis::Quantity::Temperature] = {8.0, 2.0};
        own[analysis::Quantity::Humidity].high = 70.0;
        own.delayMinutes = 30;
        own.type = analysis::AlarmType::Cumulative;
        later[analysis::Quantity::Temperature].high = 5.0;
        const auto clean = qScopeGuard([] {
            LimitsStore mine;
            mine.removeDefaults();
            mine.removeForLogger(QStringLiteral("45"));
        });
        QVERIFY(LimitsStore().setDefaults(fallback));
        QVERIFY(LimitsStore().setForLogger(QStringLiteral("45"), own));

        LimitsStore site(std::make_unique<SiteLimits>(m_target));
        QCOMPARE(site.lookup(QStringLiteral("45")).limits, std::optional(own));
        QCOMPARE(site.lookup(QStringLiteral("12")).limits, std::optional(fallback));
        ArchiveDb db(m_target);
        AuditFilter limitEvents;
        limitEvents.action = action::kLimits;
        const auto migrated = db.events(limitEvents);
        QVERIFY2(migrated && migrated->size() == 2, qPrintable(db.error()));
        for (const AuditEvent &e : *migrated) {
            QVERIFY(e.details.value("migrated").toBool());
            QVERIFY(e.details.value("old").isNull());
            const bool isDefault = e.details.value("scope").toString() == analysis::kDefaultScope;
            QCOMPARE(e.details.value("new").toObject(), siteLimitsJson(isDefault ? fallback : own));
        }

        // Moved once: what the settings say after is not the site's.
        QVERIFY(LimitsStore().setDefaults(later));
        QCOMPARE(LimitsStore(std::make_unique<SiteLimits>(m_target)).lookup(QStringLiteral("12")).limits,
                 std::optional(fallback));

        struct Change { const char *name; std::function<bool()> make; QJsonValue old, now; };
        const Change changes[] = {
            {"the default", [&] { return site.setDefaults(later); },
             siteLimitsJson(fallback), siteLimitsJson(later)},
            {"the same again records nothing", [&] { return site.setDefaults(later); },
             QJsonValue::Undefined, QJsonValue::Undefined},
            {"a logger back to the default", [&] { return site.removeForLogger(QStringLiteral("45")); },
             siteLimitsJson(own), QJsonValue()},
        };
        int count = 2;
        for (const Change &c : changes) {
            QVERIFY2(c.make(), c.name);
            const QList<AuditEvent> events = db.events(limitEvents).value_or(QList<AuditEvent>());
            if (c.old.isUndefined()) {
                QVERIFY2(events.size() == count, c.name);
                continue;
            }
            QVERIFY2(events.size() == ++count, c.name);
            QVERIFY2(events.last().details.value("old") == c.old, c.name);
            QVERIFY2(events.last().details.value("new") == c.now, c.name);
        }
        QCOMPARE(site.lookup(QStringLiteral("45")).limits, std::optional(later));

        // Limits that cannot be read judge nothing: no verdict, never another set's.
        QFile blocker(m_dir.filePath("not-a-folder"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        LimitsStore away(std::make_unique<SiteLimits>(
            Location{Location::Kind::SQLite, blocker.fileName() + "/archive.sqlite"}));
        const analysis::Validation none = away.lookup(QStringLiteral("45"));
        QVERIFY(!none.limits);
        QVERIFY2(none.error.startsWith(analysistext::kLimitsUnreadable.section('%', 0, 0)),
                 qPrintable(none.error));
        QVERIFY(!downloaded(2, 45, "Freezer 2", 96, false, {}, &away).status);
    }

    // A download stored before its limits were set stays "NO LIMITS" while today's limits
    // say ALARM, and "Alarms only" leaves it out; judged again it is ALARM in the list, both
    // judgements are kept and the trail has the old and the new.
    void judgedAgain_data() { addBackends(); }
    void judgedAgain()
    {
        if (!onDataRowsBackend())
            return;
        LimitsStore site(std::make_unique<SiteLimits>(m_target));
        const RunRecord run = downloaded(2, 45, "Freezer 2", 96, false, {}, &site);
        QCOMPARE(run.status, std::optional(QStringLiteral("NO LIMITS")));
        QVERIFY(run.limits);
        Archive archive(m_target, m_local);
        QCOMPARE(archive.store(run).stored, ArchiveDb::Stored::Added);
        ArchiveDb &db = archive.db();

        analysis::Limits cold;
        cold[analysis::Quantity::Temperature].high = -100.0;
        QVERIFY(site.setForLogger(QStringLiteral("0045"), cold));
        RunFilter alarms;
        alarms.alarmsOnly = true;
        QCOMPARE(db.list().value_or(QList<RunRecord>()).value(0).status, run.status);
        QCOMPARE(db.list().value_or(QList<RunRecord>()).value(0).limits, run.limits);
        QCOMPARE(keysOf(db.list(alarms).value_or(QList<RunRecord>())), QStringList());

        RunDocument shown(&site);
        QString why;
        const auto compared = compareWithToday(db, run.key, shown, &why);
        QVERIFY2(compared, qPrintable(why));
        QVERIFY(compared->differs());
        QCOMPARE(compared->kept.status, run.status);
        QCOMPARE(compared->today.status, std::optional(QStringLiteral("ALARM")));
        QCOMPARE(compared->today.limits, limitsSnapshot(cold, 2));
        // The document shows the run under its kept limits, today's beside it.
        QCOMPARE(shown.summary().verdict, analysis::Verdict::NoLimits);
        QCOMPARE(shown.todaysVerdict(), std::optional(analysis::Verdict::Alarm));

        QVERIFY(!db.rejudge(QStringLiteral("0123456789abcdef"), compared->today.status,
                            compared->today.limits, QStringLiteral("no such run")));
        QCOMPARE(db.fault(), ArchiveDb::Fault::NotFound);
        QVERIFY2(db.rejudge(run.key, compared->today.status, compared->today.limits,
                            QStringLiteral("limits set after the download")),
                 qPrintable(db.error()));
        QCOMPARE(db.list().value_or(QList<RunRecord>()).value(0).status, compared->today.status);
        QCOMPARE(keysOf(db.list(alarms).value_or(QList<RunRecord>())), QStringList{run.key});

        const auto judgements = db.judgements(run.key);
        QVERIFY2(judgements && judgements->size() == 2, qPrintable(db.error()));
        QCOMPARE(judgements->at(0).action, action::kStore);
        QCOMPARE(judgements->at(0).status, run.status);
        QCOMPARE(judgements->at(1).action, action::kRejudge);
        QCOMPARE(judgements->at(1).limits, std::optional(compared->today.limits));
        AuditFilter rejudged;
        rejudged.action = action::kRejudge;
        const QList<AuditEvent> events = db.events(rejudged).value_or(QList<AuditEvent>());
        QCOMPARE(events.size(), 1);
        QCOMPARE(events[0].hash, judgements->at(1).eventHash);
        QCOMPARE(events[0].reason, std::optional(QStringLiteral("limits set after the download")));
        const QJsonObject old = events[0].details.value("old").toObject();
        const QJsonObject now = events[0].details.value("new").toObject();
        QCOMPARE(old.value("status").toString(), QStringLiteral("NO LIMITS"));
        QCOMPARE(old.value("limits").toObject(), *run.limits);
        QCOMPARE(now.value("status").toString(), QStringLiteral("ALARM"));
        QCOMPARE(now.value("limits").toObject(), compared->today.limits);

        // Opened again, the run keeps its newest judgement, which today's limits agree with.
        RunDocument again(&site);
        const auto agreed = compareWithToday(db, run.key, again, &why);
        QVERIFY2(agreed, qPrintable(why));
        QVERIFY(!agreed->differs());
        QVERIFY(!agreed->kept.atStoring);
        QCOMPARE(again.summary().verdict, analysis::Verdict::Alarm);
    }

    // A person signs as themselves through kestrun-cli, run as a throwaway account of the
    // system checked by the real PAM service: the name is set once, a wrong password signs
    // nothing and is a failed signing, the right one signs the run's bytes under its judgement;
    // the trail holds all of it, chained, and never the password.
    void signedThroughTheCli_data() { addBackends(); }
    void signedThroughTheCli()
    {
        if (!onDataRowsBackend())
            return;
        if (geteuid() != 0)
            QSKIP("making a throwaway account and checking its password needs root");
        if (!QFile::exists(QStringLiteral("/etc/pam.d/kestrun")))
            QSKIP("the PAM service \"kestrun\" is not set up (scripts/install-deps sets it up)");
        const QString login = QStringLiteral("kts") + QString::number(getpid());
        const QByteArray password = "Kt-" + QUuid::createUuid().toByteArray(QUuid::Id128);
        const auto sh = [](const QString &program, const QStringList &args,
                           const QByteArray &input = {}) {
            QProcess p;
            p.start(program, args);
            p.write(input);
            p.closeWriteChannel();
            return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit &&
                   p.exitCode() == 0;
        };
        QVERIFY(sh("useradd", {"-M", "-s", "/usr/sbin/nologin", login}));
        const auto gone = qScopeGuard([&] { sh("userdel", {login}); });
        QVERIFY(sh("chpasswd", {}, login.toUtf8() + ':' + password + '\n'));

        // Everything the signer's program writes lies in a folder of theirs.
        QTemporaryDir home;
        QVERIFY(sh("chown", {login, home.path()}));
        QVERIFY(QFile::setPermissions(home.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                       QFile::ExeOwner | QFile::ExeOther));
        const QString run = home.filePath("run.brv2");
        const RunRecord record = downloaded(2, 45, "Freezer 2", 96);
        QString error;
        QVERIFY(outputfile::write(run, record.bytes, &error));
        QVERIFY(sh("chown", {login, run}));
        if (m_target.kind == Location::Kind::PostgreSQL) // the test cluster's socket folder
            QVERIFY(sh("chmod", {"o+x", qEnvironmentVariable("KESTRUN_TEST_PG_CLUSTER")}));
        QProcessEnvironment env = clitest::environment();
        env.insert("KESTRUN_ARCHIVE", m_target.kind == Location::Kind::PostgreSQL
                                          ? qEnvironmentVariable("KESTRUN_TEST_PG")
                                          : home.path());
        env.insert("XDG_CONFIG_HOME", home.filePath("config"));
        env.insert("XDG_DATA_HOME", home.filePath("data"));
        const auto asSigner = [&](const QStringList &args, const QByteArray &input = {}) {
            QProcess p;
            p.setProcessEnvironment(env);
            p.setWorkingDirectory(home.path());
            p.start("runuser", QStringList{"-u", login, "--", KESTRUN_CLI} + args);
            p.write(input);
            p.closeWriteChannel();
            return clitest::finish(p, 30000);
        };
        clitest::Result r = asSigner({"archive", "import", run});
        QVERIFY2(r.ok(), r.err.constData());

        const QStringList sign{"archive", "sign", record.key, "--password-stdin"};
        struct Attempt
        {
            QStringList options;
            QByteArray password;
            bool signs;
            QString said; // the start of the one line written
        };
        const Attempt attempts[] = {
            // No full name and none given: refused before any password is asked for.
            {{"--meaning", "reviewed"}, password, false, clitext::kNeedName},
            {{"--meaning", "approved", "--name", "A. Tester"}, password + 'x', false,
             archivetext::kSignWrongPassword},
            {{"--meaning", "reviewed"}, password, true,
             QStringLiteral("Signed the run %1: Reviewed by A. Tester (%2), ").arg(record.key, login)},
        };
        for (const Attempt &a : attempts) {
            r = asSigner(sign + a.options, a.password + '\n');
            QVERIFY2(r.finished && r.exitCode == (a.signs ? 0 : 1), r.err.constData());
            const QString said = a.signs ? r.outText() : r.errText();
            QVERIFY2(said.startsWith(a.said) && said.count('\n') == 1, qPrintable(said));
        }
        r = asSigner({"archive", "list", "--json"});
        QVERIFY2(r.ok(), r.err.constData());
        const QJsonArray signatures = QJsonDocument::fromJson(r.out).array().at(0)["signatures"].toArray();
        QCOMPARE(signatures.size(), 1);
        const QJsonObject listed = signatures.at(0).toObject();
        QCOMPARE(listed.keys(), (QStringList{"at", "meaning", "name", "user"}));
        QCOMPARE(listed["user"].toString(), login);
        QCOMPARE(listed["name"].toString(), QStringLiteral("A. Tester"));
        QCOMPARE(listed["meaning"].toString(), QStringLiteral("reviewed"));

        ArchiveDb db(locationFrom(env.value("KESTRUN_ARCHIVE")));
        const auto events = db.events();
        QVERIFY2(events, qPrintable(db.error()));
        QStringList actions;
        ChainCheck chain;
        for (const AuditEvent &e : *events) {
            actions << e.action;
            QVERIFY2(chain.next(e), qPrintable(chain.why()));
            QCOMPARE(e.user, login);
            QVERIFY(!canonicalForm(e).contains(password));
        }
        QCOMPARE(actions, (QStringList{"store", "settings", "sign-failed", "sign"}));
        QCOMPARE(events->at(1).details["new"].toString(), QStringLiteral("A. Tester"));
        QCOMPARE(events->at(2).details["outcome"].toString(), QStringLiteral("wrong-password"));
        QCOMPARE(events->at(2).details["meaning"].toString(), QStringLiteral("approved"));
        // What was signed: these bytes, under the judgement the store event recorded.
        const auto kept = db.signatures(record.key);
        QVERIFY2(kept && kept->size() == 1, qPrintable(db.error()));
        const Signature &s = kept->first();
        QCOMPARE(s.seq, events->at(3).seq);
        QCOMPARE(s.runSha256, record.sha256);
        QCOMPARE(s.judgementHash, events->at(0).hash);
        QCOMPARE(events->at(3).details["judgement_hash"].toString(), s.judgementHash);
        QCOMPARE(events->at(3).details["run_sha256"].toString(), record.sha256);
        QCOMPARE(eventTime(s.at), listed["at"].toString());
    }

    // What signs nothing, and leaves nothing in the trail: another person's login, no name to
    // print, a withdrawn run, a key the archive does not hold. A run judged again is signed
    // under its newest judgement.
    void signingRefusals_data()
    {
        QTest::addColumn<bool>("shared");
        QTest::addColumn<QString>("what");
        for (const auto &[backend, shared] : {std::pair{"sqlite", false}, std::pair{"postgres", true}})
            if (chosen(backend))
                for (const char *what : {"another login", "no name", "withdrawn", "no such run",
                                         "judged again"})
                    QTest::newRow(qPrintable(QStringLiteral("%1: %2").arg(backend, what)))
                        << shared << QString::fromLatin1(what);
    }
    void signingRefusals()
    {
        QFETCH(QString, what);
        if (!onDataRowsBackend())
            return;
        ArchiveDb db(m_target);
        const RunRecord run = downloaded(2, 45, "Freezer 2", 96);
        QCOMPARE(db.store(run), ArchiveDb::Stored::Added);
        const QString me = auth::currentLogin();
        if (what == "another login" || what == "no name") {
            QByteArray password("not-checked");
            const QByteArray shared = password;
            const SigningRequest request{run.key, Meaning::Approved,
                                         what == "another login" ? me + "x" : me,
                                         what == "no name" ? QStringLiteral(" ") : QStringLiteral("A. Tester")};
            const SigningOutcome outcome = signRun(db, request, password);
            QVERIFY(!outcome.ok());
            QCOMPARE(outcome.message, what == "no name"
                                          ? archivetext::kSignNoName
                                          : archivetext::kSignNotYourself.arg(me, me + "x"));
            QCOMPARE(shared, QByteArray(11, '\0'));
        } else {
            Signature wanted;
            wanted.run = what == "no such run" ? QStringLiteral("0123456789abcdef") : run.key;
            wanted.name = QStringLiteral("A. Tester");
            QString newest; // the hash the signature must carry
            if (what == "withdrawn") {
                QSqlQuery q(db.database());
                QVERIFY(q.exec(QStringLiteral("UPDATE runs SET withdrawn = 1")));
            } else if (what == "judged again") {
                AuditEvent judged = newEvent(action::kRejudge, run.key);
                QVERIFY2(db.record(judged), qPrintable(db.error()));
                QSqlQuery q(db.database());
                q.prepare(QStringLiteral("INSERT INTO judgements (run_key, seq, judged_at, status) VALUES (?, ?, ?, 'ALARM')"));
                for (const QVariant &v : QVariantList{run.key, judged.seq, eventTime(judged.at)})
                    q.addBindValue(v);
                QVERIFY(q.exec());
                newest = judged.hash;
            }
            const auto signature = db.sign(wanted);
            if (!newest.isEmpty()) {
                QVERIFY2(signature, qPrintable(db.error()));
                QCOMPARE(signature->judgementHash, newest);
                QCOMPARE(db.events(AuditFilter{run.key, {}, action::kSign, {}, {}})
                             ->at(0).details["status"].toString(), QStringLiteral("ALARM"));
                return;
            }
            QVERIFY(!signature);
            QCOMPARE(db.error(), what == "withdrawn" ? archivetext::kSignWithdrawn.arg(run.key)
                                                     : archivetext::kNoSuchRun.arg(wanted.run));
        }
        QCOMPARE(db.events()->size(), 1); // the store's, and nothing after it
        QCOMPARE(db.signatures(run.key)->size(), 0);
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
            QVERIFY2(outputfile::write(files.last(), runs.last().bytes, &error), qPrintable(error));
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

    // An archive of the first schema, from before failed readings and folded locations were
    // kept: it opens, its runs list with their failed readings unknown and are found by any
    // spelling of their location, and new runs keep both.
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
            for (const char *sql : {"DROP TABLE signatures", "DROP TABLE judgements",
                                    "DROP TABLE audit_events", "DROP TABLE site_limits",
                                    "DROP TABLE site_settings", "DROP INDEX runs_withdrawn"})
                QVERIFY2(q.exec(QLatin1String(sql)), qPrintable(q.lastError().text()));
            for (const char *column : {"failed1", "failed_longest1", "failed_at1", "failed2",
                                       "failed_longest2", "failed_at2", "location_folded",
                                       "limits", "withdrawn"})
                QVERIFY2(q.exec(QStringLiteral("ALTER TABLE runs DROP COLUMN %1")
                                    .arg(QLatin1String(column))),
                         qPrintable(q.lastError().text()));
            QVERIFY(q.exec(QStringLiteral("DELETE FROM schema_version WHERE version > 1")));
            QVERIFY(q.exec(QStringLiteral("UPDATE runs SET location = 'Ölager Süd'")));
        }
        ArchiveDb db(m_target);
        QVERIFY2(db.open(), qPrintable(db.error()));
        // The humidity logger's probe failed for the readings of 08:30, 08:45 and 09:30.
        const RunRecord fresh = downloaded(2, 45, "NEW", 20, false, {5, 6, 9});
        QCOMPARE(db.store(fresh), ArchiveDb::Stored::Added);
        const QList<RunRecord> runs = db.list().value_or(QList<RunRecord>());
        QCOMPARE(keysOf(runs), (QStringList{fresh.key, old.key}));
        // The run that was there before the trail got a store event marked as migrated, first.
        const QList<AuditEvent> events = db.events().value_or(QList<AuditEvent>());
        QCOMPARE(events.size(), 2);
        QCOMPARE(events.at(0).run, old.key);
        QCOMPARE(events.at(0).details.value("migrated").toBool(), true);
        QCOMPARE(events.at(1).details.value("sha256").toString(), fresh.sha256);
        QCOMPARE(events.at(1).details.value("migrated").toBool(), false);
        QVERIFY(!runs.at(1).failed[0] && !runs.at(1).failed[1]);
        const FailedReadings probe{3, 2 * 900,
                                   QDateTime(QDate(2024, 5, 17), QTime(8, 30), Qt::UTC)};
        QCOMPARE(runs.at(0).failed[0], std::optional<FailedReadings>(probe));
        QCOMPARE(runs.at(0).failed[1], std::optional<FailedReadings>(probe));
        for (const auto &[search, key] : {std::pair{"OLAGER SUD", old.key}, std::pair{"new", fresh.key}}) {
            RunFilter filter;
            filter.location = QString::fromUtf8(search);
            QCOMPARE(keysOf(db.list(filter).value_or(QList<RunRecord>())), QStringList{key});
        }
    }

    // An archive this user may only read (a SQLite file and folder without write permission, a
    // PostgreSQL role granted SELECT only): listed and got with the note that nothing can be
    // stored; storing and withdrawing fail with the read-only message; an older schema is one
    // message and stays as it is.
    void readOnlyArchive_data() { addBackends(); }
    void readOnlyArchive()
    {
        if (!onDataRowsBackend())
            return;
        QFETCH(bool, shared);
        const QString folder = m_dir.filePath(QStringLiteral("read-only"));
        const Location writer =
            shared ? m_target : Location{Location::Kind::SQLite, folder + "/" + kFileName};
        const Location reader =
            shared ? Location{Location::Kind::PostgreSQL, m_target.where + " user=kestrun_reader"}
                   : writer;
        const auto protect = [&](bool readOnly) {
            if (shared)
                return;
            const QFile::Permissions read = QFile::ReadOwner | QFile::ReadUser;
            QFile::setPermissions(writer.where, read | (readOnly ? QFile::Permissions() : QFile::WriteOwner));
            QFile::setPermissions(folder, read | QFile::ExeOwner |
                                              (readOnly ? QFile::Permissions() : QFile::WriteOwner));
        };
        const auto restore = qScopeGuard([&] { protect(false); });
        // Statements of a user who may write, the archive writable for them meanwhile.
        const auto asWriter = [&](const QStringList &statements) {
            protect(false);
            bool ok = true;
            {
                ArchiveDb admin(writer);
                ok = admin.open();
                QSqlQuery q(admin.database());
                for (const QString &sql : statements) {
                    if (ok && !q.exec(sql)) {
                        qWarning("%s", qPrintable(q.lastError().text()));
                        ok = false;
                    }
                }
            }
            protect(true);
            return ok;
        };
        const RunRecord kept = downloaded(1, 45, "LAB A", 10);
        {
            ArchiveDb admin(writer);
            QCOMPARE(admin.store(kept), ArchiveDb::Stored::Added);
        }
        QVERIFY(asWriter(shared ? QStringList{"DO $$ BEGIN CREATE ROLE kestrun_reader LOGIN; "
                                              "EXCEPTION WHEN duplicate_object THEN NULL; END $$",
                                              // The list shows who signed each run.
                                              "GRANT SELECT ON runs, run_bytes, signatures, "
                                              "schema_version TO kestrun_reader"}
                                : QStringList{}));
        if (!shared && QFileInfo(writer.where).isWritable())
            QSKIP("this user writes whatever the permissions say (root)");

        {
            ArchiveDb db(reader);
            const auto runs = db.list();
            QVERIFY2(runs, qPrintable(db.error()));
            QCOMPARE(keysOf(*runs), QStringList{kept.key});
            QCOMPARE(db.readOnlyNote(), archivetext::kReadOnlyNote.arg(describe(reader)));
            QCOMPARE(db.bytes(kept.key).value_or(QByteArray()), kept.bytes);
            QCOMPARE(db.store(downloaded(2, 12, "NEW", 10)), ArchiveDb::Stored::Failed);
            QCOMPARE(db.error(), archivetext::kReadOnly.arg(describe(reader)));
            QVERIFY(!db.withdraw(kept.key, QStringLiteral("read only")));
            QCOMPARE(db.fault(), ArchiveDb::Fault::ReadOnly);
            QCOMPARE(db.count({}), 1);
        }

        // Made by the version before: one message, not a migration tried and failed.
        QVERIFY(asWriter({QStringLiteral("DELETE FROM schema_version WHERE version = %1")
                              .arg(ArchiveDb::kSchemaVersion)}));
        ArchiveDb old(reader);
        QVERIFY(!old.list());
        QCOMPARE(old.fault(), ArchiveDb::Fault::Older);
        QCOMPARE(old.error(), archivetext::kReadOnlyOlder.arg(describe(reader))
                                  .arg(ArchiveDb::kSchemaVersion - 1)
                                  .arg(ArchiveDb::kSchemaVersion));
        // The server is shared with the tests that come after: left with its schema whole. The
        // writer's connection is used as it stands, before the migration opening would try.
        if (!shared)
            return;
        ArchiveDb admin(writer);
        QVERIFY(!admin.open());
        QSqlDatabase raw = admin.database();
        QVERIFY(raw.open());
        QVERIFY(QSqlQuery(raw).exec(QStringLiteral("INSERT INTO schema_version (version) VALUES (%1)")
                                        .arg(ArchiveDb::kSchemaVersion)));
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
        // One unbroken chain: each store took the next number under the write lock.
        ChainCheck chain;
        for (const AuditEvent &e : db.events().value_or(QList<AuditEvent>()))
            QVERIFY2(chain.next(e), qPrintable(chain.why()));
        QCOMPARE(chain.events(), 24);
    }

    // A file that is no database, or one whose pages are damaged, is reported and left exactly
    // as it was by everything that writes: storing (the way import takes), withdrawing, marking
    // a run sent.
    void damagedFileIsLeftAlone_data()
    {
        QTest::addColumn<bool>("pages");
        QTest::newRow("not a database") << false;
        QTest::newRow("a damaged page") << true;
    }
    void damagedFileIsLeftAlone()
    {
        if (!chosen("sqlite"))
            QSKIP("SQLite only");
        QFETCH(bool, pages);
        const Location here{Location::Kind::SQLite, file()};
        const RunRecord first = downloaded(1, 45, "LAB A", 10);
        QByteArray damaged(8192, 'x');
        if (pages) {
            {
                ArchiveDb db(here);
                QCOMPARE(db.store(first), ArchiveDb::Stored::Added);
                QCOMPARE(db.store(downloaded(2, 45, "LAB B", 4000)), ArchiveDb::Stored::Added);
            }
            damaged = fileBytes(file());
            // The last pages hold the bytes of the long run, which storing another never reads:
            // one of them overwritten.
            const int page = (uchar(damaged.at(16)) << 8) | uchar(damaged.at(17));
            QVERIFY(damaged.size() >= 8 * page);
            damaged.replace(damaged.size() - 2 * page, page, QByteArray(page, 'U'));
        }
        QFile f(file());
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(damaged) == damaged.size());
        f.close();
        Archive archive(here, here);
        const auto outcome = archive.store(downloaded(7, 12, "LAB C", 10));
        QVERIFY(!outcome.ok());
        QCOMPARE(archive.db().fault(), ArchiveDb::Fault::Damaged);
        QVERIFY2(outcome.message.contains(file()) && outcome.message.contains("damaged"),
                 qPrintable(outcome.message));
        QVERIFY(!archive.db().withdraw(first.key, QStringLiteral("damaged")));
        QCOMPARE(archive.db().fault(), ArchiveDb::Fault::Damaged);
        QVERIFY(!archive.db().markSent(first.key));
        QCOMPARE(archive.db().fault(), ArchiveDb::Fault::Damaged);
        QCOMPARE(fileBytes(file()), damaged);
        QVERIFY(fileBytes(file() + "-wal").isEmpty());
    }

    // New archive folders and files are their user's only (the log and its index beside the
    // file too), unless the folder they are made in was opened to a group by its owner: then
    // they get what the umask gives.
    void newArchiveIsPrivate_data()
    {
        QTest::addColumn<bool>("groupFolder");
        QTest::addColumn<int>("folderMode");
        QTest::addColumn<int>("fileMode");
        QTest::newRow("folders made for it") << false << 0700 << 0600;
        QTest::newRow("in a folder of a group") << true << 02775 << 0664;
    }
    void newArchiveIsPrivate()
    {
        if (!chosen("sqlite"))
            QSKIP("SQLite only");
        QFETCH(bool, groupFolder);
        QFETCH(int, folderMode);
        QFETCH(int, fileMode);
        const mode_t before = ::umask(002);
        const auto restore = qScopeGuard([before] { ::umask(before); });
        const QString top = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()));
        if (groupFolder)
            QVERIFY(QDir().mkdir(top) && ::chmod(QFile::encodeName(top).constData(), 02775) == 0);
        const QString folder = top + "/site/archive";
        ArchiveDb db({Location::Kind::SQLite, folder + "/" + kFileName});
        QCOMPARE(db.store(downloaded(1, 45, "LAB A", 10)), ArchiveDb::Stored::Added);
        for (const QString &made : {top + "/site", folder})
            QCOMPARE(modeOf(made), folderMode);
        if (!groupFolder)
            QCOMPARE(modeOf(top), folderMode);
        for (const char *suffix : {"", "-wal", "-shm"})
            QVERIFY2(modeOf(folder + "/" + kFileName + suffix) == fileMode, suffix);
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
