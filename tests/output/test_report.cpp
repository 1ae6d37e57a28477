// The report: written to PDF and read back with poppler's tools.

#include "analysis/summary_output.h"
#include "common/app_info.h"
#include "common/messages.h"
#include "common/model_codes.h"
#include "output/graph_printout.h"
#include "common/sha256.h"
#include "datafile/brv2_file.h"
#include "archive/archive_db.h"
#include "archive/audit_event.h"
#include "output/output_trail.h"
#include "output/pdf_attachment.h"
#include "output/report.h"
#include "output/report_texts.h"
#include "output/report_verify.h"
#include "print_test_support.h"
#include "run/run_document.h"

#include "common/prompter.h"

#include <QBuffer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTest>

using namespace printtest;

namespace {

const QDateTime kStart(QDate(2026, 12, 4), QTime(20, 0));
const QDateTime kMade(QDate(2026, 12, 5), QTime(9, 30));

// 20.0 26.0 27.5 *** 24.0 1.0, ten minutes apart: above 25.0 twice in a row, below 2.0 once.
analysis::Limits limits()
{
    analysis::Limits l;
    l[analysis::Quantity::Temperature] = {25.0, 2.0};
    return l;
}

std::unique_ptr<RunDocument> run()
{
    const QStringList values{"20.0", "26.0", "27.5", "***", "24.0", "1.0"};
    auto doc = std::make_unique<RunDocument>();
    fillSet(&doc->set(), model::kRV110,
            series(kStart, int(values.size()), 10, [&](int i) { return values[i]; }));
    doc->setLimits(limits());
    return doc;
}

QString at(int minutes)
{
    return analysis::momentText(kStart.addSecs(minutes * 60));
}

int pixelsOf(const QImage &image, const QColor &colour)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixelColor(x, y) == colour;
    return n;
}

// How a report is altered after it was written.
enum class Tamper { None, Bytes, Figure, MetadataSha, BytesAndSha, Forged, NoAttachment, NotPdf };

// `pdf` altered as `how` says, by rewriting its attachment as anyone with qpdf could.
QByteArray tampered(const QByteArray &pdf, Tamper how)
{
    const pdfattach::Extracted got = pdfattach::extract(pdf);
    QByteArray bytes = got.bytes;
    QJsonObject figures = QJsonDocument::fromJson(got.metadataJson).object();
    switch (how) {
    case Tamper::None:
        return pdf;
    case Tamper::NotPdf:
        return "not a PDF at all";
    case Tamper::NoAttachment: {
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        QPdfWriter writer(&out);
        QPainter(&writer).drawText(100, 100, QStringLiteral("page"));
        return out.data();
    }
    case Tamper::Bytes:
        bytes.replace("27.5", "24.5");
        break;
    case Tamper::BytesAndSha:
        bytes.replace("27.5", "24.5");
        figures["sha256"] = sha256Hex(bytes);
        break;
    case Tamper::Forged: // new bytes with their own hash and key: only the figures tell
        bytes.replace("27.5", "24.5");
        figures["sha256"] = sha256Hex(bytes);
        figures["key"] = sha256Hex(bytes).left(16);
        break;
    case Tamper::MetadataSha:
        figures["sha256"] = QString(64, QLatin1Char('0'));
        break;
    case Tamper::Figure: {
        QJsonObject summary = figures["summary"].toObject();
        summary["status"] = QStringLiteral("OK");
        figures["summary"] = summary;
        break;
    }
    }
    return pdfattach::attach(pdf, {got.fileName, bytes, got.mimeType,
                                   QJsonDocument(figures).toJson(QJsonDocument::Compact)})
        .pdf;
}

} // namespace

class TestReport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        datetext::localeChanged();
    }

    void reportOfARunBeyondItsLimits()
    {
        OutputDir dir;
        const auto doc = run();
        const QString path = dir.filePath(QStringLiteral("report.pdf"));
        QString error;
        QVERIFY2(report::writeReport(*doc, path, kMade, &error), qPrintable(error));

        const QList<QStringList> pages = pdfPages(path);
        QCOMPARE(pages.size(), 3);
        const QStringList &first = pages[0];
        for (const QString &line :
             {appinfo::title(), "Report made: " + analysis::momentText(kMade), QString("ALARM"),
              QString("Serial number: 0045"), QString("Location: Cold Store 2"),
              "Model: " + model::label(model::kRV110), QString("Readings: 6 (1 invalid)"),
              "First reading: " + at(0), "Last reading: " + at(50), QString("Duration: 00:50:00"),
              QString("Interval: 00:10:00"), "Maximum: 27.5 at " + at(20),
              "Minimum: 1.0 at " + at(50), QString("Mean: 19.7"),
              "High limit: 25.0; 1 event(s), 00:20:00 beyond, first at " + at(10) +
                  ", longest 00:20:00; alarm",
              "Failed: 1 reading, the first at " + at(30) +
                  "; the longest run 1 reading (00:10:00) from " + at(30),
              QString("Excursions: 2 (the first 2 listed)"),
              "Temperature high " + at(10) + " " + at(20) + " 00:20:00 27.5 °C",
              "Temperature low " + at(50) + " " + at(50) + " 00:10:00 1.0 °C",
              QString("Status: ALARM"), "SHA-256: " + sha256Hex(doc->fileBytes()),
              report::kNotStoredLine.simplified(),
              report::kNoKeyLine.arg(sha256Hex(doc->fileBytes()).left(16)).simplified(),
              QString("Judged under: Temperature high 25.0 °C, low 2.0 °C; delay 0 min, single"),
              report::kNoSignatures.simplified()})
            QVERIFY2(first.contains(line), qPrintable(line + "\n--\n" + first.join('\n')));
        QVERIFY(first.filter(QRegularExpression("^Made by: .+ on .+, " +
                                                QRegularExpression::escape(analysis::momentText(kMade)) +
                                                " UTC[+-]\\d\\d:\\d\\d$")).size() == 1);

        // The run's exact bytes ride along, as any PDF tool lists them.
        const QString listed = printtest::run(QStringLiteral("qpdf"), {"--list-attachments", path});
        QVERIFY2(listed.contains("run-" + sha256Hex(doc->fileBytes()).left(16) + ".brv2"),
                 qPrintable(listed));
        const pdfattach::Extracted attached = pdfattach::extractFile(path);
        QCOMPARE(attached.bytes, doc->fileBytes());
        QCOMPARE(attached.mimeType, brv2::kMimeType);

        // The graph lies across its page, with the limits drawn in their own colours.
        QVERIFY(pdfPageWidth(path, 2) > pdfPageWidth(path, 1));
        const QImage graph = renderPage(path, 100, 2);
        QVERIFY(pixelsOf(graph, printout::GraphPrintout::kHighLimitColour) > 0);
        QVERIFY(pixelsOf(graph, printout::GraphPrintout::kLowLimitColour) > 0);

        // The listing marks the readings beyond a limit, and only those.
        const QStringList listing = pages[2].filter(at(0).section(' ', 0, 0));
        QCOMPARE(listing.size(), 6);
        const QStringList marks{"", "> high", "> high", "", "", "< low"};
        for (int i = 0; i < listing.size(); ++i)
            QVERIFY2(marks[i].isEmpty() ? !listing[i].contains('>') && !listing[i].contains('<')
                                        : listing[i].endsWith(marks[i]),
                     qPrintable(listing[i]));
    }

    // A report verifies on its own; altered in any way it is refused, naming what differs.
    void verify_data()
    {
        QTest::addColumn<int>("how");
        QTest::addColumn<QString>("says");
        QTest::newRow("untouched") << int(Tamper::None) << "verified: run ";
        QTest::newRow("attachment's bytes") << int(Tamper::Bytes)
                                            << report::kShaMismatch.section('%', 0, 0);
        QTest::newRow("figure in the metadata")
            << int(Tamper::Figure) << report::kFigureMismatch.section('%', 0, 0) + "summary.status ";
        QTest::newRow("metadata's sha256") << int(Tamper::MetadataSha)
                                           << report::kShaMismatch.section('%', 0, 0);
        QTest::newRow("bytes and sha256 together") << int(Tamper::BytesAndSha)
                                                   << report::kKeyMismatch.section('%', 0, 0);
        QTest::newRow("bytes, sha256 and key forged together")
            << int(Tamper::Forged)
            << report::kFigureMismatch.section('%', 0, 0) + "summary.sensors.temperature.";
        QTest::newRow("no attachment") << int(Tamper::NoAttachment) << pdfattach::kNoAttachment;
        QTest::newRow("not a PDF") << int(Tamper::NotPdf) << pdfattach::kNotPdf;
    }
    void verify()
    {
        QFETCH(int, how);
        QFETCH(QString, says);
        static QByteArray written; // one report for every row
        OutputDir dir;
        if (written.isEmpty()) {
            const auto doc = run();
            QVERIFY(report::writeReport(*doc, report::recordOf(*doc, kMade, nullptr),
                                        dir.filePath("r.pdf"), nullptr, &written));
        }
        const QString path = dir.filePath("altered.pdf");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(tampered(written, Tamper(how)));
        f.close();
        const report::Verification v = report::verifyReport(path, nullptr);
        QVERIFY2(v.line.startsWith(says), qPrintable(v.line));
        QCOMPARE(v.ok, Tamper(how) == Tamper::None);
    }

    // The trail's word on a file written: recorded when the archive takes it; otherwise the
    // user hears it once, and again only after an event was recorded in between.
    void eventNotRecordedIsToldOnce()
    {
        OutputDir dir;
        archive::ArchiveDb away(archive::locationFrom("host=" + dir.filePath("no-server") +
                                                      " dbname=none connect_timeout=1"));
        archive::ArchiveDb here(archive::locationFrom(dir.filePath("archive")));
        report::OutputTrail trail;
        const QJsonObject details = report::reportDetails("pdf", "r.pdf", QString(64, '0'));
        const struct
        {
            archive::ArchiveDb *db;
            bool told;
        } steps[] = {{&away, true}, {&away, false}, {&here, false}, {&away, true}};
        for (const auto &step : steps) {
            const QString note = trail.written(*step.db, archive::action::kReport, QString(64, '0'),
                                               details);
            QCOMPARE(note.startsWith(report::kEventNotRecorded.section('%', 0, 0)), step.told);
            QCOMPARE(note.isEmpty(), !step.told);
        }
        archive::AuditFilter reports;
        reports.action = archive::action::kReport;
        const auto recorded = here.events(reports);
        QVERIFY(recorded && recorded->size() == 1);
        QCOMPARE(recorded->first().details, details);
        QCOMPARE(recorded->first().run, QString()); // no run of that hash is in the archive
    }

    // The window's command: where to write, then the desktop's viewer or a word where it is.
    void command_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("viewerOpens");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<bool>("written");
        QTest::addColumn<QString>("told");
        QTest::addColumn<bool>("empty"); // a run without readings
        QTest::newRow("cancelled") << "" << true << int(report::Outcome::Cancelled) << false << ""
                                   << false;
        QTest::newRow("opened") << "r.pdf" << true << int(report::Outcome::Opened) << true << ""
                                << false;
        QTest::newRow("no viewer: says where") << "r" << false
                                               << int(report::Outcome::NotOpened) << true
                                               << report::kReportWritten << false;
        QTest::newRow("unwritable folder") << "missing/r.pdf" << true
                                           << int(report::Outcome::NotWritten) << false
                                           << msg::kSaveFailed << false;
        QTest::newRow("no readings: no report") << "r.pdf" << true
                                                << int(report::Outcome::NothingToReport) << false
                                                << report::kNothingToReport << true;
    }
    void command()
    {
        QFETCH(QString, answer);
        QFETCH(bool, viewerOpens);
        QFETCH(int, outcome);
        QFETCH(bool, written);
        QFETCH(QString, told);
        QFETCH(bool, empty);
        QTemporaryDir dir;
        const QString path = answer.isEmpty() ? QString() : dir.filePath(answer);
        const QString pdf = path.endsWith(".pdf") ? path : path + ".pdf";
        ScriptedPrompter prompter;
        prompter.fileAnswers = {path};
        QStringList opened;
        const auto open = [&](const QString &p) {
            opened << p;
            return viewerOpens;
        };
        const auto doc = empty ? std::make_unique<RunDocument>() : run();
        QCOMPARE(int(report::reportToPdf(*doc, prompter, open, kMade)), outcome);
        QCOMPARE(QFile::exists(pdf), written);
        // Nothing writes a report of a run without readings.
        if (empty)
            QVERIFY(!report::writeReport(*doc, pdf, kMade) && !QFile::exists(pdf));
        QCOMPARE(opened, written ? QStringList{pdf} : QStringList{});
        const QStringList messages = prompter.messages();
        QCOMPARE(messages.size(), told.isEmpty() ? 0 : 1);
        if (!told.isEmpty())
            QVERIFY2(messages[0].startsWith(told.section('%', 0, 0)), qPrintable(messages[0]));
        if (outcome == int(report::Outcome::NotOpened))
            QVERIFY(messages[0].contains(pdf));
    }
};

QTEST_MAIN(TestReport)
#include "test_report.moc"
