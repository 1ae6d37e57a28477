// The printed listing, printed to PDF and read back with pdftotext: column layouts per model
// family, the three selections, page overflow and a device that cannot print.

#include "output/data_printout.h"
#include "output/graph_printout.h"
#include "output/print_inputs.h"
#include "output/print_surface.h"
#include "print_test_support.h"

#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

using namespace printtest;
using printout::PrintInputs;
using printout::PrintResult;
using printout::Selection;

namespace {

const QDateTime kDay1(QDate(2024, 3, 14), QTime(0, 0));

QString number(int row)
{
    return QStringLiteral("%1").arg(row, 3, 10, QLatin1Char('0'));
}

// The leading part of a reading line as the listing shows it after blanks are collapsed:
// number glued to the date, then the time.
QString lineStart(int row, const QDateTime &at)
{
    return number(row) + datetext::dateText(at.date()) + QLatin1Char(' ')
           + datetext::timeText(at.time());
}

// The reading lines of a printout: those that start with a three-digit number.
QStringList readingLines(const QStringList &lines)
{
    static const QRegularExpression re(QStringLiteral("^\\d{3}"));
    QStringList out;
    for (const QString &l : lines)
        if (re.match(l).hasMatch())
            out << l;
    return out;
}

} // namespace

class TestPrintListing : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void layout_data();
    void layout();
    void range_data();
    void range();
    void activeSheet_data();
    void activeSheet();
    void headerTexts_data();
    void headerTexts();
    void longTitlesStayOnThePaper_data();
    void longTitlesStayOnThePaper();
    void linesContinueOnFollowingPages();
    void unwritableOutputIsReported();

private:
    QString print(const ReadingSet &set, const PrintInputs &in, PrintResult *result = nullptr);
    OutputDir m_dir;
    int m_count = 0;
};

void TestPrintListing::initTestCase()
{
    // Dates with slashes keep the expected lines readable; the listing copies the table's
    // texts whatever the locale.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    datetext::localeChanged();
    QVERIFY(m_dir.isValid());
}

QString TestPrintListing::print(const ReadingSet &set, const PrintInputs &in, PrintResult *result)
{
    const QString path = m_dir.filePath(QStringLiteral("listing%1.pdf").arg(++m_count));
    auto printer = pdfPrinter(path);
    const PrintResult r = printout::Data_prnt(*printer, set, in);
    if (result)
        *result = r;
    return path;
}

void TestPrintListing::layout_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<bool>("celsius");
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<QStringList>("humidity");
    QTest::addColumn<QString>("heading"); // with its blanks, which the PDF's text collapses
    QTest::addColumn<QStringList>("printedValues");

    // Values as the table holds them; the listing reformats them with its own patterns and
    // leaves "***" alone.
    QTest::newRow("temperature degC") << 1 << true
                                      << QStringList{"23.45", "***", "-5.25", "7.0"}
                                      << QStringList{} << " Sl.No     Date      Time Temp(°C)"
                                      << QStringList{"23.5", "***", "-05.3", "07.0"};
    QTest::newRow("temperature degF") << 8 << false
                                      << QStringList{"74.12", "32.00", "-0.04", "100.95"}
                                      << QStringList{} << " Sl.No     Date      Time Temp(°F)"
                                      << QStringList{"74.1", "32.0", "-00.0", "101.0"};
    QTest::newRow("humidity, five columns")
        << 2 << true << QStringList{"21.3", "21.4", "***", "20.0"}
        << QStringList{"45.6", "***", "50.0", "9.95"} << " Sl.No     Date      Time Temp(°C)   RH (%)"
        << QStringList{"21.3 45.6", "21.4 ***", "*** 50.0", "20.0 10.0"};
    QTest::newRow("humidity model 6 degF")
        << 6 << false << QStringList{"70.34", "71.00", "69.99", "70.05"}
        << QStringList{"40.0", "41.5", "42.25", "43.0"}
        << " Sl.No     Date      Time Temp(°F)   RH (%)"
        << QStringList{"70.3 40.0", "71.0 41.5", "70.0 42.3", "70.1 43.0"};
    QTest::newRow("voltage, three decimals")
        << 3 << true << QStringList{"3.6", "0.0125", "***", "12.3456"} << QStringList{}
        << " Sl.No     Date      Time Volt (V)" << QStringList{"3.600", "0.013", "***", "12.346"};
    QTest::newRow("co2, whole ppm") << 32 << true << QStringList{"450", "1999", "***", "0"}
                                    << QStringList{} << " Sl.No     Date      Time CO2(PPM)"
                                    << QStringList{"450", "1999", "***", "0"};
}

void TestPrintListing::layout()
{
    QFETCH(int, model);
    QFETCH(bool, celsius);
    QFETCH(QStringList, values);
    QFETCH(QStringList, humidity);
    QFETCH(QString, heading);
    QFETCH(QStringList, printedValues);

    const auto readings = series(kDay1.addSecs(9 * 3600), int(values.size()), 30,
                                 [&](int i) { return values[i]; },
                                 [&](int i) { return humidity.value(i); });
    const auto set = makeSet(model, readings, celsius);
    PrintInputs in;
    in.title = QStringLiteral("Warehouse March");
    PrintResult result = PrintResult::Failed;
    const QStringList lines = pdfLines(print(*set, in, &result));
    QCOMPARE(result, PrintResult::Printed);

    // Title, then the logger's header, then the headings, then one line per reading.
    const QStringList expectedHead{"Warehouse March", "Serial No.: 0045 06 05 13",
                                   "Location.: Cold Store 2", heading.simplified()};
    QCOMPARE(lines.mid(0, 4), expectedHead);
    QStringList expected;
    for (int i = 0; i < readings.size(); ++i)
        expected << lineStart(i + 1, readings[i].at) + QLatin1Char(' ') + printedValues[i];
    QCOMPARE(lines.mid(4), expected);

    // The lines as printed, blanks and all: a leading blank, the number glued to the date.
    const auto device = pdfPrinter(m_dir.filePath(QStringLiteral("unprinted.pdf")));
    PrintSurface surface(*device);
    const printout::DataPrintout listing(surface, *set, in);
    QCOMPARE(listing.headingLine(), heading);
    for (int i = 0; i < readings.size(); ++i)
        QCOMPARE(listing.readingLine(i + 1), QLatin1Char(' ') + expected[i]);
}

void TestPrintListing::range_data()
{
    QTest::addColumn<int>("startDay");
    QTest::addColumn<QString>("startTime");
    QTest::addColumn<int>("endDay");
    QTest::addColumn<QString>("endTime");
    QTest::addColumn<QList<int>>("days"); // days listed, 0-based
    QTest::addColumn<int>("fromHour");    // the daily window listed, both ends included
    QTest::addColumn<int>("toHour");

    QTest::newRow("one day 10:00-12:00") << 1 << "10:00:00" << 1 << "12:00:00" << QList<int>{1}
                                         << 10 << 12;
    QTest::newRow("10:00 to 09:00 a later day: nothing")
        << 0 << "10:00:00" << 2 << "09:00:00" << QList<int>{} << 0 << -1;
    QTest::newRow("08:00-17:00 over three days")
        << 0 << "08:00:00" << 2 << "17:00:00" << QList<int>{0, 1, 2} << 8 << 17;
    QTest::newRow("typed without seconds: 10:00-12:00")
        << 1 << "10:00" << 1 << " 12:00 " << QList<int>{1} << 10 << 12;
}

void TestPrintListing::range()
{
    QFETCH(int, startDay);
    QFETCH(QString, startTime);
    QFETCH(int, endDay);
    QFETCH(QString, endTime);
    QFETCH(QList<int>, days);
    QFETCH(int, fromHour);
    QFETCH(int, toHour);

    // Hourly readings over three days, row 1 at midnight of the first day.
    const auto readings = series(kDay1, 72, 60, [](int i) { return QString::number(10 + i % 7); });
    const auto set = makeSet(1, readings);
    PrintInputs in;
    in.selection = Selection::Range;
    in.startDate = kDay1.date().addDays(startDay);
    in.endDate = kDay1.date().addDays(endDay);
    in.startTime = startTime;
    in.endTime = endTime;
    const QStringList lines = pdfLines(print(*set, in));

    QStringList expected;
    for (int day : days)
        for (int h = fromHour; h <= toHour; ++h) {
            const int row = day * 24 + h + 1;
            expected << lineStart(row, readings[row - 1].at) + QLatin1Char(' ')
                            + QString::number(10 + (row - 1) % 7) + QStringLiteral(".0");
        }
    QCOMPARE(readingLines(lines), expected);
    // The header and the headings come in any case, and nothing follows them but readings.
    QCOMPARE(lines.mid(0, 3), (QStringList{"Serial No.: 0045 06 05 13", "Location.: Cold Store 2",
                                            "Sl.No Date Time Temp(°C)"}));
    QCOMPARE(lines.size(), 3 + expected.size());
}

void TestPrintListing::activeSheet_data()
{
    QTest::addColumn<int>("topRow");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");

    QTest::newRow("row 40 at the top") << 40 << 40 << 57;
    QTest::newRow("fewer than 18 rows left") << 50 << 50 << 60;
    QTest::newRow("last row at the top") << 60 << 60 << 60;
    QTest::newRow("view at the first row") << 1 << 1 << 18;
}

void TestPrintListing::activeSheet()
{
    QFETCH(int, topRow);
    QFETCH(int, first);
    QFETCH(int, last);

    const auto readings = series(kDay1, 60, 10, [](int i) { return QString::number(i % 30); });
    const auto set = makeSet(1, readings);
    PrintInputs in;
    in.selection = Selection::ActiveSheet;
    in.topRow = topRow;
    const QStringList got = readingLines(pdfLines(print(*set, in)));
    QStringList expected;
    for (int r = first; r <= last; ++r)
        expected << lineStart(r, readings[r - 1].at) + QLatin1Char(' ')
                        + QStringLiteral("%1.0").arg((r - 1) % 30, 2, 10, QLatin1Char('0'));
    QCOMPARE(got, expected);
}

void TestPrintListing::headerTexts_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("location");

    // Accented Latin is laid out by the listing itself; other scripts go through the shaper.
    QTest::newRow("plain") << "March" << "Cold Store 2";
    QTest::newRow("accented") << "Kühlhaus März, Öl & Säure" << "Lagerhalle Süd";
    QTest::newRow("other scripts") << "Склад № 3 — неделя 11" << "Холодильник";
    QTest::newRow("empty title") << "" << "Dock 4";
}

void TestPrintListing::headerTexts()
{
    QFETCH(QString, title);
    QFETCH(QString, location);

    const auto set = makeSet(1, series(kDay1, 2, 10, [](int) { return QStringLiteral("20.0"); }));
    set->setLocationText(location.leftJustified(16));
    PrintInputs in;
    in.title = title;
    const QStringList lines = pdfLines(print(*set, in));
    QStringList expected;
    if (!title.isEmpty())
        expected << simple(title);
    expected << "Serial No.: 0045 06 05 13" << "Location.: " + simple(location);
    QCOMPARE(lines.mid(0, expected.size()), expected);
}

void TestPrintListing::longTitlesStayOnThePaper_data()
{
    QTest::addColumn<bool>("graph");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("whole"); // printed smaller but whole; otherwise cut with an ellipsis

    const QString longer =
        QStringLiteral("Cold store week 11 of the second warehouse at the northern harbour");
    const QString endless = QStringLiteral("Freezer room B readings ").repeated(12);
    QTest::newRow("listing: smaller") << false << longer << true;
    QTest::newRow("listing: cut") << false << endless << false;
    QTest::newRow("graph: smaller")
        << true << longer + QStringLiteral(", freezer room B, after the compressor repair") << true;
    QTest::newRow("graph: cut") << true << endless << false;
}

void TestPrintListing::longTitlesStayOnThePaper()
{
    QFETCH(bool, graph);
    QFETCH(QString, title);
    QFETCH(bool, whole);

    const auto set = makeSet(1, series(kDay1, 3, 10, [](int) { return QStringLiteral("20.0"); }));
    PrintInputs in;
    in.title = title;
    const QString path = m_dir.filePath(QStringLiteral("title%1.pdf").arg(++m_count));
    auto printer = pdfPrinter(path);
    QCOMPARE(graph ? printout::Graph_Prnt(*printer, *set, in) : printout::Data_prnt(*printer, *set, in),
             PrintResult::Printed);

    const QString line = fittedTitle(path);
    if (whole) {
        QCOMPARE(line, simple(title));
    } else {
        QVERIFY2(line.startsWith(QStringLiteral("Freezer room B readings Freezer")), qPrintable(line));
        QVERIFY2(line.endsWith(QChar(0x2026)), qPrintable(line));
    }
}

void TestPrintListing::linesContinueOnFollowingPages()
{
    const int n = 200;
    const auto readings = series(kDay1, n, 15, [](int i) { return QString::number(i % 40); });
    const auto set = makeSet(1, readings);
    PrintInputs in;
    in.title = QStringLiteral("Long run");
    const QList<QStringList> pages = pdfPages(print(*set, in));
    QVERIFY2(pages.size() >= 3, qPrintable(QString::number(pages.size())));

    // Every reading once, in order, across the pages.
    QStringList all;
    for (const QStringList &p : pages)
        all << readingLines(p);
    QCOMPARE(all.size(), n);
    for (int r = 1; r <= n; ++r)
        QVERIFY2(all[r - 1].startsWith(lineStart(r, readings[r - 1].at)), qPrintable(all[r - 1]));

    // Following pages hold reading lines only: no title, header or headings again, no page
    // numbers.
    for (int p = 1; p < pages.size(); ++p) {
        QVERIFY(!pages[p].isEmpty());
        QCOMPARE(readingLines(pages[p]), pages[p]);
    }
    // The first page is filled before the next one starts.
    QVERIFY(readingLines(pages[0]).size() > 40);
}

void TestPrintListing::unwritableOutputIsReported()
{
    const auto set = makeSet(1, series(kDay1, 3, 10, [](int) { return QStringLiteral("20.0"); }));
    auto printer = pdfPrinter(m_dir.filePath(QStringLiteral("no/such/folder/listing.pdf")));
    QCOMPARE(printout::Data_prnt(*printer, *set, PrintInputs{}), PrintResult::NotStarted);
}

QTEST_MAIN(TestPrintListing)
#include "test_print_listing.moc"
