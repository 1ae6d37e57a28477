// The graph's picture, the numbers it reads from the table, and what the mouse and the scroll
// bars do to it — all without a window.
#include "graph_tables.h"

#include "acquisition/reading_set.h"
#include "acquisition/readings_table.h"
#include "common/datetext.h"
#include "view/graph_controller.h"
#include "view/graph_renderer.h"
#include "view/graph_series.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QtTest>

#include <cmath>

using namespace graph;

namespace {

const double kNaN = std::nan("");

bool isTrace(QRgb c)
{
    return c == kValueColour || c == kHumidityColour;
}

// The picture drawn the plain way, reading by reading: for each step, the marker of the
// earlier reading, the line to the later one and its marker; value trace before humidity.
QImage referencePicture(QSize size, const View &view, double r, const std::vector<Trace> &traces,
                        int rows)
{
    QImage image(size, QImage::Format_RGB32);
    clearPicture(image);
    const raster::Disc disc = raster::disc(r * PixelMap(view, size).sx());
    std::vector<Placement> places;
    for (const Trace &t : traces)
        places.emplace_back(view, size, rows, t.top, t.bottom);
    for (int i = 2; i < rows; ++i) {
        for (std::size_t k = 0; k < traces.size(); ++k) {
            const std::vector<double> &v = *traces[k].values;
            const QRgb c = traces[k].colour;
            if (std::isnan(v[i - 1])) {
                if (i == rows - 1 && !std::isnan(v[i]))
                    raster::drawMarker(image, places[k].at(i, v[i]), disc, c);
                continue;
            }
            raster::drawMarker(image, places[k].at(i - 1, v[i - 1]), disc, c);
            if (std::isnan(v[i]))
                continue;
            raster::drawSegment(image, places[k].at(i - 1, v[i - 1]), places[k].at(i, v[i]), c);
            raster::drawMarker(image, places[k].at(i, v[i]), disc, c);
        }
    }
    return image;
}

QImage fastPicture(QSize size, const View &view, double r, const std::vector<Trace> &traces,
                   int rows)
{
    QImage image(size, QImage::Format_RGB32);
    clearPicture(image);
    drawTraces(image, view, r, rows, traces.data(), int(traces.size()));
    return image;
}

// A wandering series with some readings missing, reproducible.
std::vector<double> series(int rows, quint32 seed, double base, double swing)
{
    QRandomGenerator g(seed);
    std::vector<double> v(std::size_t(rows), kNaN);
    double x = base;
    for (int r = 1; r < rows; ++r) {
        x += (g.generateDouble() - 0.5) * swing;
        v[std::size_t(r)] = g.bounded(50) == 0 ? kNaN : std::round(x * 10) / 10;
    }
    return v;
}

int countColumnsWith(const QImage &image, QRgb colour, int x0, int x1)
{
    int n = 0;
    for (int x = x0; x <= x1; ++x)
        for (int y = 0; y < image.height(); ++y)
            if (image.pixel(x, y) == colour) {
                ++n;
                break;
            }
    return n;
}

// The plot position of a reading, the way the graph places it.
QPointF plotPoint(const View &v, int rows, int row, double value, double top, double bottom)
{
    return {(row - 1) * v.W / (rows - 2), v.H - (value - bottom) * v.H / (top - bottom)};
}

} // namespace

class TestGraphDrawing : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QStringLiteral("en_GB")));
        datetext::localeChanged();
    }

    // The fast drawing skips only work that changes no pixel: one trace gives exactly the
    // plain drawing's picture; two traces cover exactly the same pixels.
    void sameAsThePlainDrawing_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<bool>("humidity");
        QTest::addColumn<QList<int>>("view"); // hValue, hMax, vValue, vMax of 9015 x 5265
        QTest::addColumn<double>("r");
        QTest::newRow("few readings") << 12 << false << QList<int>{0, 0, 0, 0} << 20.0;
        QTest::newRow("16,000 readings") << 16001 << false << QList<int>{0, 0, 0, 0} << 20.0;
        QTest::newRow("8,000 humidity readings") << 8001 << true << QList<int>{0, 0, 0, 0} << 20.0;
        QTest::newRow("zoomed 8x, scrolled") << 16001 << false
                                             << QList<int>{3000, 7888, 1000, 3949} << 2.5;
        QTest::newRow("zoomed 64x, humidity")
            << 8001 << true << QList<int>{4000, 8874, 2000, 4936} << 20.0 / 64;
        QTest::newRow("big markers") << 300 << true << QList<int>{0, 0, 0, 0} << 120.0;
        QTest::newRow("at the right end") << 5001 << false << QList<int>{7888, 7888, 0, 0} << 2.5;
    }
    void sameAsThePlainDrawing()
    {
        QFETCH(int, rows);
        QFETCH(bool, humidity);
        QFETCH(QList<int>, view);
        QFETCH(double, r);
        const View v{9015, 5265, view[0], view[1], view[2], view[3]};
        const QSize size(602, 352);
        const std::vector<double> temp = series(rows, 7, 20, 1.5);
        const std::vector<double> rh = series(rows, 11, 60, 4);
        std::vector<Trace> traces{Trace{&temp, 40, 0, kValueColour}};
        if (humidity)
            traces.push_back(Trace{&rh, 101, 19, kHumidityColour});
        const QImage fast = fastPicture(size, v, r, traces, rows);
        const QImage plain = referencePicture(size, v, r, traces, rows);
        int differences = 0;
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x) {
                const QRgb a = fast.pixel(x, y), b = plain.pixel(x, y);
                if (humidity ? isTrace(a) != isTrace(b) || (!isTrace(a) && a != b) : a != b)
                    ++differences;
            }
        QCOMPARE(differences, 0);
    }

    // Two readings span edge to edge; 23.4 on a 24 ... 18 axis is a tenth of the height
    // below the top.
    void twoReadingsSpanEdgeToEdge()
    {
        ReadingsTable t;
        graphtest::fill(t, graphtest::at(2024, 3, 1, 10, 0), 60, {23.4, 18.6});
        GraphSeries s(t);
        GraphRenderer renderer(s);
        QImage image(602, 352, QImage::Format_RGB32);
        const View v = View::full(9015, 5265);
        QVERIFY(renderer.draw(image, 1, v, kDefaultR));
        QCOMPARE(countColumnsWith(image, kValueColour, 0, 601), 602);
        // 23.4 sits 0.6 of 6 below the top edge; 18.6 0.6 above the bottom edge.
        const int top = int(std::lround(0.1 * 351)), bottom = int(std::lround(0.9 * 351));
        QCOMPARE(image.pixel(0, top), kValueColour);
        QCOMPARE(image.pixel(601, bottom), kValueColour);
        QVERIFY(image.pixel(0, top - 3) != kValueColour);
        QVERIFY(image.pixel(601, bottom + 3) != kValueColour);
    }

    void missingReadingLeavesAGap_data()
    {
        QTest::addColumn<QList<double>>("values");
        QTest::addColumn<int>("missing"); // row of the missing reading
        QTest::newRow("middle") << QList<double>{20, 21, kNaN, 22, 21} << 3;
        QTest::newRow("second") << QList<double>{20, kNaN, 22, 21, 20} << 2;
    }
    void missingReadingLeavesAGap()
    {
        QFETCH(QList<double>, values);
        QFETCH(int, missing);
        ReadingsTable t;
        graphtest::fill(t, graphtest::at(2024, 3, 1, 10, 0), 60, values);
        GraphSeries s(t);
        GraphRenderer renderer(s);
        QImage image(601, 352, QImage::Format_RGB32);
        QVERIFY(renderer.draw(image, 1, View::full(9000, 5265), kDefaultR));
        // Readings every 150 pixels; a marker reaches a pixel or two. Nothing red between the
        // readings either side of the gap, everything else joined.
        const int before = (missing - 2) * 150, after = missing * 150;
        QCOMPARE(countColumnsWith(image, kValueColour, before + 3, after - 3), 0);
        QCOMPARE(countColumnsWith(image, kValueColour, 0, before), before + 1);
        QCOMPARE(countColumnsWith(image, kValueColour, after, 600), 600 - after + 1);
    }

    // Step by step the humidity trace is drawn after the value trace: where both lie on the
    // same pixels, the humidity trace shows.
    void humidityDrawnAfterValue()
    {
        ReadingsTable t;
        // Both columns the same numbers, so both scales and both traces coincide.
        graphtest::fill(t, graphtest::at(2024, 3, 1, 10, 0), 60, {40, 45.5, 43, 50, 41},
                        {40, 45.5, 43, 50, 41});
        GraphSeries s(t);
        GraphRenderer renderer(s);
        QImage image(602, 352, QImage::Format_RGB32);
        QVERIFY(renderer.draw(image, 6, View::full(9015, 5265), kDefaultR));
        QCOMPARE(countColumnsWith(image, kValueColour, 0, 601), 0);
        QCOMPARE(countColumnsWith(image, kHumidityColour, 0, 601), 602);
    }

    // Only red and blue are trace colours: the ground and the grid use neither.
    void nothingElseInTraceColours()
    {
        QImage image(602, 352, QImage::Format_RGB32);
        clearPicture(image);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                QVERIFY(!isTrace(image.pixel(x, y)));
        // The grid divides the picture into 10 x 10 cells, edges included.
        QVERIFY(image.pixel(gridLine(5, 602), 100) != kBackground);
        QVERIFY(image.pixel(100, gridLine(10, 352)) != kBackground);
        QCOMPARE(image.pixel(gridLine(5, 602) + 1, 100), kBackground);
    }

    // The numbers follow the table: a change of one cell, a new row, fewer rows, a refill.
    void seriesFollowsTheTable()
    {
        ReadingsTable t;
        graphtest::fill(t, graphtest::at(2024, 3, 1, 10, 0), 60, {20, 25, 18, 22}, {50, 60, 55, 70});
        GraphSeries s(t);
        QCOMPARE(s.column(3).max, 25.0);
        QCOMPARE(s.column(4).min, 50.0);

        t.setText(2, 3, QStringLiteral("21.0")); // the largest reading goes down
        QCOMPARE(s.column(3).max, 22.0);
        QCOMPARE(s.column(3).values[2], 21.0);
        QCOMPARE(s.column(4).max, 70.0);

        t.setText(3, 3, QStringLiteral("***"));
        QVERIFY(std::isnan(s.column(3).values[3]));
        QCOMPARE(s.column(3).min, 20.0);

        const int r = t.appendRow();
        t.setCell(r, 3, QStringLiteral("-04.5"));
        t.setCell(r, 4, QStringLiteral("***"), true);
        QCOMPARE(int(s.column(3).values.size()), 6);
        QCOMPARE(s.column(3).min, -4.5);
        QCOMPARE(s.column(4).max, 70.0);

        t.setRows(3); // rows 1 and 2 remain
        QCOMPARE(int(s.column(3).values.size()), 3);
        QCOMPARE(s.column(3).min, 20.0);
        QCOMPARE(s.column(3).max, 21.0);

        graphtest::fill(t, graphtest::at(2024, 3, 1, 10, 0), 60, {kNaN, kNaN});
        QVERIFY(!s.column(3).any);
        t.editColumn(3, [](QString &text) {
            text = QStringLiteral("05.0");
            return true;
        });
        QCOMPARE(s.column(3).min, 5.0);
        QVERIFY(s.column(3).any);
    }

    // Cursor mode: a press on a trace reads the value and the moment under the pointer;
    // anywhere else both read-outs go empty.
    void cursorReadsTheTraceUnderThePointer()
    {
        ReadingSet set;
        set.MODEL = 6;
        graphtest::fill(set.table(), graphtest::at(2024, 2, 29, 23, 50), 600,
                        {23.4, 20, 18.6, 21, 22, 19}, {55.2, 60, 58, 62, 64.6, 70});
        GraphController g(set);
        g.draw();
        const View &v = g.view();
        QCOMPARE(g.label(2), QStringLiteral("24.00"));
        QCOMPARE(g.label(35), QStringLiteral("71.00"));

        g.press(Qt::LeftButton, plotPoint(v, 7, 1, 23.4, 24, 18));
        QCOMPARE(g.text1(), QStringLiteral("23.4 °C"));
        QCOMPARE(g.text2(), datetext::dateText(QDate(2024, 2, 29)) + QStringLiteral(" , ") +
                                datetext::timeText(QTime(23, 50)));
        QCOMPARE(g.readoutColour(), kValueColour);
        QVERIFY(g.crossHairVisible());

        g.move(Qt::LeftButton, plotPoint(v, 7, 5, 64.6, 71, 54));
        QCOMPARE(g.text1(), QStringLiteral("64.6 %rh"));
        QCOMPARE(g.text2(), datetext::dateText(QDate(2024, 3, 1)) + QStringLiteral(" , ") +
                                datetext::timeText(QTime(0, 30)));
        QCOMPARE(g.readoutColour(), kHumidityColour);

        g.move(Qt::NoButton, QPointF(4000, 100)); // not dragging: nothing follows
        QCOMPARE(g.text1(), QStringLiteral("64.6 %rh"));

        g.move(Qt::LeftButton, QPointF(10, v.H - 10)); // empty corner
        QCOMPARE(g.text1(), QString());
        QCOMPARE(g.text2(), QString());
    }

    // Zoom by drag: the rectangle follows the drag in every direction; the release zooms by
    // the factors of the labels, anchored at the drag start, whatever the button.
    void zoomRectangleFollowsTheDrag_data()
    {
        QTest::addColumn<QPointF>("to");
        QTest::addColumn<QRectF>("rect");
        QTest::newRow("right and down") << QPointF(3000, 2500) << QRectF(2000, 1000, 1000, 1500);
        QTest::newRow("right and up") << QPointF(3000, 500) << QRectF(2000, 500, 1000, 500);
        QTest::newRow("left and up") << QPointF(1500, 400) << QRectF(1500, 400, 500, 600);
        QTest::newRow("left and down") << QPointF(1200, 1800) << QRectF(1200, 1000, 800, 800);
        QTest::newRow("straight across") << QPointF(2600, 1000) << QRectF(2000, 1000, 15, 15);
    }
    void zoomRectangleFollowsTheDrag()
    {
        QFETCH(QPointF, to);
        QFETCH(QRectF, rect);
        ReadingSet set;
        set.MODEL = 1;
        GraphController g(set);
        g.zoomin = true;
        g.press(Qt::LeftButton, QPointF(2000, 1000));
        QVERIFY(g.shape1Visible());
        QVERIFY(!g.crossHairVisible());
        g.move(Qt::LeftButton, to);
        QCOMPARE(g.shape1(), rect);
        g.release(Qt::LeftButton);
        QVERIFY(!g.shape1Visible());
        QCOMPARE(g.view(), View::full(9015, 5265)); // no graph: nothing to zoom
    }

    void zoomByDragAndRelease_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<QPointF>("start");
        QTest::addColumn<QList<int>>("view"); // hValue, hMax, vValue, vMax
        QTest::newRow("left button") << int(Qt::LeftButton) << QPointF(1000.3, 800.6)
                                     << QList<int>{1000, 4508, 801, 2632};
        QTest::newRow("near the right edge")
            << int(Qt::LeftButton) << QPointF(9000, 5000) << QList<int>{4508, 4508, 2632, 2632};
        QTest::newRow("right button release") << int(Qt::RightButton) << QPointF(1000.3, 800.6)
                                              << QList<int>{1000, 4508, 801, 2632};
    }
    void zoomByDragAndRelease()
    {
        QFETCH(int, button);
        QFETCH(QPointF, start);
        QFETCH(QList<int>, view);
        ReadingSet set;
        set.MODEL = 1;
        // 11 readings a minute apart: 120 s per time division; 24 ... 18: 0.60 per division.
        graphtest::fill(set.table(), graphtest::at(2024, 3, 1, 10, 0), 60,
                        {20, 23.4, 21, 22, 18.6, 19, 20, 21, 22, 23, 20});
        GraphController g(set);
        g.draw();
        QSignalSpy viewSpy(&g, &GraphController::viewChanged);
        g.zoomin = true;
        g.press(Qt::LeftButton, start);
        g.move(Qt::LeftButton, start + QPointF(300, 300));
        g.release(Qt::MouseButton(button));
        const View &v = g.view();
        QCOMPARE((QList<int>{v.hValue, v.hMax, v.vValue, v.vMax}), view);
        QCOMPARE(g.R, 10.0);
        QCOMPARE(viewSpy.count(), 1);
        // The labels describe the zoomed view: 60 s and 0.30 per division now.
        const QTime t0 = datetext::parseTime(g.label(14)), t1 = datetext::parseTime(g.label(17));
        QCOMPARE(t0.secsTo(t1), 60);
        QCOMPARE(g.label(2).toDouble() - g.label(3).toDouble(), 0.3);
        QCOMPARE(g.DragX0, 0.0);

        g.zoomin = false;
        g.zoomout = true;
        g.release(Qt::LeftButton);
        QCOMPARE(g.view(), View::full(9015, 5265));
        QCOMPARE(g.R, 20.0);
        QCOMPARE(g.label(2), QStringLiteral("24.00"));
    }

    // The scroll bars move the view; each change redraws the labels and the picture.
    void scrollingRedraws()
    {
        ReadingSet set;
        set.MODEL = 1;
        graphtest::fill(set.table(), graphtest::at(2024, 3, 1, 10, 0), 60,
                        {20, 23.4, 21, 22, 18.6, 19, 20, 21, 22, 23, 20});
        GraphController g(set);
        g.draw();
        g.zoomin = true;
        g.press(Qt::LeftButton, QPointF(0, 0));
        g.release(Qt::LeftButton);
        const QString before = g.label(13) + g.label(14);
        const QImage picture = g.picture();
        QSignalSpy pictures(&g, &GraphController::pictureChanged);
        g.setHValue(g.view().hMax);
        QCOMPARE(g.view().hValue, g.view().hMax);
        QCOMPARE(g.label(16), datetext::timeText(QTime(10, 10))); // the last reading
        QVERIFY(g.label(13) + g.label(14) != before);
        QVERIFY(g.picture() != picture);
        QCOMPARE(pictures.count(), 1);
        g.setVValue(g.view().vMax);
        QCOMPARE(g.label(12), QStringLiteral("18.00"));
        g.setVValue(g.view().vMax + 100); // out of range: stays at the maximum, no redraw
        QCOMPARE(pictures.count(), 2);

        g.resetView();
        QCOMPARE(g.view(), View::full(9015, 5265));
        QCOMPARE(g.label(2), QStringLiteral("24.00"));
        QVERIFY(!g.zoomin);
    }

    // Fewer than two readings: the picture is blank and the labels keep their texts.
    void fewerThanTwoReadingsKeepTheLabels()
    {
        ReadingSet set;
        set.MODEL = 1;
        graphtest::fill(set.table(), graphtest::at(2024, 3, 1, 10, 0), 60, {23.4, 18.6});
        GraphController g(set);
        g.draw();
        set.table().setRows(2);
        g.draw();
        QCOMPARE(g.label(2), QStringLiteral("24.00"));
        QVERIFY(!g.showsGraph());
        for (int y = 0; y < g.picture().height(); ++y)
            for (int x = 0; x < g.picture().width(); ++x)
                QVERIFY(!isTrace(g.picture().pixel(x, y)));
    }
};

QTEST_GUILESS_MAIN(TestGraphDrawing)
#include "test_graph_drawing.moc"
