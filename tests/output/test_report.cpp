// The report: written to PDF and read back with poppler's tools.

#include "analysis/summary_output.h"
#include "common/app_info.h"
#include "common/messages.h"
#include "common/model_codes.h"
#include "output/graph_printout.h"
#include "output/report.h"
#include "print_test_support.h"
#include "run/run_document.h"

#include "common/prompter.h"

#include <QFile>
#include <QLocale>
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
              QString("Excursions: 2 (the first 2 listed)"),
              "Temperature high " + at(10) + " " + at(20) + " 00:20:00 27.5 °C",
              "Temperature low " + at(50) + " " + at(50) + " 00:10:00 1.0 °C",
              QString("Status: ALARM")})
            QVERIFY2(first.contains(line), qPrintable(line + "\n--\n" + first.join('\n')));

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

    // The window's command: where to write, then the desktop's viewer or a word where it is.
    void command_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("viewerOpens");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<bool>("written");
        QTest::addColumn<QString>("told");
        QTest::newRow("cancelled") << "" << true << int(report::Outcome::Cancelled) << false << "";
        QTest::newRow("opened") << "r.pdf" << true << int(report::Outcome::Opened) << true << "";
        QTest::newRow("no viewer: says where") << "r" << false
                                               << int(report::Outcome::NotOpened) << true
                                               << report::kReportWritten;
        QTest::newRow("unwritable folder") << "missing/r.pdf" << true
                                           << int(report::Outcome::NotWritten) << false
                                           << msg::kSaveFailed;
    }
    void command()
    {
        QFETCH(QString, answer);
        QFETCH(bool, viewerOpens);
        QFETCH(int, outcome);
        QFETCH(bool, written);
        QFETCH(QString, told);
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
        QCOMPARE(int(report::reportToPdf(*run(), prompter, open, kMade)), outcome);
        QCOMPARE(QFile::exists(pdf), written);
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
