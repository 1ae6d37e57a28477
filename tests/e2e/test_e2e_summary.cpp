// Limits and the summary through the real window: a set downloaded from the simulated logger,
// a high limit set in Setting -> Limits..., and the Summary tab, the table's tints and the
// graph's limit line checked against kestrun-cli summary on the saved file.
#include "tests/support/e2e_fixture.h"

#include "analysis/analysis_texts.h"
#include "analysis/limits_dialog.h"
#include "app/data_commands.h"
#include "archive/archive_db.h"
#include "acquisition/readings_table.h"
#include "analysis/summary_output.h"
#include "common/numfmt.h"
#include "common/sha256.h"
#include "archive/archive_db.h"
#include "archive/audit_event.h"
#include "output/output_trail.h"
#include "tests/output/print_test_support.h"
#include "tests/tools/cli_process.h"
#include "tools/logger-sim/logger_state.h"
#include "run/run_document.h"
#include "view/frm_data.h"
#include "view/graph_controller.h"
#include "view/graph_renderer.h"
#include "view/summary_view.h"

#include <QDesktopServices>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QJsonObject>
#include <QSettings>
#include <QSignalSpy>
#include <QTabWidget>
#include <QtTest>

// Stands in for the desktop's PDF viewer.
class Viewer : public QObject
{
    Q_OBJECT
public:
    QUrl opened;
public Q_SLOTS:
    void open(const QUrl &url) { opened = url; }
};

class TestE2eSummary : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_tests = 0;

    // File -> Report to PDF... into `name`: the lines of the first page of the report the
    // desktop's viewer is handed (none when it is handed none).
    QStringList reportPage1(e2e::Fixture &f, const QString &name)
    {
        Viewer viewer;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &viewer, "open");
        const QString pdf = m_dir.filePath(name);
        f.prompter().fileAnswers = {pdf};
        f.main().menuAction(QStringLiteral("ReportPdf"))->trigger();
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        return viewer.opened == QUrl::fromLocalFile(pdf) ? printtest::pdfPages(pdf).value(0)
                                                         : QStringList();
    }

private Q_SLOTS:
    void initTestCase()
    {
        // The window and kestrun-cli share the per-user settings: both see this folder's.
        QVERIFY(m_dir.isValid());
        qputenv("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral("config")).toLocal8Bit());
    }

    // Each test starts with no limits kept, in an archive of its own: one may leave a set
    // behind that another's logger would be judged by.
    void init()
    {
        QSettings stored(QSettings::UserScope, QStringLiteral("Brivak"), QStringLiteral("Kestrun"));
        stored.remove(QStringLiteral("limits"));
        stored.sync();
        qputenv("KESTRUN_ARCHIVE",
                QFile::encodeName(m_dir.filePath(QStringLiteral("archive-%1").arg(++m_tests))));
    }

    void limitsSummaryTintsAndLinesAgreeWithTheCli()
    {
        e2e::Fixture f;
        e2e::enableLogger(f.sim().state(), "COLD ROOM", 2);
        f.sim().state().model = 2; // temperature and humidity
        f.sim().core().fillHistory(120);
        QVERIFY2(f.start(), qPrintable(f.why()));
        QSignalSpy done(f.main().findChild<DataCommands *>(), &DataCommands::downloadFinished);
        f.toolbar(QStringLiteral("ReadData"));
        QVERIFY(done.wait(40000) || done.count() > 0);
        FrmData *d = f.main().data();
        SummaryView *view = d->summaryView();
        QTRY_COMPARE(view->summary().readings, 120);
        QCOMPARE(view->verdictLabel()->text(), QStringLiteral("NO LIMITS"));

        // A high limit halfway between the lowest and highest reading, typed in °F.
        QVERIFY(d->Optfaren()->isEnabled());
        d->Optfaren()->click();
        QTRY_COMPARE(view->summary().fahrenheit, true);
        const analysis::SensorSummary &t = view->summary().sensors.at(0);
        const double high = numfmt::roundHalfEven((*t.min + *t.max) / 2, 1);
        const double low = numfmt::roundHalfEven(*t.min + (*t.max - *t.min) / 4, 1);
        f.menu(QStringLiteral("mLimits"));
        auto *dialog = f.main().findChild<LimitsDialog *>();
        QVERIFY(dialog && dialog->loggerButton()->isChecked());
        dialog->highEdit(analysis::Quantity::Temperature)->setText(numfmt::plain(high));
        dialog->lowEdit(analysis::Quantity::Temperature)->setText(numfmt::plain(low));
        dialog->okButton()->click();
        QVERIFY2(f.prompter().messages().isEmpty(), qPrintable(f.prompter().messages().join('|')));
        QCOMPARE(view->verdictLabel()->text(), QStringLiteral("ALARM"));
        const int events = view->summary().sensors.at(0).above->events();
        QVERIFY(events > 0);

        // Back in °C (the table's values return exactly): cells above the high limit tinted
        // light red, below the low one light blue, the others not; dashed lines off the
        // traces' colours on the graph.
        d->OptCels()->click();
        QTRY_COMPARE(view->summary().fahrenheit, false);
        const double highC = *view->summary().sensors.at(0).limits.high;
        const double lowC = *view->summary().sensors.at(0).limits.low;
        QCOMPARE(view->summary().sensors.at(0).above->events(), events);
        const ReadingsTable &table = d->table();
        for (int r = 1; r < table.rows(); ++r) {
            const QVariant tint = table.data(table.index(r - 1, tablecol::kValueCol),
                                             Qt::BackgroundRole);
            const std::optional<double> v = table.number(r, tablecol::kValueCol);
            const QVariant expected = v && *v > highC  ? QVariant(QColor(255, 205, 205))
                                      : v && *v < lowC ? QVariant(QColor(205, 225, 255))
                                                       : QVariant();
            QCOMPARE(tint, expected);
        }
        const QImage &picture = d->graph().picture();
        for (const QRgb colour : {graph::kHighLimitColour, graph::kLowLimitColour}) {
            bool line = false;
            for (int y = 0; y < picture.height() && !line; ++y)
                for (int x = 0; x < 6; ++x)
                    line = line || picture.pixel(x, y) == colour;
            QVERIFY(line);
        }

        // The Summary tab shows what kestrun-cli says of the saved file, figure for figure.
        d->SSTab1()->setCurrentIndex(2);
        QCOMPARE(d->SSTab1()->tabText(2), QStringLiteral("Summary"));
        const QString path = m_dir.filePath(QStringLiteral("run"));
        f.prompter().fileAnswers = {path};
        f.toolbar(QStringLiteral("Save"));
        QProcess plain;
        clitest::start(plain, {QStringLiteral("summary"), path + ".brv2"});
        const clitest::Result text = clitest::finish(plain, 20000);
        QVERIFY2(text.ok(), qPrintable(text.errText()));
        QCOMPARE(text.outText(), view->figures()->toPlainText());
        QProcess json;
        clitest::start(json, {QStringLiteral("summary"), path + ".brv2", QStringLiteral("--json")});
        const clitest::Result r = clitest::finish(json, 20000);
        QVERIFY2(r.ok(), qPrintable(r.errText()));
        const QJsonObject o = QJsonDocument::fromJson(r.out).object();
        QCOMPARE(o[QStringLiteral("status")].toString(), view->verdictLabel()->text());
        QCOMPARE(o[QStringLiteral("serial")].toString(), QStringLiteral("0045"));
        const QJsonObject temp =
            o[QStringLiteral("sensors")].toObject()[QStringLiteral("temperature")].toObject();
        QVERIFY(qAbs(temp[QStringLiteral("high")].toDouble() - highC) < 1e-9);
        QCOMPARE(temp[QStringLiteral("above")].toObject()[QStringLiteral("events")].toInt(),
                 events);

        // File -> Report to PDF... hands the desktop's viewer a report whose first page says
        // what the Summary tab says.
        const QStringList page1 = reportPage1(f, QStringLiteral("report.pdf"));
        QVERIFY(!page1.isEmpty());
        const QStringList lines = text.outText().split(QLatin1Char('\n'));
        for (const QLatin1String label : {QLatin1String("Serial number:"), QLatin1String("Status:")}) {
            const auto line = std::find_if(lines.cbegin(), lines.cend(),
                                           [&](const QString &l) { return l.startsWith(label); });
            QVERIFY(line != lines.cend());
            QVERIFY2(page1.contains(line->simplified()), qPrintable(*line));
        }
        // The report proves itself: it names the saved run's bytes, carries them, and
        // kestrun-cli verifies it against them and the archive the window keeps its runs in.
        QFile saved(path + ".brv2");
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QVERIFY(page1.contains("SHA-256: " + sha256Hex(saved.readAll())));
        const clitest::Result verified = clitest::run({"verify", m_dir.filePath("report.pdf")});
        QVERIFY2(verified.ok() && verified.outText().startsWith("verified: "),
                 qPrintable(verified.errText()));
        // The trail knows the report by its PDF's hash.
        QFile reportFile(m_dir.filePath("report.pdf"));
        QVERIFY(reportFile.open(QIODevice::ReadOnly));
        archive::ArchiveDb db(archive::chosenLocation());
        archive::AuditFilter reports;
        reports.action = archive::action::kReport;
        const auto trail = db.events(reports);
        QVERIFY2(trail && !trail->isEmpty(), qPrintable(db.error()));
        QCOMPARE(trail->last().details.value(report::detail::kPdfSha256).toString(),
                 sha256Hex(reportFile.readAll()));

        // The other way round: limits kestrun-cli stores are the window's, in Setting ->
        // Limits... and in the Summary tab, while the window stays open.
        const analysis::SensorSummary &rh = view->summary().sensors.at(1);
        const QString rhHigh = numfmt::plain(numfmt::roundHalfEven((*rh.min + *rh.max) / 2, 1));
        const clitest::Result set = clitest::run(
            {"limits", "set", "--serial", "45", "--rh-high", rhHigh, "--high", "", "--delay", "0"});
        QCOMPARE(set.exitCode, 1); // an empty value is refused, and nothing is stored
        QVERIFY(clitest::run({"limits", "clear", "--serial", "45", "--high", "--low"}).ok());
        QVERIFY(clitest::run({"limits", "set", "--serial", "45", "--rh-high", rhHigh}).ok());
        f.menu(QStringLiteral("mLimits"));
        dialog = f.main().findChild<LimitsDialog *>();
        QVERIFY(dialog);
        QCOMPARE(dialog->highEdit(analysis::Quantity::Humidity)->text(), rhHigh);
        QCOMPARE(dialog->highEdit(analysis::Quantity::Temperature)->text(), QString());
        dialog->okButton()->click();
        const clitest::Result again = clitest::run({"summary", path + ".brv2"});
        QVERIFY2(again.ok(), qPrintable(again.errText()));
        QCOMPARE(again.outText(), view->figures()->toPlainText());
        QVERIFY(view->summary().sensors.at(1).above->alarm);

        // A stored set the check refuses judges nothing, in the tab and in the report.
        archive::ArchiveDb site(archive::chosenLocation());
        QJsonObject wrapped = site.siteLimits().value_or(QMap<QString, QJsonObject>()).value("logger:0045");
        wrapped.insert(QStringLiteral("delay_min"), QStringLiteral("99999999999"));
        QVERIFY2(site.setSiteLimits(QStringLiteral("logger:0045"), wrapped), qPrintable(site.error()));
        // As Setting -> Limits... does after OK: the kept limits are looked up again.
        d->document().limitsChanged();
        const QString refused = analysistext::kStoredRefused.arg(
            analysistext::kLoggerLimits.arg("0045"), analysistext::kBadDelay.arg("99999999999"));
        QCOMPARE(view->verdictLabel()->text(), refused);
        QCOMPARE(view->figures()->toPlainText(), QString());
        QVERIFY(!view->summary().sensors.at(1).above);
        f.prompter().clear();
        Viewer viewer;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &viewer, "open");
        f.main().menuAction(QStringLiteral("ReportPdf"))->trigger();
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(f.prompter().messages(), QStringList{refused});
        QVERIFY(viewer.opened.isEmpty());
    }

    // A logger whose sensor fails on cue, read by the window: failed readings inside an
    // excursion keep it whole, and a sensor that never read is in alarm; kestrun-cli says the
    // same of the saved file.
    void failedReadingsAreNeverOk_data()
    {
        QTest::addColumn<QString>("failed");   // reading places, as --fail-readings takes them
        QTest::addColumn<QString>("lowLimit"); // what the Summary tab says of the low limit
        QTest::addColumn<int>("events");
        QTest::newRow("*** inside an excursion")
            << "40,41,80"
            << "50.0; 1 event(s), 04:00:00 beyond, first at %1, longest 04:00:00 (3 failed "
               "readings included); alarm"
            << 1;
        QTest::newRow("every reading failed") << "0-119"
                                              << "50.0; no valid reading; alarm" << 0;
    }
    void failedReadingsAreNeverOk()
    {
        QFETCH(QString, failed);
        QFETCH(QString, lowLimit);
        QFETCH(int, events);
        e2e::Fixture f;
        e2e::enableLogger(f.sim().state(), "VACCINES", 2);
        f.sim().state().model = 1;
        f.sim().state().failedReadings = loggersim::parseReadingList(failed).value();
        f.sim().core().fillHistory(120);
        QVERIFY2(f.start(), qPrintable(f.why()));
        QSignalSpy done(f.main().findChild<DataCommands *>(), &DataCommands::downloadFinished);
        f.toolbar(QStringLiteral("ReadData"));
        QVERIFY(done.wait(40000) || done.count() > 0);
        SummaryView *view = f.main().data()->summaryView();
        QTRY_COMPARE(view->summary().readings, 120);

        // Every office reading lies below 50 °C; one excursion must last the whole run.
        f.menu(QStringLiteral("mLimits"));
        auto *dialog = f.main().findChild<LimitsDialog *>();
        QVERIFY(dialog && dialog->loggerButton()->isChecked());
        dialog->highEdit(analysis::Quantity::Temperature)->clear();
        dialog->lowEdit(analysis::Quantity::Temperature)->setText(QStringLiteral("50"));
        dialog->delayEdit()->setText(QStringLiteral("240"));
        dialog->singleButton()->click();
        dialog->okButton()->click();
        QVERIFY2(f.prompter().messages().isEmpty(), qPrintable(f.prompter().messages().join('|')));
        QCOMPARE(view->verdictLabel()->text(), QStringLiteral("ALARM"));
        const QStringList lines = view->figures()->toPlainText().split(QLatin1Char('\n'));
        const QString first = analysis::momentText(view->summary().first);
        QVERIFY2(lines.contains(QStringLiteral("  Low limit:    ") +
                                QString(lowLimit).replace(QStringLiteral("%1"), first)),
                 qPrintable(lines.join('\n')));
        const int count = loggersim::parseReadingList(failed)->size();
        QVERIFY2(lines.filter(QStringLiteral("  Failed:       %1 readings, ").arg(count)).size() ==
                     1,
                 qPrintable(lines.join('\n')));

        const QString path = m_dir.filePath(QStringLiteral("failing"));
        f.prompter().fileAnswers = {path};
        f.toolbar(QStringLiteral("Save"));
        const clitest::Result r =
            clitest::run({QStringLiteral("summary"), path + ".brv2", QStringLiteral("--json")});
        QVERIFY2(r.ok(), qPrintable(r.errText()));
        const QJsonObject o = QJsonDocument::fromJson(r.out).object();
        QCOMPARE(o[QStringLiteral("status")].toString(), QStringLiteral("ALARM"));
        const QJsonObject temp =
            o[QStringLiteral("sensors")].toObject()[QStringLiteral("temperature")].toObject();
        QCOMPARE(temp[QStringLiteral("failed")].toObject()[QStringLiteral("readings")].toInt(),
                 count);
        const QJsonObject below = temp[QStringLiteral("below")].toObject();
        QCOMPARE(below[QStringLiteral("events")].toInt(), events);
        QCOMPARE(below[QStringLiteral("alarm")].toBool(), true);

        // The report's first page says it too: in the limit's line and in the excursion's.
        const QString page1 = reportPage1(f, QStringLiteral("failing.pdf")).join(QLatin1Char('\n'));
        QCOMPARE(page1.count(QStringLiteral("(%1 failed readings included)").arg(count)),
                 2 * events);
        QCOMPARE(page1.count(QStringLiteral("no valid reading; alarm")), 1 - events);
    }
};

QTEST_MAIN(TestE2eSummary)
#include "test_e2e_summary.moc"
