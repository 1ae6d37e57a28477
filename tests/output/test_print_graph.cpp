// The printed graph, printed to PDF and read back with poppler: the page rendered without
// smoothing for the grid and the traces, pdftotext -bbox for the texts and where they stand.

#include "common/messages.h"
#include "output/graph_printout.h"
#include "output/print_inputs.h"
#include "output/print_surface.h"
#include "output/trace_batch.h"
#include "print_test_support.h"

#include <QLocale>
#include <QTest>

#include <algorithm>
#include <cmath>

using namespace printtest;
using printout::PrintInputs;
using printout::PrintResult;
using printout::Selection;

namespace {

const QDateTime kStart(QDate(2024, 3, 14), QTime(9, 0));
constexpr int kDpi = 150;
const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);
const QColor kWhite(255, 255, 255);

// A point of the grid: fx from its left (0) to its right edge (1), fy from its bottom (0) to
// its top (1).
struct Probe
{
    double fx;
    double fy;
};

// The grid as found on the rendered page: the black lines that run across most of it.
struct Grid
{
    QList<int> rows; // y of the horizontal lines, top to bottom
    QList<int> cols; // x of the vertical lines, left to right
    int left() const { return cols.front(); }
    int right() const { return cols.back(); }
    int top() const { return rows.front(); }
    int bottom() const { return rows.back(); }
    QPoint at(Probe p) const
    {
        return QPoint(qRound(left() + p.fx * (right() - left())),
                      qRound(bottom() - p.fy * (bottom() - top())));
    }
};

// Grid lines are black; a trace drawn along one hides it under red or blue.
bool isLineInk(QRgb c)
{
    const bool black = qRed(c) < 80 && qGreen(c) < 80 && qBlue(c) < 80;
    return black || c == kRed.rgb() || c == kBlue.rgb();
}

// Centres of the runs of neighbouring lines that pass the test.
QList<int> centres(int count, const std::function<bool(int)> &isLine)
{
    QList<int> out;
    for (int i = 0; i < count;) {
        if (!isLine(i)) {
            ++i;
            continue;
        }
        int j = i;
        while (j < count && isLine(j))
            ++j;
        out << (i + j - 1) / 2;
        i = j;
    }
    return out;
}

// The lines that run across most of the page: a trace crossing a grid line breaks its run of
// black, so the ink of a whole row or column is counted.
Grid findGrid(const QImage &img)
{
    Grid g;
    g.rows = centres(img.height(), [&](int y) {
        int ink = 0;
        for (int x = 0; x < img.width(); ++x)
            ink += isLineInk(img.pixel(x, y));
        return ink > img.width() * 4 / 10;
    });
    g.cols = centres(img.width(), [&](int x) {
        int ink = 0;
        for (int y = 0; y < img.height(); ++y)
            ink += isLineInk(img.pixel(x, y));
        return ink > img.height() * 4 / 10;
    });
    return g;
}

bool hasColour(const QImage &img, const QRect &area, const QColor &c)
{
    const QRect r = area.intersected(img.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (img.pixelColor(x, y) == c)
                return true;
    return false;
}

bool colourNear(const QImage &img, QPoint p, const QColor &c = kRed, int tolerance = 3)
{
    return hasColour(img, QRect(p - QPoint(tolerance, tolerance), QSize(2, 2) * tolerance + QSize(1, 1)),
                     c);
}

QString describe(const Grid &g)
{
    return QStringLiteral("grid %1 x %2 lines, box %3,%4 - %5,%6")
        .arg(g.cols.size())
        .arg(g.rows.size())
        .arg(g.cols.value(0))
        .arg(g.rows.value(0))
        .arg(g.cols.value(g.cols.size() - 1))
        .arg(g.rows.value(g.rows.size() - 1));
}

// Words of the page inside a box given in rendered pixels.
QStringList wordsIn(const QList<Word> &words, const QRectF &pixels)
{
    const double k = 72.0 / kDpi;
    const QRectF box(pixels.topLeft() * k, pixels.bottomRight() * k);
    QList<Word> in;
    for (const Word &w : words)
        if (box.contains(w.box.center()))
            in << w;
    std::sort(in.begin(), in.end(), [](const Word &a, const Word &b) {
        return qFuzzyCompare(a.box.top(), b.box.top()) ? a.box.left() < b.box.left()
                                                        : a.box.top() < b.box.top();
    });
    QStringList out;
    for (const Word &w : in)
        out << w.text;
    return out;
}

QStringList numbers(double from, double to, int steps)
{
    QStringList out;
    for (int j = 0; j <= steps; ++j)
        out << QString::number(from - j * (from - to) / steps, 'f', 1);
    return out;
}

} // namespace

Q_DECLARE_METATYPE(Probe)
Q_DECLARE_METATYPE(printout::Selection)

class TestPrintGraph : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void pageAndGrid();
    void traces_data();
    void traces();
    void rangeTypedWithoutSeconds();
    void humidityMarkersOpenValueMarkersFilled();
    void scalesAndCaptions_data();
    void scalesAndCaptions();
    void timeLabelsEvenlySpacedInTime_data();
    void timeLabelsEvenlySpacedInTime();
    void headerAndLegend_data();
    void headerAndLegend();
    void denseTracesAreTheSamePicture();

private:
    QString print(const ReadingSet &set, const PrintInputs &in);
    OutputDir m_dir;
    int m_count = 0;
};

void TestPrintGraph::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    datetext::localeChanged();
    QVERIFY(m_dir.isValid());
}

QString TestPrintGraph::print(const ReadingSet &set, const PrintInputs &in)
{
    const QString path = m_dir.filePath(QStringLiteral("graph%1.pdf").arg(++m_count));
    auto printer = pdfPrinter(path);
    // Whatever the page setup was, the graph goes on landscape paper.
    printer->setPageOrientation(QPageLayout::Portrait);
    const PrintResult r = printout::Graph_Prnt(*printer, set, in);
    if (r != PrintResult::Printed)
        qWarning("printout failed");
    return path;
}

void TestPrintGraph::pageAndGrid()
{
    const auto set = makeSet(1, series(kStart, 11, 60, [](int i) { return QString::number(20 + i % 3); }));
    const QImage img = renderPage(print(*set, PrintInputs{}), kDpi);
    QVERIFY(!img.isNull());
    // Landscape A4.
    QVERIFY(img.width() > img.height());
    QVERIFY(qAbs(double(img.width()) / img.height() - 297.0 / 210.0) < 0.01);

    // Ten by ten cells of equal size: eleven lines each way, evenly spaced.
    const Grid g = findGrid(img);
    QCOMPARE(g.rows.size(), 11);
    QCOMPARE(g.cols.size(), 11);
    for (int j = 1; j <= 10; ++j) {
        QVERIFY(qAbs((g.cols[j] - g.cols[j - 1]) - (g.right() - g.left()) / 10.0) <= 1.5);
        QVERIFY(qAbs((g.rows[j] - g.rows[j - 1]) - (g.bottom() - g.top()) / 10.0) <= 1.5);
    }
    // Centred across the page; more room above it (title, header, legend) than below it
    // (time labels).
    QVERIFY2(qAbs(g.left() - (img.width() - 1 - g.right())) <= 3, qPrintable(describe(g)));
    QVERIFY2(g.top() > img.height() - g.bottom(), qPrintable(describe(g)));
}

void TestPrintGraph::traces_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<Selection>("selection");
    QTest::addColumn<int>("startRow"); // range bounds as the dialog's lists would hold them
    QTest::addColumn<int>("endRow");
    QTest::addColumn<QList<Probe>>("red");   // where the value trace must be
    QTest::addColumn<QList<double>>("clear"); // x fractions whose whole column holds no red

    // Scales: one unit beyond the rounded extremes, so 20 and 24 span 19 to 25.
    QTest::newRow("two readings edge to edge")
        << 1 << QStringList{"20.0", "24.0"} << Selection::All << 0 << 0
        << QList<Probe>{{0, 1 / 6.0}, {1, 5 / 6.0}, {0.5, 0.5}} << QList<double>{};
    QTest::newRow("a gap at ***")
        << 1 << QStringList{"20.0", "22.0", "***", "22.0", "20.0"} << Selection::All << 0 << 0
        << QList<Probe>{{0, 0.25}, {0.125, 0.5}, {0.25, 0.75}, {0.75, 0.75}, {1, 0.25}}
        << QList<double>{0.32, 0.4, 0.5, 0.6, 0.68};
    QTest::newRow("equal readings: 21 down to 19")
        << 1 << QStringList{"20.4", "20.4", "20.4", "20.4"} << Selection::All << 0 << 0
        << QList<Probe>{{0, 0.7}, {0.5, 0.7}, {1, 0.7}} << QList<double>{};
    QTest::newRow("voltage") << 3 << QStringList{"3.0", "5.0", "4.0"} << Selection::All << 0 << 0
                             << QList<Probe>{{0, 0.25}, {0.5, 0.75}, {1, 0.5}}
                             << QList<double>{};
    QTest::newRow("co2") << 32 << QStringList{"400", "1000", "700"} << Selection::All << 0 << 0
                         << QList<Probe>{{0, 1 / 602.0}, {0.5, 601 / 602.0}, {1, 0.5}}
                         << QList<double>{};
    QTest::newRow("one reading: no trace") << 1 << QStringList{"20.0"} << Selection::All << 0 << 0
                                           << QList<Probe>{} << QList<double>{0.0, 0.5, 1.0};

    // Rows 3 to 8 of ten readings 20, 21, ... : drawn edge to edge on their own scale, 21 to 28.
    QStringList rising;
    for (int i = 0; i < 10; ++i)
        rising << QString::number(20 + i) + QStringLiteral(".0");
    QTest::newRow("range rows 3 to 8") << 1 << rising << Selection::Range << 3 << 8
                                       << QList<Probe>{{0, 1 / 7.0}, {1, 6 / 7.0}, {0.4, 0.4 * 5 / 7 + 1 / 7.0}}
                                       << QList<double>{};
    QTest::newRow("range of three rows apart: drawn")
        << 1 << rising << Selection::Range << 4 << 7 << QList<Probe>{{0, 1 / 5.0}, {1, 4 / 5.0}}
        << QList<double>{};
    QTest::newRow("range of two rows apart: no trace")
        << 1 << rising << Selection::Range << 4 << 6 << QList<Probe>{}
        << QList<double>{0.0, 0.5, 1.0};
    QTest::newRow("range end before start: no trace")
        << 1 << rising << Selection::Range << 8 << 3 << QList<Probe>{}
        << QList<double>{0.0, 0.5, 1.0};
    QTest::newRow("range bound not in the table: nothing from the heading row")
        << 1 << rising << Selection::Range << -1 << 8 << QList<Probe>{}
        << QList<double>{0.0, 0.5, 1.0};
}

void TestPrintGraph::traces()
{
    QFETCH(int, model);
    QFETCH(QStringList, values);
    QFETCH(Selection, selection);
    QFETCH(int, startRow);
    QFETCH(int, endRow);
    QFETCH(QList<Probe>, red);
    QFETCH(QList<double>, clear);

    const auto readings = series(kStart, int(values.size()), 60, [&](int i) { return values[i]; });
    const auto set = makeSet(model, readings);
    PrintInputs in;
    in.selection = selection;
    if (selection == Selection::Range) {
        const auto bound = [&](int row, QDate *date, QString *time) {
            // -1: a time the table does not hold.
            const QDateTime at = row > 0 ? readings[row - 1].at : kStart.addSecs(30 * 60);
            *date = at.date();
            *time = datetext::timeText(at.time());
        };
        bound(startRow, &in.startDate, &in.startTime);
        bound(endRow, &in.endDate, &in.endTime);
    }
    const QString path = print(*set, in);
    const QImage img = renderPage(path, kDpi);
    const Grid g = findGrid(img);
    QVERIFY2(g.rows.size() == 11 && g.cols.size() == 11, qPrintable(describe(g)));

    for (const Probe &p : red)
        QVERIFY2(colourNear(img, g.at(p)), qPrintable(QStringLiteral("no trace at %1, %2").arg(p.fx).arg(p.fy)));
    for (double fx : clear) {
        const int x = g.at({fx, 0}).x();
        QVERIFY2(!hasColour(img, QRect(x - 3, g.top() - 5, 7, g.bottom() - g.top() + 11), kRed),
                 qPrintable(QStringLiteral("trace at %1").arg(fx)));
    }
    // Nothing of the trace outside the grid (the legend stands above it).
    QVERIFY(!hasColour(img, QRect(0, g.bottom() + 12, img.width(), img.height()), kRed));

    const bool notFound = startRow < 0 || endRow < startRow;
    QCOMPARE(pdfLines(path).join(' ').contains(msg::kNoReadingInRange), notFound);
}

// Bounds typed by hand without seconds find the readings of those minutes.
void TestPrintGraph::rangeTypedWithoutSeconds()
{
    const auto readings = series(kStart, 10, 60, [](int i) { return QString::number(20 + i); });
    const auto set = makeSet(1, readings);
    PrintInputs in;
    in.selection = Selection::Range;
    in.startDate = readings[2].at.date();
    in.startTime = readings[2].at.time().toString(QStringLiteral("HH:mm"));
    in.endDate = readings[7].at.date();
    in.endTime = readings[7].at.time().toString(QStringLiteral("HH:mm"));
    const QString path = print(*set, in);
    QVERIFY(!pdfLines(path).join(' ').contains(msg::kNoReadingInRange));
    const QImage img = renderPage(path, kDpi);
    const Grid g = findGrid(img);
    QVERIFY2(g.rows.size() == 11, qPrintable(describe(g)));
    // Rows 3 to 8 (22 to 27) drawn edge to edge on 21 to 28.
    QVERIFY(colourNear(img, g.at({0, 1 / 7.0})));
    QVERIFY(colourNear(img, g.at({1, 6 / 7.0})));
}

void TestPrintGraph::humidityMarkersOpenValueMarkersFilled()
{
    // Temperatures 20 to 24 on 19..25; humidity 40, 50, 60, 50, 40 on 39..61.
    const QStringList t{"20.0", "21.0", "22.0", "23.0", "24.0"};
    const QStringList h{"40.0", "50.0", "60.0", "50.0", "40.0"};
    const auto set = makeSet(2, series(kStart, 5, 60, [&](int i) { return t[i]; },
                                       [&](int i) { return h[i]; }));
    PrintInputs in;
    in.markerRadius = 100;
    const QImage img = renderPage(print(*set, in), kDpi);
    const Grid g = findGrid(img);
    QVERIFY2(g.rows.size() == 11 && g.cols.size() == 11, qPrintable(describe(g)));

    for (int i = 0; i < 5; ++i) {
        const double fx = i / 4.0;
        QVERIFY(colourNear(img, g.at({fx, (t[i].toDouble() - 19) / 6})));
        QVERIFY(colourNear(img, g.at({fx, (h[i].toDouble() - 39) / 22}), kBlue));
    }

    // The first markers, looked at left of their centres where no trace line runs: the value
    // marker is a red disc, the humidity marker a blue ring with the paper showing inside.
    // The grid is 23/31 of the paper's width; the radius is in twips of the paper.
    const double radiusPx = 100.0 * (g.right() - g.left()) / (16838.0 * 23 / 31);
    QVERIFY(radiusPx > 6);
    const QPoint v0 = g.at({0, 1 / 6.0});
    const QPoint h0 = g.at({0, 1 / 22.0});
    const int inside = qRound(radiusPx / 2);
    QCOMPARE(img.pixelColor(v0 - QPoint(inside, 0)), kRed);
    QCOMPARE(img.pixelColor(h0 - QPoint(inside, 0)), kWhite);
    QVERIFY(colourNear(img, h0 - QPoint(qRound(radiusPx), 0), kBlue, 2));
}

void TestPrintGraph::scalesAndCaptions_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<bool>("celsius");
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<QStringList>("humidity");
    QTest::addColumn<QStringList>("left");  // value scale, top to bottom, then the unit caption
    QTest::addColumn<QStringList>("right"); // humidity scale and caption

    QTest::newRow("equal readings") << 1 << true << QStringList{"20.4", "20.4", "20.4"}
                                    << QStringList{} << numbers(21, 19, 10) + QStringList{"°C"}
                                    << QStringList{};
    QTest::newRow("degF") << 8 << false << QStringList{"68.0", "77.9"} << QStringList{}
                          << numbers(79, 67, 10) + QStringList{"°F"} << QStringList{};
    // 23.5 and 24.5 both round to 24 (halves to the even neighbour).
    QTest::newRow("humidity, two scales")
        << 6 << true << QStringList{"18.6", "23.4"} << QStringList{"23.5", "24.5"}
        << numbers(24, 18, 10) + QStringList{"°C"} << numbers(25, 23, 10) + QStringList{"%rh"};
}

void TestPrintGraph::scalesAndCaptions()
{
    QFETCH(int, model);
    QFETCH(bool, celsius);
    QFETCH(QStringList, values);
    QFETCH(QStringList, humidity);
    QFETCH(QStringList, left);
    QFETCH(QStringList, right);

    const auto set = makeSet(model, series(kStart, int(values.size()), 60,
                                           [&](int i) { return values[i]; },
                                           [&](int i) { return humidity.value(i); }),
                             celsius);
    const QString path = print(*set, PrintInputs{});
    const QImage img = renderPage(path, kDpi);
    const Grid g = findGrid(img);
    QVERIFY2(g.rows.size() == 11, qPrintable(describe(g)));
    const QList<Word> words = pdfWords(path);
    const int slack = (g.rows[1] - g.rows[0]) / 4;

    // Left of the grid and right of it, from the grid's top to its bottom.
    QStringList leftWords = wordsIn(words, QRectF(QPointF(0, g.top() - slack),
                                                  QPointF(g.left(), g.bottom() + slack)));
    QStringList rightWords = wordsIn(words, QRectF(QPointF(g.right(), g.top() - slack),
                                                   QPointF(img.width(), g.bottom() + slack)));
    // The captions stand at half height beside the sixth label; compare them apart.
    const auto caption = [](QStringList &list, const QStringList &expected) {
        if (expected.isEmpty())
            return;
        list.removeOne(expected.back());
    };
    QVERIFY2(leftWords.contains(left.back()), qPrintable(leftWords.join(' ')));
    caption(leftWords, left);
    QCOMPARE(leftWords, left.mid(0, 11));
    if (right.isEmpty()) {
        QVERIFY2(rightWords.isEmpty(), qPrintable(rightWords.join(' ')));
    } else {
        QVERIFY2(rightWords.contains(right.back()), qPrintable(rightWords.join(' ')));
        caption(rightWords, right);
        QCOMPARE(rightWords, right.mid(0, 11));
    }
}

void TestPrintGraph::timeLabelsEvenlySpacedInTime_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("minutes");
    QTest::addColumn<Selection>("selection");
    QTest::addColumn<int>("startRow");
    QTest::addColumn<int>("endRow");

    // 09:00 to 14:00 in steps of 50 minutes: the labels fall on the hours, not on readings.
    QTest::newRow("all") << 7 << 50 << Selection::All << 1 << 7;
    QTest::newRow("over midnight") << 9 << 180 << Selection::All << 1 << 9;
    QTest::newRow("range from the dialog") << 12 << 50 << Selection::Range << 3 << 9;
}

void TestPrintGraph::timeLabelsEvenlySpacedInTime()
{
    QFETCH(int, count);
    QFETCH(int, minutes);
    QFETCH(Selection, selection);
    QFETCH(int, startRow);
    QFETCH(int, endRow);

    const auto readings = series(kStart, count, minutes, [](int i) { return QString::number(i); });
    const auto set = makeSet(1, readings);
    PrintInputs in;
    in.selection = selection;
    const QDateTime t0 = readings[startRow - 1].at;
    const QDateTime t1 = readings[endRow - 1].at;
    in.startDate = t0.date();
    in.startTime = datetext::timeText(t0.time());
    in.endDate = t1.date();
    in.endTime = datetext::timeText(t1.time());
    const QString path = print(*set, in);
    const Grid g = findGrid(renderPage(path, kDpi));
    QVERIFY2(g.rows.size() == 11 && g.cols.size() == 11, qPrintable(describe(g)));
    const QList<Word> words = pdfWords(path);

    // Under the grid, left to right: six times, each with its date under it, under every
    // second grid line.
    QList<Word> times, dates;
    const double k = 72.0 / kDpi;
    for (const Word &w : words) {
        if (w.box.top() < g.bottom() * k)
            continue;
        if (datetext::parseTime(w.text).isValid())
            times << w;
        else if (datetext::parseDate(w.text).isValid())
            dates << w;
    }
    const auto byX = [](const Word &a, const Word &b) { return a.box.left() < b.box.left(); };
    std::sort(times.begin(), times.end(), byX);
    std::sort(dates.begin(), dates.end(), byX);
    QCOMPARE(times.size(), 6);
    QCOMPARE(dates.size(), 6);
    const qint64 span = t0.secsTo(t1);
    for (int j = 0; j <= 5; ++j) {
        const QDateTime tj = t0.addSecs(span * j / 5);
        QCOMPARE(times[j].text, datetext::timeText(tj.time()));
        QCOMPARE(dates[j].text, datetext::dateText(tj.date()));
        QVERIFY(dates[j].box.top() > times[j].box.bottom() - 1);
        // Starting a little left of its grid line.
        const double line = g.cols[2 * j] * k;
        QVERIFY2(times[j].box.left() < line && times[j].box.right() > line,
                 qPrintable(times[j].text));
    }
}

void TestPrintGraph::headerAndLegend_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<bool>("humidity"); // a two-line legend with the blue trace's sample

    QTest::newRow("temperature") << 7 << false;
    QTest::newRow("humidity 6, the legend of model 2") << 6 << true;
    QTest::newRow("co2") << 32 << false;
}

void TestPrintGraph::headerAndLegend()
{
    QFETCH(int, model);
    QFETCH(bool, humidity);

    const auto set = makeSet(model, series(kStart, 4, 60, [](int i) { return QString::number(i + 1); },
                                           [](int i) { return QString::number(40 + i); }));
    PrintInputs in;
    in.title = QStringLiteral("Cold store week 11");
    const QString path = print(*set, in);
    const QImage img = renderPage(path, kDpi);
    const Grid g = findGrid(img);
    QVERIFY2(g.rows.size() == 11, qPrintable(describe(g)));
    const QList<Word> words = pdfWords(path);

    // Above the grid: the title, then the logger's line.
    const QString text = wordsIn(words, QRectF(0, 0, img.width(), g.top())).join(' ');
    QVERIFY2(text.startsWith(QStringLiteral("Cold store week 11 ( Serial No. : 0045 06 05 13, "
                                            "Location : Cold Store 2 )")),
             qPrintable(text));

    // The logo's amber stands above the grid with its right edge on the grid's right edge.
    const QColor amber(0xF0, 0xA0, 0x30);
    int logoRight = -1, logoBottom = -1;
    for (int y = 0; y < g.top(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixelColor(x, y) == amber) {
                logoRight = std::max(logoRight, x);
                logoBottom = std::max(logoBottom, y);
            }
    QVERIFY2(qAbs(logoRight - g.right()) <= 4, qPrintable(QString::number(logoRight)));
    QVERIFY(logoBottom < g.top());

    // The legend stands on the grid's top-left corner: the trace samples in the trace
    // colours, blue only for the humidity loggers.
    const QRect legend(g.left(), 0, (g.right() - g.left()) / 4, g.top() - 1);
    QVERIFY(hasColour(img, legend, kRed));
    QCOMPARE(hasColour(img, legend, kBlue), humidity);
    QVERIFY(!hasColour(img, QRect(0, 0, g.left() - 1, g.top() - 1), kRed));
}

// A week of readings every 2 s puts thirty to a printer's dot. Their marks are drawn as far
// fewer drawing operations, and the page is the same picture as every mark drawn one by one:
// two noisy traces that cross again and again, which one lies on top where they meet included.
void TestPrintGraph::denseTracesAreTheSamePicture()
{
    constexpr int kSteps = 20000;
    constexpr double kRadius = 20;
    // Readings on levels 40 twips apart, as a sensor's one decimal puts them.
    const auto level = [](double y) { return 40 * std::round(y / 40); };
    std::vector<QPointF> value, humidity;
    quint32 noise = 7;
    const auto jitter = [&noise] {
        noise = noise * 1103515245u + 12345u;
        return double(noise >> 16) / 65536.0 * 240 - 120;
    };
    for (int i = 0; i <= kSteps; ++i) {
        const double x = 1500 + i * 12000.0 / kSteps;
        const double wave = 2500 * std::sin(i * 2 * M_PI / 4000);
        value.emplace_back(x, level(5500 + wave + jitter()));
        humidity.emplace_back(x, level(5500 - wave + 3 * jitter()));
    }
    const auto draw = [&](bool batched) {
        const QString path = m_dir.filePath(QStringLiteral("dense%1.pdf").arg(batched));
        {
            auto printer = pdfPrinter(path);
            PrintSurface surface(*printer);
            if (!surface.begin(QPageLayout::Landscape))
                return QImage();
            surface.setLineWidth(2);
            printout::TraceBatch batch(surface, kRadius, kRed, kBlue);
            const auto marker = [&](QPointF p, bool h) {
                if (batched)
                    batch.marker(p, h);
                else
                    surface.circle(p, kRadius, h ? kBlue : kRed,
                                   h ? PrintSurface::FillStyle::Transparent
                                     : PrintSurface::FillStyle::Solid);
            };
            const auto segment = [&](QPointF a, QPointF b, bool h) {
                if (batched)
                    batch.segment(a, b, h);
                else
                    surface.line(a, b, h ? kBlue : kRed);
            };
            for (int i = 1; i <= kSteps; ++i) {
                for (const bool h : {false, true}) {
                    const std::vector<QPointF> &trace = h ? humidity : value;
                    marker(trace[i - 1], h);
                    segment(trace[i - 1], trace[i], h);
                    marker(trace[i], h);
                }
                batch.readingDone();
            }
            batch.flush();
            surface.end();
        }
        return renderPage(path, 300);
    };
    const QImage one = draw(false);
    const QImage batched = draw(true);
    QVERIFY(!one.isNull());
    QCOMPARE(batched.size(), one.size());
    qint64 inked = 0, differing = 0;
    for (int y = 0; y < one.height(); ++y)
        for (int x = 0; x < one.width(); ++x) {
            const QRgb a = one.pixel(x, y);
            inked += a == kRed.rgb() || a == kBlue.rgb();
            differing += a != batched.pixel(x, y);
        }
    // Where a mark kept stands a fraction of a printer's dot from the one it stands for, a
    // pixel at the very edge of the ink may turn; nothing more.
    QVERIFY2(inked > 200000, qPrintable(QString::number(inked)));
    QVERIFY2(differing * 500 < inked, qPrintable(QStringLiteral("%1 of %2").arg(differing).arg(inked)));
}

QTEST_MAIN(TestPrintGraph)
#include "test_print_graph.moc"
