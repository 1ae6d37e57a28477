// kestrun-cli on files the window saved: `table` and `export` must give the window's table cell
// for cell, `download` must write the very file the window's Save writes, and a damaged file
// must end in the window's message.

#include "cli_process.h"

#include "tests/support/e2e_fixture.h"
#include "tests/output/print_test_support.h"

#include "acquisition/live_readings.h"
#include "acquisition/readings_table.h"
#include "app/data_commands.h"
#include "common/datetext.h"
#include "common/messages.h"
#include "device/port_controller.h"
#include "analysis/analysis_texts.h"
#include "analysis/limits_store.h"
#include "analysis/summary_input.h"
#include "archive/archive_db.h"
#include "archive/archive_texts.h"
#include "archive/audit_event.h"
#include "archive/run_record.h"
#include "common/sha256.h"
#include "datafile/brv2_file.h"
#include "output/output_trail.h"
#include "output/report_texts.h"
#include "output/report.h"
#include "output/run_summary.h"
#include "output/spreadsheet_export.h"
#include "tools/kestrun-cli/table_text.h"
#include "view/frm_data.h"

#include <QComboBox>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QtTest>

#include <algorithm>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

namespace {

constexpr int kPort = 7;
using Cells = QList<QStringList>;

Cells cellsOf(const ReadingsTable &t)
{
    Cells out;
    for (int r = 0; r < t.rows(); ++r) {
        QStringList row;
        for (int c = 0; c < t.cols(); ++c)
            row << t.text(r, c);
        out << row;
    }
    return out;
}

Cells fromTabText(const QString &text)
{
    Cells out;
    const QStringList lines = text.split('\n');
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) // the text ends with a line end
        out << lines.at(i).split('\t');
    return out;
}

// An RFC 4180 reader: records end with CR LF, a quoted field doubles its quotes, nothing is
// trimmed. A bare quote or line break outside quotes makes the text malformed.
Cells fromCsv(const QString &text, bool *wellFormed)
{
    Cells out{QStringList()};
    QString field;
    bool quoted = false;
    *wellFormed = text.endsWith("\r\n");
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        const QChar next = i + 1 < text.size() ? text.at(i + 1) : QChar();
        if (quoted) {
            if (ch == '"' && next == '"') {
                field += ch;
                ++i;
            } else if (ch == '"') {
                quoted = false;
            } else {
                field += ch;
            }
        } else if (ch == '"' && field.isEmpty()) {
            quoted = true;
        } else if (ch == ',' || (ch == '\r' && next == '\n')) {
            out.last() << field;
            field.clear();
            if (ch == '\r') {
                out.append(QStringList());
                ++i;
            }
        } else {
            *wellFormed = *wellFormed && ch != '"' && ch != '\r' && ch != '\n';
            field += ch;
        }
    }
    out.removeLast(); // after the last record's CR LF
    return out;
}

} // namespace

class TestCliFiles : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<e2e::Fixture> m_f;
    QString m_python;
    // What the window's table held after opening each saved file, by "file unit".
    QHash<QString, Cells> m_window;
    QHash<QString, QByteArray> m_windowWorkbook; // the workbook the Export code made of it
    QHash<QString, analysis::Summary> m_summary;  // its summary under the stored limits

    QString file(const QString &kind) const { return m_dir.filePath(kind + ".brv2"); }

    FrmData *data() { return m_f->main().data(); }

    bool saveAs(const QString &path)
    {
        m_f->prompter().fileAnswers = {path};
        m_f->toolbar(QStringLiteral("Save"));
        return QFile::exists(path);
    }

    QByteArray readWorkbook(const QString &path)
    {
        QProcess p;
        p.start(m_python, {QStringLiteral(KESTRUN_WORKBOOK_READER), path});
        if (!p.waitForFinished(30000) || p.exitCode() != 0)
            return "reader failed: " + p.readAllStandardError();
        return p.readAllStandardOutput();
    }

private Q_SLOTS:
    void initTestCase()
    {
        // Limits live in the per-user settings: this test and the command lines it starts keep
        // theirs in a folder of their own. Every humidity reading lies above 1 %.
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("config"))));
        analysis::Limits limits;
        limits[analysis::Quantity::Humidity].high = 1.0;
        QVERIFY(LimitsStore().setDefaults(limits));
        QLocale::setDefault(QLocale::system());
        datetext::localeChanged();
        for (const QString &py : {qEnvironmentVariable("KESTRUN_PYTHON"), QStringLiteral("/usr/bin/python3"),
                                  QStandardPaths::findExecutable(QStringLiteral("python3"))}) {
            if (py.isEmpty())
                continue;
            QProcess p;
            p.start(py, {QStringLiteral("-c"), QStringLiteral("import openpyxl")});
            if (p.waitForFinished(10000) && p.exitCode() == 0) {
                m_python = py;
                break;
            }
        }

        // The window downloads a humidity logger with some failed readings and saves the set;
        // then it runs live readings for two rows and saves those.
        m_f = std::make_unique<e2e::Fixture>(kPort);
        loggersim::LoggerSim &sim = m_f->sim();
        sim.state().model = loggersim::model::RV220;
        sim.state().serial = 45;
        sim.state().setLocation("LAB A");
        sim.state().intervalUnit = 'M';
        sim.state().intervalCount = 15;
        sim.state().started = true;
        sim.readings().setInvalidShare(0.1);
        sim.core().fillHistory(60);
        QVERIFY2(m_f->start(), qPrintable(m_f->why()));

        DataCommands *commands = m_f->main().findChild<DataCommands *>();
        QSignalSpy downloaded(commands, &DataCommands::downloadFinished);
        m_f->toolbar(QStringLiteral("ReadData"));
        QVERIFY(downloaded.wait(40000));
        QCOMPARE(data()->table().rows(), 61);
        const Cells downloadedCells = cellsOf(data()->table());
        QVERIFY(std::any_of(downloadedCells.cbegin(), downloadedCells.cend(),
                            [](const QStringList &row) { return row.contains("***"); }));
        QVERIFY(saveAs(file("image")));

        m_f->toolbar(QStringLiteral("RealTime"));
        m_f->main().ComboRTC()->setCurrentIndex(0); // 2 seconds
        m_f->toolbar(QStringLiteral("RTCStart"));
        QTRY_VERIFY_WITH_TIMEOUT(m_f->main().live().LiveRowNo >= 2, 20000);
        m_f->toolbar(QStringLiteral("RTCDone"));
        QVERIFY(saveAs(file("rows")));

        for (const QString kind : {"image", "rows"}) {
            for (const bool fahrenheit : {false, true}) {
                data()->Cels_Faren = fahrenheit ? 0 : -1;
                m_f->prompter().fileAnswers = {file(kind)};
                m_f->toolbar(QStringLiteral("Open"));
                const QString key = kind + (fahrenheit ? " F" : " C");
                m_window[key] = cellsOf(data()->table());
                const QString book = m_dir.filePath(key + ".xlsx");
                const report::RunSummary run = report::summaryOf(m_f->main().document());
                m_summary[key] = run.summary;
                QVERIFY(spreadsheet::writeWorkbook(data()->table(), book, nullptr, &run));
                m_windowWorkbook[key] = m_python.isEmpty() ? QByteArray() : readWorkbook(book);
            }
        }
        QVERIFY2(m_f->prompter().messages().isEmpty(),
                 qPrintable(m_f->prompter().messages().join('|')));
        QCOMPARE(m_window["image C"].size(), 61);
        QVERIFY(m_window["rows C"].size() >= 3);
        QCOMPARE(m_window["image F"].at(0).at(3), QStringLiteral("Temp(°F)"));
        // The program's port is given back so the command line can open it.
        m_f->main().port().shutDown(false);
    }
    void cleanupTestCase() { m_f.reset(); }

    // `table` prints and `export --csv` writes the window's table, cell for cell.
    void tableAndCsv_data()
    {
        QTest::addColumn<QString>("key");
        for (const char *key : {"image C", "image F", "rows C", "rows F"})
            QTest::newRow(key) << QString::fromLatin1(key);
    }
    void tableAndCsv()
    {
        QFETCH(QString, key);
        const QStringList parts = key.split(' ');
        const QStringList unit = parts.at(1) == "F" ? QStringList{"--fahrenheit"} : QStringList{};
        const clitest::Result table = clitest::run(QStringList{"table", file(parts.at(0))} + unit);
        QVERIFY2(table.ok(), table.err.constData());
        QCOMPARE(fromTabText(table.outText()), m_window.value(key));

        const QString out = m_dir.filePath(key + ".csv");
        const clitest::Result csv =
            clitest::run(QStringList{"export", file(parts.at(0)), "--csv", out} + unit);
        QVERIFY2(csv.ok(), csv.err.constData());
        QVERIFY(csv.out.isEmpty());
        QFile f(out);
        QVERIFY(f.open(QIODevice::ReadOnly));
        bool wellFormed = false;
        QCOMPARE(fromCsv(QString::fromUtf8(f.readAll()), &wellFormed), m_window.value(key));
        QVERIFY(wellFormed);
    }

    void workbook_data()
    {
        QTest::addColumn<QString>("key");
        QTest::newRow("image C") << QStringLiteral("image C");
        QTest::newRow("rows F") << QStringLiteral("rows F");
    }
    void workbook()
    {
        QFETCH(QString, key);
        QVERIFY2(!m_python.isEmpty(), "no python3 with openpyxl (scripts/install-deps installs it)");
        const QStringList parts = key.split(' ');
        const QString out = m_dir.filePath("cli " + key + ".xlsx");
        QStringList args{"export", file(parts.at(0)), "--xlsx", out};
        if (parts.at(1) == "F")
            args << "--fahrenheit";
        const clitest::Result r = clitest::run(args);
        QVERIFY2(r.ok(), r.err.constData());
        const QByteArray book = readWorkbook(out);
        QCOMPARE(book, m_windowWorkbook.value(key));

        // The Summary sheet holds the figures as typed cells, the chart draws both columns.
        const QJsonObject read = QJsonDocument::fromJson(book).object();
        const analysis::Summary &s = m_summary.value(key);
        const QJsonArray rows = read["summary"].toArray();
        const auto row = [&](const QString &label) {
            for (const QJsonValue &r : rows)
                if (r.toArray().at(0).toString() == label)
                    return r.toArray();
            return QJsonArray();
        };
        QCOMPARE(row("Readings").at(1).toDouble(), double(s.readings));
        QCOMPARE(row("Invalid readings").at(1).toDouble(), double(s.invalid));
        QCOMPARE(row("First reading").at(1).toString(), s.first.toString(Qt::ISODate).left(19));
        QCOMPARE(row("Status").at(1).toString(), QStringLiteral("ALARM"));
        const QJsonArray humidity = row("Humidity");
        QCOMPARE(humidity.at(4).toDouble(), *s.sensors.at(1).max);
        QCOMPARE(humidity.at(9).toDouble(), 1.0);                                  // high limit
        QCOMPARE(humidity.at(15).toBool(), true);                                  // above: alarm
        const QJsonArray charts = read["charts"].toArray();
        QCOMPARE(charts.size(), 1);
        const QString last = QString::number(s.readings + 3);
        QStringList values;
        for (const QJsonValue &series : charts.at(0)["series"].toArray())
            values << series["values"].toString();
        QCOMPARE(values, (QStringList{"'Sheet1'!$D$4:$D$" + last, "'Sheet1'!$E$4:$E$" + last}));
    }

    // `report` writes the report of the file under the stored limits.
    void report()
    {
        const QString out = m_dir.filePath(QStringLiteral("cli report.pdf"));
        const clitest::Result r =
            clitest::run({"report", file(QStringLiteral("image")), "-o", out});
        QVERIFY2(r.ok(), r.err.constData());
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), out, QStringLiteral("-")});
        QVERIFY(text.waitForFinished(30000));
        const QString pdf = QString::fromUtf8(text.readAllStandardOutput()).simplified();
        const analysis::Summary &s = m_summary.value(QStringLiteral("image C"));
        QVERIFY2(pdf.contains(QStringLiteral("Readings: %1 (%2 invalid)").arg(s.readings).arg(s.invalid)),
                 qPrintable(pdf.left(2000)));
        QVERIFY(pdf.contains(QStringLiteral("Status: ALARM")));

        // A file without readings has the verdict NO DATA and no report: the window's message
        // on standard error, status 1, no file.
        const QString empty = m_dir.filePath(QStringLiteral("empty.brv2"));
        QFile f(empty);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(brv2::encodeRows(1, 0, 2, QStringLiteral(":   LAB A"),
                                 QStringLiteral(":     0045 06 05 13"), {}));
        f.close();
        const QString none = m_dir.filePath(QStringLiteral("empty.pdf"));
        const clitest::Result refused = clitest::run({"report", empty, "-o", none});
        QCOMPARE(refused.exitCode, 1);
        QCOMPARE(refused.errText(), report::kNothingToReport + '\n');
        QVERIFY(!QFile::exists(none));
        const clitest::Result summary = clitest::run({"summary", empty, "--json"});
        QVERIFY2(summary.ok(), summary.err.constData());
        QCOMPARE(QJsonDocument::fromJson(summary.out).object().value("status").toString(),
                 QStringLiteral("NO DATA"));
    }

    // A run of the archive, signed, reported by its key: page 1 and the attachment say what it
    // is, `verify` accepts the report until the archive says otherwise (a signature altered,
    // the run withdrawn), and the trail holds the report and the export.
    void reportOfAnArchivedRunVerifies()
    {
        QProcessEnvironment env = clitest::environment();
        const QString folder = m_dir.filePath("signed archive");
        env.insert("KESTRUN_ARCHIVE", folder);
        const auto cli = [&env](const QStringList &args) { return clitest::run(args, 30000, env); };
        const clitest::Result imported = cli({"archive", "import", file("image")});
        QVERIFY2(imported.ok(), imported.err.constData());
        const QString key = imported.outText().section('\t', 0, 0);
        QFile image(file("image"));
        QVERIFY(image.open(QIODevice::ReadOnly));
        const QString sha = sha256Hex(image.readAll());
        QCOMPARE(key, sha.left(16));

        // Signed as the signing command does: a sign event and its row.
        archive::ArchiveDb db(archive::locationFrom(folder));
        archive::AuditFilter stores;
        stores.run = key;
        stores.action = archive::action::kStore;
        const auto stored = db.events(stores);
        QVERIFY(stored && stored->size() == 1);
        archive::AuditEvent sign = archive::newEvent(archive::action::kSign, key);
        QVERIFY2(db.record(sign), qPrintable(db.error()));
        QSqlQuery row(db.database());
        row.prepare("INSERT INTO signatures VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
        for (const QVariant &v : QVariantList{sign.seq, key, sign.user, "Test Signer", "reviewed",
                                              archive::eventTime(sign.at), sha, stored->first().hash})
            row.addBindValue(v);
        QVERIFY(row.exec());

        const QString pdf = m_dir.filePath("signed.pdf");
        const clitest::Result made = cli({"report", "--key", key, "-o", pdf});
        QVERIFY2(made.ok(), made.err.constData());
        const QStringList page1 = printtest::pdfPages(pdf).value(0);
        for (const QString &line :
             {"SHA-256: " + sha, report::kKeyLine.arg(key).simplified(),
              report::kSignatureLine.arg("Reviewed", "Test Signer", sign.user,
                                         report::timeWithOffset(sign.at)).simplified()})
            QVERIFY2(page1.contains(line), qPrintable(line + "\n--\n" + page1.join('\n')));
        QVERIFY(page1.filter(QRegularExpression("^Stored by: .+ on .+ UTC[+-]")).size() == 1);
        const QString listed = printtest::run("qpdf", {"--list-attachments", pdf});
        QVERIFY2(listed.contains("run-" + key + ".brv2"), qPrintable(listed));

        const clitest::Result verified = cli({"verify", pdf});
        QVERIFY2(verified.ok(), verified.err.constData());
        QVERIFY2(verified.outText().startsWith("verified: run " + key) &&
                     verified.outText().contains(report::kVerifiedInArchive.arg(1)),
                 verified.out.constData());

        // The trail holds the report by the PDF's hash, and the export by the file's.
        const QString csv = m_dir.filePath("signed.csv");
        QVERIFY(cli({"export", file("image"), "--csv", csv}).ok());
        for (const auto &[action, path, hashKey] :
             {std::tuple{archive::action::kReport, pdf, report::detail::kPdfSha256},
              std::tuple{archive::action::kExport, csv, report::detail::kSha256}}) {
            archive::AuditFilter filter;
            filter.action = action;
            const auto events = db.events(filter);
            QVERIFY(events && events->size() == 1);
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(events->first().details.value(hashKey).toString(), sha256Hex(f.readAll()));
            QCOMPARE(events->first().run, key);
        }

        // What the archive says later counts: a signature that no longer reads as it did, a
        // run withdrawn.
        const struct
        {
            const char *change, *undo;
            QString says;
        } later[] = {
            {"UPDATE signatures SET printed_name = 'Someone Else'",
             "UPDATE signatures SET printed_name = 'Test Signer'",
             report::kSignatureMismatch.arg(sign.seq).arg(report::kSignatureDiffers)},
            {"UPDATE runs SET withdrawn = 1", "UPDATE runs SET withdrawn = 0",
             report::kWithdrawn.arg(key)},
        };
        for (const auto &l : later) {
            QVERIFY(QSqlQuery(db.database()).exec(l.change));
            const clitest::Result refused = cli({"verify", pdf});
            QCOMPARE(refused.exitCode, 1);
            QCOMPARE(refused.errText(), l.says + '\n');
            QVERIFY(QSqlQuery(db.database()).exec(l.undo));
        }
        QVERIFY(cli({"verify", pdf}).ok());
    }

    // The same logger read by the command line gives the file the window saved, byte for byte;
    // with standard error on a terminal the download shows its progress there. The run is kept
    // in the archive KESTRUN_ARCHIVE names and comes back out of it byte for byte; importing
    // files skips the damaged one, saying why, and takes the others.
    void downloadWritesWhatSaveWrites()
    {
        QProcessEnvironment env = clitest::environment();
        env.insert("KESTRUN_ARCHIVE", m_dir.filePath("archive"));
        const int master = posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(master >= 0);
        QVERIFY(grantpt(master) == 0 && unlockpt(master) == 0);
        const QString terminal = QString::fromLocal8Bit(ptsname(master));
        // Held open here too, so the terminal's output stays readable after the program ends.
        const int slave = ::open(ptsname(master), O_RDWR | O_NOCTTY);
        QVERIFY(slave >= 0);

        const QString out = m_dir.filePath("cli.brv2");
        QProcess p;
        p.setStandardErrorFile(terminal);
        clitest::start(p, {"download", "--port", QString::number(kPort), "--output", out}, env);
        const clitest::Result r = clitest::finish(p, 40000);

        QByteArray shown;
        ::fcntl(master, F_SETFL, O_NONBLOCK);
        char buf[4096];
        for (ssize_t n; (n = ::read(master, buf, sizeof buf)) > 0;)
            shown.append(buf, n);
        ::close(slave);
        ::close(master);

        QVERIFY2(r.ok(), shown.constData());
        QVERIFY(r.out.isEmpty());
        QFile cli(out), window(file("image"));
        QVERIFY(cli.open(QIODevice::ReadOnly) && window.open(QIODevice::ReadOnly));
        QCOMPARE(cli.readAll(), window.readAll());
        QVERIFY2(shown.contains(msg::kReading.toUtf8()), shown.constData());
        QVERIFY2(shown.contains("100%"), shown.constData());

        const clitest::Result list =
            clitest::run({"archive", "list", "--location", "lab", "--json"}, 30000, env);
        QVERIFY2(list.ok(), list.err.constData());
        const QJsonArray runs = QJsonDocument::fromJson(list.out).array();
        QCOMPARE(runs.size(), 1);
        const QJsonObject run = runs.at(0).toObject();
        QCOMPARE(run.value("source").toString(), QStringLiteral("download"));
        QCOMPARE(run.value("serial").toInt(), 45);
        QCOMPARE(run.value("location").toString(), QStringLiteral("LAB A"));
        QCOMPARE(run.value("model").toString(), QStringLiteral("RV-220"));
        QCOMPARE(run.value("readings").toInt(), 60);
        QCOMPARE(run.value("last").toString().size(), 19); // local ISO 8601, no zone
        // The verdict kept is the summary's under the limits kept for the logger.
        const clitest::Result summary = clitest::run({"summary", out, "--json"}, 30000, env);
        QVERIFY2(summary.ok(), summary.err.constData());
        QCOMPARE(run.value("status").toString(),
                 QJsonDocument::fromJson(summary.out).object().value("status").toString());
        // And so are each sensor's failed readings.
        const analysis::Summary &s = m_summary.value(QStringLiteral("image C"));
        int failed = 0;
        for (const analysis::SensorSummary &sensor : s.sensors) {
            const QJsonObject f =
                run.value("failed").toObject().value(analysis::key(sensor.quantity)).toObject();
            QCOMPARE(f.value("readings").toInt(-1), sensor.invalid);
            QCOMPARE(f.value("longest_s").toInteger(-1), sensor.longestFailed.seconds);
            QCOMPARE(f.value("first_at").toString(), archive::timeText(sensor.firstFailedAt));
            failed += sensor.invalid;
        }
        QVERIFY(failed > 0);
        const QString got = m_dir.filePath("got.brv2");
        const clitest::Result get =
            clitest::run({"archive", "get", run.value("key").toString(), "-o", got}, 30000, env);
        QVERIFY2(get.ok(), get.err.constData());
        QFile gotFile(got);
        QVERIFY(gotFile.open(QIODevice::ReadOnly) && window.seek(0));
        QCOMPARE(gotFile.readAll(), window.readAll());

        const QString junk = m_dir.filePath("junk.brv2");
        QFile junkFile(junk);
        QVERIFY(junkFile.open(QIODevice::WriteOnly) && junkFile.write("shopping list\r\n") > 0);
        junkFile.close();
        const clitest::Result import =
            clitest::run({"archive", "import", junk, file("rows"), file("image")}, 30000, env);
        QCOMPARE(import.exitCode, 1);
        // Named with its reason, as `summary` gives it.
        const clitest::Result why = clitest::run({"summary", junk}, 30000, env);
        QCOMPARE(why.exitCode, 1);
        QVERIFY2(why.errText().startsWith(msg::kFileError + ": "), qPrintable(why.errText()));
        QCOMPARE(import.errText(), junk + ": " + why.errText());
        QCOMPARE(import.outText().count('\n'), 2);
        QCOMPARE(clitest::run({"archive", "list"}, 30000, env).outText().count('\n'), 2);

        // The download withdrawn, with a reason only and once: out of the list, there with
        // --withdrawn; the archive checks out with the withdrawal one more event of its trail,
        // and not once that event is changed.
        const QString key = run.value("key").toString();
        const clitest::Result blank =
            clitest::run({"archive", "withdraw", key, "--reason", " "}, 30000, env);
        QCOMPARE(blank.exitCode, 1);
        QCOMPARE(blank.errText(), archivetext::kReasonRequired + '\n');
        const clitest::Result withdrawn =
            clitest::run({"archive", "withdraw", key, "--reason", "Sent to calibration"}, 30000, env);
        QVERIFY2(withdrawn.ok(), withdrawn.err.constData());
        QCOMPARE(withdrawn.outText(), "withdrawn: " + key + "\n");
        QCOMPARE(clitest::run({"archive", "withdraw", key, "--reason", "again"}, 30000, env).errText(),
                 archivetext::kAlreadyWithdrawn.arg(key) + '\n');
        QCOMPARE(clitest::run({"archive", "list"}, 30000, env).outText().count('\n'), 1);
        const clitest::Result all = clitest::run({"archive", "list", "--withdrawn", "--json"}, 30000, env);
        QStringList withdrawnKeys;
        for (const QJsonValue &v : QJsonDocument::fromJson(all.out).array()) {
            const QJsonObject o = v.toObject();
            QCOMPARE(o.value("user").toString(), archive::userName());
            QCOMPARE(o.value("computer").toString(), archive::computerName());
            QVERIFY(o.value("withdrawn").isBool());
            if (o.value("withdrawn").toBool())
                withdrawnKeys << o.value("key").toString();
        }
        QCOMPARE(withdrawnKeys, QStringList{key});
        const clitest::Result verified = clitest::run({"archive", "verify"}, 30000, env);
        QVERIFY2(verified.ok(), verified.err.constData());
        // The per-user limits moved into the archive (one event), two runs stored, one withdrawn.
        QCOMPARE(verified.outText(), archivetext::kVerifiedLine.arg(2).arg(4) + '\n');
        {
            archive::ArchiveDb db(archive::locationFrom(env.value("KESTRUN_ARCHIVE")));
            QVERIFY(db.open());
            QVERIFY(QSqlQuery(db.database()).exec("UPDATE audit_events SET reason = 'Lost' WHERE seq = 4"));
        }
        const clitest::Result broken = clitest::run({"archive", "verify", "--json"}, 30000, env);
        QCOMPARE(broken.exitCode, 1);
        QCOMPARE(QJsonDocument::fromJson(broken.out).object(),
                 (QJsonObject{{"ok", false}, {"runs", 2}, {"events", 3},
                              {"problem", archivetext::kEventAltered.arg(4)}}));
    }

    // "-" names the standard streams: a table exported to standard output is the file it
    // writes, and a run taken out of one archive goes through a pipe into another, byte for byte.
    void standardStreams()
    {
        const QString csv = m_dir.filePath("streams.csv");
        QVERIFY(clitest::run({"export", file("image"), "--csv", csv}).ok());
        const clitest::Result out = clitest::run({"export", file("image"), "--csv", "-"});
        QVERIFY2(out.ok(), out.err.constData());
        QFile written(csv);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(out.out, written.readAll());

        QTemporaryDir archives;
        QProcessEnvironment first = clitest::environment(), second = first;
        first.insert("KESTRUN_ARCHIVE", archives.filePath("first"));
        second.insert("KESTRUN_ARCHIVE", archives.filePath("second"));
        QProcess in;
        in.setStandardInputFile(file("image"));
        clitest::start(in, {"archive", "import", "-"}, first);
        const clitest::Result imported = clitest::finish(in, 30000);
        QVERIFY2(imported.ok(), imported.err.constData());
        const QString key = imported.outText().section('\t', 0, 0);
        QCOMPARE(imported.outText(), key + "\t-\n");

        QProcess get, put;
        get.setStandardOutputProcess(&put);
        clitest::start(get, {"archive", "get", key, "-o", "-"}, first);
        clitest::start(put, {"archive", "import", "-"}, second);
        QVERIFY(clitest::finish(get, 30000).ok());
        const clitest::Result piped = clitest::finish(put, 30000);
        QVERIFY2(piped.ok(), piped.err.constData());
        QCOMPARE(piped.outText(), key + "\t-\n");
        const clitest::Result back = clitest::run({"archive", "get", key, "-o", "-"}, 30000, second);
        QFile image(file("image"));
        QVERIFY(image.open(QIODevice::ReadOnly));
        QCOMPARE(back.out, image.readAll());
    }

    // A location with a colour escape, a tab and a line break: each run stays one line of the
    // listing and the summary shows the escapes, while --json gives the location as it is.
    void controlCharactersInALocation()
    {
        const QString location = QStringLiteral("A\x1b[31mB\tC\nD");
        const QString shown = QStringLiteral("A\\x1b[31mB\\tC\\nD");
        const QString path = m_dir.filePath("hostile.brv2");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(brv2::encodeRows(1, 0, 2, ":    " + location, ":     0045 06 05 13",
                                 {{"2024-05-17", "10:00:00", "21.5"}}));
        f.close();
        QTemporaryDir archive;
        QProcessEnvironment env = clitest::environment();
        env.insert("KESTRUN_ARCHIVE", archive.path());
        QVERIFY(clitest::run({"archive", "import", path, file("image")}, 30000, env).ok());

        const clitest::Result list = clitest::run({"archive", "list"}, 30000, env);
        QVERIFY2(list.ok(), list.err.constData());
        const QStringList lines = list.outText().split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QVERIFY2(lines.filter(shown).size() == 1, qPrintable(list.outText()));
        for (const QString &line : lines)
            QCOMPARE(line.count('\t'), 9);
        QVERIFY(!list.out.contains('\x1b'));

        const clitest::Result summary = clitest::run({"summary", path}, 30000, env);
        QVERIFY2(summary.outText().contains("Location:       " + shown + "\n"),
                 summary.out.constData());
        const clitest::Result json = clitest::run({"archive", "list", "--json"}, 30000, env);
        QStringList locations;
        for (const QJsonValue &run : QJsonDocument::fromJson(json.out).array())
            locations << run.toObject().value("location").toString();
        QVERIFY2(locations.contains(location), json.out.constData());
        QVERIFY(!json.out.contains('\x1b'));
    }

    // Limits from the command line and the settings, checked one way: each command runs in
    // turn on the row's own settings (the "[limits]" section given) and archive, "FILE" being
    // the downloaded set (logger 0045, humidity), "OUT" an output file. What it prints (either
    // stream) holds the text expected; a workbook of refused limits has no Summary sheet.
    void limits_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QList<QStringList>>("commands");
        QTest::addColumn<QList<int>>("exits");
        QTest::addColumn<QStringList>("printed");

        using namespace analysistext;
        const QString empty = kEmptyLimit.arg(kHigh, "temperature");
        QTest::newRow("an empty --high removes no stored limit")
            << QByteArray("default\\temperature\\high=30\ndefault\\delay_min=0\n")
            << QList<QStringList>{{"summary", "FILE", "--high", ""},
                                  {"limits", "set", "--high", ""},
                                  {"limits", "show"}}
            << QList<int>{1, 1, 0} << QStringList{empty, empty, "Temperature:  high 30 °C"};
        QTest::newRow("--delay keeps the stored type, --single sets it")
            << QByteArray("default\\delay_min=10\ndefault\\type=cumulative\n")
            << QList<QStringList>{{"limits", "set", "--delay", "30"},
                                  {"limits", "show", "--serial", "45"},
                                  {"summary", "FILE", "--delay", "5", "--json"},
                                  {"summary", "FILE", "--delay", "5", "--single", "--json"},
                                  {"summary", "FILE", "--single", "--cumulative"}}
            << QList<int>{0, 0, 0, 0, 1}
            << QStringList{"", "Alarm delay:  30 min, cumulative", "\"cumulative\": true",
                           "\"cumulative\": false",
                           "give either --single or --cumulative, not both"};
        const QString wrapped = kStoredRefused.arg(kDefaultLimits, kBadDelay.arg("99999999999"));
        QTest::newRow("a wrapped stored delay judges nothing")
            << QByteArray("default\\delay_min=99999999999\ndefault\\humidity\\high=1\n")
            << QList<QStringList>{{"summary", "FILE"},
                                  {"report", "FILE", "-o", "OUT"},
                                  {"export", "FILE", "--xlsx", "OUT"},
                                  {"limits", "show", "--serial", "45"},
                                  {"archive", "import", "FILE"},
                                  {"archive", "list", "--json"},
                                  {"summary", "FILE", "--delay", "30", "--json"}}
            << QList<int>{1, 1, 0, 1, 0, 0, 0}
            << QStringList{wrapped, wrapped, wrapped, wrapped, "", "\"status\": null",
                           "\"status\": \"ALARM\""};
        const QString crossed = kStoredRefused.arg(
            kLoggerLimits.arg("0045"), kLowNotBelowHigh.arg("temperature", "9", "8"));
        QTest::newRow("a stored low above its high is refused by report too")
            << QByteArray("logger\\0045\\temperature\\high=8\nlogger\\0045\\temperature\\"
                          "low=9\nlogger\\0045\\delay_min=0\n")
            << QList<QStringList>{{"report", "FILE", "-o", "OUT"},
                                  {"report", "FILE", "-o", "OUT", "--low", "7"},
                                  {"report", "FILE", "-o", "OUT", "--high", ""}}
            << QList<int>{1, 0, 1} << QStringList{crossed, "", empty};
        QTest::newRow("limits clear: a limit, then the whole set")
            << QByteArray("logger\\0045\\temperature\\high=8\nlogger\\0045\\temperature\\"
                          "low=2\nlogger\\0045\\delay_min=5\ndefault\\temperature\\high=30\n"
                          "default\\delay_min=0\n")
            << QList<QStringList>{{"limits", "clear", "--serial", "45", "--high"},
                                  {"limits", "show", "--serial", "45"},
                                  {"limits", "clear", "--serial", "45"},
                                  {"limits", "show", "--serial", "45", "--json"}}
            << QList<int>{0, 0, 0, 0}
            << QStringList{"", "Temperature:  low 2 °C\n", "", "\"high\": 30"};
    }
    void limits()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QList<QStringList>, commands);
        QFETCH(QList<int>, exits);
        QFETCH(QStringList, printed);
        QTemporaryDir row;
        QVERIFY(QDir().mkpath(row.filePath("config/Brivak")));
        QFile settings(row.filePath("config/Brivak/Kestrun.conf"));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write("[limits]\n" + ini);
        settings.close();
        QProcessEnvironment env = clitest::environment();
        env.insert("XDG_CONFIG_HOME", row.filePath("config"));
        env.insert("KESTRUN_ARCHIVE", row.filePath("archive"));
        for (qsizetype i = 0; i < commands.size(); ++i) {
            QStringList args = commands.at(i);
            args.replaceInStrings(QRegularExpression("^FILE$"), file("image"));
            args.replaceInStrings(QRegularExpression("^OUT$"), row.filePath("out"));
            const clitest::Result r = clitest::run(args, 30000, env);
            const QString said = r.outText() + r.errText();
            QVERIFY2(r.finished && r.exitCode == exits.at(i) && said.contains(printed.at(i)),
                     qPrintable(args.join(' ') + " -> " + QString::number(r.exitCode) + ": " + said));
        }
    }

    // A run imported before its limits were set is kept "NO LIMITS" while today's limits
    // judge it ALARM; `archive rejudge` records the new verdict with its reason (and nothing
    // when the verdict stays), the list follows it, and the limit change and the rejudgement
    // are both in the trail with the old and the new.
    void archiveRejudge()
    {
        QTemporaryDir row;
        QProcessEnvironment env = clitest::environment();
        env.insert("XDG_CONFIG_HOME", row.filePath("config"));
        env.insert("KESTRUN_ARCHIVE", row.filePath("archive"));
        const auto run = [&env](const QStringList &args) { return clitest::run(args, 30000, env); };
        const clitest::Result imported = run({"archive", "import", file("image")});
        QVERIFY2(imported.ok(), imported.err.constData());
        const QString key = imported.outText().section('\t', 0, 0);
        QCOMPARE(run({"archive", "rejudge", key, "--reason", "check"}).outText(),
                 archivetext::kVerdictStays.arg(key, "NO LIMITS") + '\n');
        QVERIFY(run({"limits", "set", "--default", "--rh-high", "1"}).ok());

        const auto listed = [&](const QStringList &more) {
            const clitest::Result list = run(QStringList{"archive", "list", "--json"} + more);
            return QJsonDocument::fromJson(list.out).array();
        };
        QCOMPARE(listed({}).at(0).toObject().value("status").toString(), QStringLiteral("NO LIMITS"));
        const QJsonObject keptLimits = listed({}).at(0).toObject().value("limits").toObject();
        QVERIFY(keptLimits.value("humidity").toObject().value("high").isNull());
        QCOMPARE(keptLimits.value("delay_min").toInt(-1), 0);
        QVERIFY(listed({"--alarms"}).isEmpty());

        const clitest::Result noReason = run({"archive", "rejudge", key, "--reason", " "});
        QVERIFY(noReason.exitCode != 0);
        QVERIFY2(noReason.errText().contains(archivetext::kRejudgeReasonRequired), noReason.err.constData());
        const clitest::Result rejudged = run({"archive", "rejudge", key, "--reason", "set later"});
        QVERIFY2(rejudged.ok(), rejudged.err.constData());
        QCOMPARE(rejudged.outText(), archivetext::kRejudged.arg(key, "NO LIMITS", "ALARM") + '\n');
        const QJsonArray alarms = listed({"--alarms"});
        QCOMPARE(alarms.size(), 1);
        QCOMPARE(alarms.at(0).toObject().value("status").toString(), QStringLiteral("ALARM"));
        QCOMPARE(alarms.at(0).toObject().value("limits").toObject().value("humidity").toObject()
                     .value("high").toDouble(), 1.0);

        archive::ArchiveDb db(archive::locationFrom(row.filePath("archive")));
        QCOMPARE(db.judgements(key).value_or(QList<archive::Judgement>()).size(), 2);
        archive::AuditFilter changed;
        changed.action = archive::action::kLimits;
        const auto limitEvents = db.events(changed).value_or(QList<archive::AuditEvent>());
        QCOMPARE(limitEvents.size(), 1);
        QCOMPARE(limitEvents[0].details.value("scope").toString(), QStringLiteral("default"));
        QVERIFY(limitEvents[0].details.value("old").isNull());
        QCOMPARE(limitEvents[0].details.value("new").toObject().value("humidity").toObject()
                     .value("high").toDouble(), 1.0);
        changed.action = archive::action::kRejudge;
        const auto rejudgeEvents = db.events(changed).value_or(QList<archive::AuditEvent>());
        QCOMPARE(rejudgeEvents.size(), 1);
        QCOMPARE(rejudgeEvents[0].reason, std::optional(QStringLiteral("set later")));
    }

    // KESTRUN_ARCHIVE holding a password is refused as the Archive dialog refuses one: in its
    // words, and nothing connects.
    void archiveWithAPasswordIsRefused()
    {
        QProcessEnvironment env = clitest::environment();
        env.insert("KESTRUN_ARCHIVE", "host=" + m_dir.filePath("no-server") + " password=s3cr3t");
        const clitest::Result list = clitest::run({"archive", "list"}, 30000, env);
        QCOMPARE(list.exitCode, 1);
        QCOMPARE(list.errText(), archivetext::kHoldsPassword + '\n');
    }

    void damagedFiles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content"); // empty: the file does not exist
        QTest::addColumn<QString>("message");    // the start of what standard error says
        QFile image(file("image"));
        QVERIFY(image.open(QIODevice::ReadOnly));
        QByteArray changed = image.readAll();
        // One image byte (a date record) one day later: the CRC no longer matches.
        const qsizetype at = changed.indexOf("#1900-01-0");
        QVERIFY(at > 0);
        changed[at + 10] = char(changed.at(at + 10) == '9' ? '8' : changed.at(at + 10) + 1);
        QTest::newRow("image byte changed")
            << "changed.brv2" << changed << msg::kFileCorrupted + ": the CRC does not match: ";
        QTest::newRow("not a data file")
            << "notes.brv2" << QByteArray("shopping list\r\n")
            << msg::kFileError + ": the header's model code is not a whole number\n";
        QTest::newRow("missing") << "missing.brv2" << QByteArray()
                                 << msg::kFileError + ": there is no such file\n";
    }
    void damagedFiles()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        const QString path = m_dir.filePath(name);
        if (!content.isEmpty()) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        const QString csv = m_dir.filePath(name + ".csv");
        for (const QStringList &args :
             {QStringList{"table", path}, QStringList{"export", path, "--csv", csv}}) {
            const clitest::Result r = clitest::run(args);
            QCOMPARE(r.exitCode, 1);
            QVERIFY2(r.errText().startsWith(message), qPrintable(r.errText()));
            QVERIFY(r.errText().endsWith('\n') && r.errText().count('\n') == 1);
            QVERIFY(r.out.isEmpty());
        }
        QVERIFY(!QFile::exists(csv));
    }

    void csvField_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("field");
        QTest::newRow("comma") << "7 Dec, 2026" << "\"7 Dec, 2026\"";
        QTest::newRow("quote") << "say \"hi\"" << "\"say \"\"hi\"\"\"";
        QTest::newRow("line break") << "a\r\nb" << "\"a\r\nb\"";
        QTest::newRow("leading blank") << " S.No" << "\" S.No\"";
    }
    void csvField()
    {
        QFETCH(QString, text);
        QFETCH(QString, field);
        QCOMPARE(tabletextout::csvField(text), field);
    }
};

QTEST_MAIN(TestCliFiles)
#include "test_cli_files.moc"
