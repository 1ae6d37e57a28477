// Scales, axis texts, zoom arithmetic and the cursor read-outs of the graph.
#include "graph_tables.h"

#include "acquisition/readings_table.h"
#include "common/datetext.h"
#include "view/graph_renderer.h"
#include "view/graph_scales.h"
#include "view/graph_series.h"
#include "view/graph_zoom.h"

#include <QtTest>

using namespace graph;

namespace {

QStringList list(const AxisLabels &labels)
{
    return QStringList(labels.begin(), labels.end());
}

QString date(int y, int m, int d)
{
    return datetext::dateText(QDate(y, m, d));
}

QString time(int h, int m, int s = 0)
{
    return datetext::timeText(QTime(h, m, s));
}

} // namespace

class TestGraphScales : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QStringLiteral("en_GB")));
        datetext::localeChanged();
    }

    // Bounds come from the whole table: one above the largest and one below the smallest
    // reading, both rounded to whole numbers with halves to the even neighbour.
    void boundsFromTheWholeTable_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<QList<double>>("values");
        QTest::addColumn<QList<double>>("humidity");
        QTest::addColumn<QList<double>>("expected"); // Tv, Bv, Th, Bh
        const double kNaN = std::nan("");
        QTest::newRow("23.4 / 18.6") << 1 << QList<double>{20, 23.4, 18.6, 21} << QList<double>{}
                                     << QList<double>{24, 18, 0, 0};
        QTest::newRow("halves to even") << 8 << QList<double>{23.5, -0.5, 24.5}
                                        << QList<double>{} << QList<double>{25, -1, 0, 0};
        QTest::newRow("all missing") << 7 << QList<double>{kNaN, kNaN, kNaN} << QList<double>{}
                                     << QList<double>{1, -1, 0, 0};
        QTest::newRow("missing first") << 1 << QList<double>{kNaN, 21.2, 25.7} << QList<double>{}
                                       << QList<double>{27, 20, 0, 0};
        QTest::newRow("humidity") << 6 << QList<double>{20, 22} << QList<double>{55.5, 70.4}
                                  << QList<double>{23, 19, 71, 55};
        QTest::newRow("unknown model") << 9 << QList<double>{20, 22} << QList<double>{}
                                       << QList<double>{0, 0, 0, 0};
    }
    void boundsFromTheWholeTable()
    {
        QFETCH(int, model);
        QFETCH(QList<double>, values);
        QFETCH(QList<double>, humidity);
        QFETCH(QList<double>, expected);
        ReadingsTable t;
        graphtest::fill(t, graphtest::at(2024, 3, 1, 10, 0), 60, values, humidity);
        GraphSeries series(t);
        GraphRenderer renderer(series);
        const Bounds b = renderer.bounds(model);
        QCOMPARE((QList<double>{b.Tv, b.Bv, b.Th, b.Bh}), expected);
    }

    // The 11 labels of an axis over the visible part of its range, "#00.00", halves to even.
    void axisLabels_data()
    {
        QTest::addColumn<double>("top");
        QTest::addColumn<double>("bottom");
        QTest::addColumn<int>("vValue");
        QTest::addColumn<int>("vMax");
        QTest::addColumn<QStringList>("labels");
        QTest::newRow("24 to 18") << 24.0 << 18.0 << 0 << 0
                                  << QStringList{"24.00", "23.40", "22.80", "22.20", "21.60",
                                                 "21.00", "20.40", "19.80", "19.20", "18.60",
                                                 "18.00"};
        QTest::newRow("zoomed and scrolled")
            << 24.0 << 18.0 << 1500 << 3000
            << QStringList{"22.50", "22.20", "21.90", "21.60", "21.30", "21.00",
                           "20.70", "20.40", "20.10", "19.80", "19.50"};
        QTest::newRow("through zero, no negative zero")
            << 1.0 << -1.0 << 0 << 0
            << QStringList{"01.00", "00.80", "00.60", "00.40", "00.20", "00.00",
                           "-00.20", "-00.40", "-00.60", "-00.80", "-01.00"};
        QTest::newRow("CO2 range") << 1501.0 << 399.0 << 0 << 0
                                   << QStringList{"1501.00", "1390.80", "1280.60", "1170.40",
                                                  "1060.20", "950.00", "839.80", "729.60",
                                                  "619.40", "509.20", "399.00"};
        // 0.985, 0.935 ... are halves: 0.98, 0.94 with halves to even (a picture pattern
        // would round them all up).
        QTest::newRow("halves to even") << 1.0 << 0.0 << 90 << 3000
                                        << QStringList{"00.98", "00.94", "00.88", "00.84",
                                                       "00.78", "00.74", "00.68", "00.64",
                                                       "00.58", "00.54", "00.48"};
    }
    void axisLabels()
    {
        QFETCH(double, top);
        QFETCH(double, bottom);
        QFETCH(int, vValue);
        QFETCH(int, vMax);
        QFETCH(QStringList, labels);
        const View view{9000, 6000, 0, 0, vValue, vMax};
        QCOMPARE(list(Left_Axis(top, bottom, view)), labels);
        QCOMPARE(list(Right_Axis(6, top, bottom, view)), labels);
        QCOMPARE(list(Right_Axis(1, top, bottom, view)), QStringList(11, QString()));
    }

    // Dates and times at 0, 1/5 ... 5/5 of the visible span, whole seconds.
    void timeLabels_data()
    {
        QTest::addColumn<int>("hValue");
        QTest::addColumn<int>("hMax");
        QTest::addColumn<QStringList>("dates");
        QTest::addColumn<QStringList>("times");
        const QString feb = date(2024, 2, 29), mar = date(2024, 3, 1);
        QTest::newRow("across midnight")
            << 0 << 0 << QStringList{feb, mar, mar, mar, mar, mar}
            << QStringList{time(23, 50), time(0, 0), time(0, 10), time(0, 20), time(0, 30),
                           time(0, 40)};
        QTest::newRow("second half")
            << 4500 << 4500 << QStringList(6, mar)
            << QStringList{time(0, 15), time(0, 20), time(0, 25), time(0, 30), time(0, 35),
                           time(0, 40)};
        QTest::newRow("a third, from the start")
            << 0 << 6000 << QStringList{feb, feb, feb, mar, mar, mar}
            << QStringList{time(23, 50), time(23, 53, 20), time(23, 56, 40), time(0, 0),
                           time(0, 3, 20), time(0, 6, 40)};
    }
    void timeLabels()
    {
        QFETCH(int, hValue);
        QFETCH(int, hMax);
        QFETCH(QStringList, dates);
        QFETCH(QStringList, times);
        ReadingsTable t;
        graphtest::fill(t, graphtest::at(2024, 2, 29, 23, 50), 600, {1, 2, 3, 4, 5, 6});
        const TimeLabels l = Time_Axis(t, View{9000, 6000, hValue, hMax, 0, 0});
        QCOMPARE(QStringList(l.dates.begin(), l.dates.end()), dates);
        QCOMPARE(QStringList(l.times.begin(), l.times.end()), times);
    }

    // A time division keeps whole seconds, a value step whole hundredths: the factor is the
    // first of 2, 3, 5 that divides it, or none.
    void zoomFactors_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<int>("timeFactor");
        QTest::addColumn<QString>("top");
        QTest::addColumn<QString>("second");
        QTest::addColumn<int>("valueFactor");
        QTest::newRow("120 s, 0.60") << time(10, 0) << time(10, 2) << 2 << "24.00" << "23.40" << 2;
        QTest::newRow("45 s, 0.45") << time(10, 0) << time(10, 0, 45) << 3 << "24.00" << "23.55"
                                    << 3;
        QTest::newRow("25 s, 0.25") << time(10, 0) << time(10, 0, 25) << 5 << "-00.20" << "-00.45"
                                    << 5;
        QTest::newRow("7 s, 0.07") << time(10, 0) << time(10, 0, 7) << 1 << "01.07" << "01.00"
                                   << 1;
        QTest::newRow("120 s over midnight")
            << time(23, 59) << time(0, 1) << 2 << "1501.00" << "1390.80" << 2;
        QTest::newRow("7 s over midnight")
            << time(23, 59, 53) << time(0, 0) << 1 << "00.98" << "00.88" << 2;
        QTest::newRow("no labels") << QString() << QString() << 1 << QString() << QString() << 1;
    }
    void zoomFactors()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(int, timeFactor);
        QFETCH(QString, top);
        QFETCH(QString, second);
        QFETCH(int, valueFactor);
        QCOMPARE(timeZoomFactor(from, to), timeFactor);
        QCOMPARE(valueZoomFactor(top, second), valueFactor);
    }

    // Zoom steps in and out: the visible width after each step and the marker radius.
    // Steps: a positive number zooms in by that factor, 0 zooms out.
    void zoomSequences_data()
    {
        QTest::addColumn<double>("W");
        QTest::addColumn<QList<int>>("steps");
        QTest::addColumn<QList<double>>("widths");
        QTest::addColumn<QList<double>>("radii");
        QTest::newRow("in 2, in 2, out, out")
            << 9000.0 << QList<int>{2, 2, 0, 0} << QList<double>{4500, 2250, 4500, 9000}
            << QList<double>{10, 5, 10, 20};
        QTest::newRow("in 3, out, out (capped)")
            << 9000.0 << QList<int>{3, 0, 0} << QList<double>{3000, 6000, 9000}
            << QList<double>{20.0 / 3, 40.0 / 3, 40.0 / 3};
        // An odd extent: the whole-number maximum leaves a half unit over, and zooming back
        // out still returns to the full view with the full-view marker size.
        QTest::newRow("odd extent, rounding up")
            << 9045.0 << QList<int>{2, 0} << QList<double>{4523, 9045} << QList<double>{10, 20};
        QTest::newRow("odd extent, rounding down")
            << 9015.0 << QList<int>{2, 2, 0, 0} << QList<double>{4507, 2253, 4506, 9015}
            << QList<double>{10, 5, 10, 20};
        QTest::newRow("in 5, out, out, out")
            << 9000.0 << QList<int>{5, 0, 0, 0} << QList<double>{1800, 3600, 7200, 9000}
            << QList<double>{4, 8, 16, 16};
        QTest::newRow("out at full view") << 9000.0 << QList<int>{0} << QList<double>{9000}
                                          << QList<double>{20};
        QTest::newRow("no factor") << 9000.0 << QList<int>{1} << QList<double>{9000}
                                   << QList<double>{20};
    }
    void zoomSequences()
    {
        QFETCH(double, W);
        QFETCH(QList<int>, steps);
        QFETCH(QList<double>, widths);
        QFETCH(QList<double>, radii);
        View v = View::full(W, 6000);
        double r = kDefaultR;
        for (int i = 0; i < steps.size(); ++i) {
            if (steps[i] > 0)
                zoomIn(v, r, 0, 0, steps[i], 1);
            else
                zoomOut(v, r);
            QCOMPARE(v.width(), widths[i]);
            QCOMPARE(v.hMax, int(W - widths[i]));
            QCOMPARE(r, radii[i]);
            QCOMPARE(v.height(), 6000.0);
        }
    }

    // Zoom-in anchors the view at the drag start, capped so the view stays within the extent;
    // zoom-out keeps the edges as far as the new maxima allow.
    void zoomAnchoring_data()
    {
        QTest::addColumn<double>("left");
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("f");
        QTest::addColumn<int>("g");
        QTest::addColumn<QList<int>>("zoomedIn");  // hValue, hMax, vValue, vMax
        QTest::addColumn<QList<int>>("zoomedOut"); // the same after one zoom-out
        QTest::newRow("middle") << 1000.4 << 700 << 2 << 2 << QList<int>{1000, 4500, 700, 3000}
                                << QList<int>{0, 0, 0, 0};
        QTest::newRow("near the right edge")
            << 8800.0 << 5900 << 2 << 2 << QList<int>{4500, 4500, 3000, 3000}
            << QList<int>{0, 0, 0, 0};
        QTest::newRow("by 5, near the edge, out keeps the edge")
            << 8800.0 << 5900 << 5 << 3 << QList<int>{7200, 7200, 4000, 4000}
            << QList<int>{5400, 5400, 2000, 2000};
        QTest::newRow("height only") << 3000.0 << 100 << 1 << 5 << QList<int>{0, 0, 100, 4800}
                                     << QList<int>{0, 0, 100, 3600};
    }
    void zoomAnchoring()
    {
        QFETCH(double, left);
        QFETCH(int, top);
        QFETCH(int, f);
        QFETCH(int, g);
        QFETCH(QList<int>, zoomedIn);
        QFETCH(QList<int>, zoomedOut);
        View v = View::full(9000, 6000);
        double r = kDefaultR;
        zoomIn(v, r, left, top, f, g);
        QCOMPARE((QList<int>{v.hValue, v.hMax, v.vValue, v.vMax}), zoomedIn);
        zoomOut(v, r);
        QCOMPARE((QList<int>{v.hValue, v.hMax, v.vValue, v.vMax}), zoomedOut);
    }

    // Zooming keeps going while the labels still divide, but never to an empty view.
    void zoomStopsBeforeAnEmptyView()
    {
        View v = View::full(9000, 6000);
        double r = kDefaultR;
        for (int i = 0; i < 40; ++i)
            zoomIn(v, r, 8999, 5999, 2, 2);
        QVERIFY(v.width() >= 1 && v.height() >= 1);
        QVERIFY(v.hValue + v.width() <= v.W && v.vValue + v.height() <= v.H);
        QVERIFY(r > 0);
    }

    // A resized plot area keeps the view where it was on the graph.
    void resizeKeepsTheViewsPlace()
    {
        const View v{9000, 6000, 3000, 4500, 1000, 3000};
        const View out = rescaled(v, 18000, 3000);
        QCOMPARE((QList<int>{out.hValue, out.hMax, out.vValue, out.vMax}),
                 (QList<int>{6000, 9000, 500, 1500}));
        QCOMPARE(out.W, 18000.0);
        QCOMPARE(rescaled(View::full(9000, 6000), 4500, 3000), View::full(4500, 3000));
    }

    // The value under the pointer from the labels at the view's top and bottom edges, one
    // decimal with halves to even, then a blank and the unit.
    void valueReadouts_data()
    {
        QTest::addColumn<QString>("top");
        QTest::addColumn<QString>("bottom");
        QTest::addColumn<int>("vValue");
        QTest::addColumn<int>("vMax");
        QTest::addColumn<double>("y");
        QTest::addColumn<QString>("text");
        QTest::newRow("23.4 below the top") << "24.00" << "18.00" << 0 << 0 << 600.0 << "23.4 °C";
        QTest::newRow("half to even") << "24.00" << "18.00" << 0 << 0 << 550.0 << "23.4 °C";
        QTest::newRow("whole number") << "24.00" << "18.00" << 0 << 0 << 3000.0 << "21 °C";
        QTest::newRow("zoomed") << "22.50" << "19.50" << 1500 << 3000 << 2000.0 << "22 °C";
        QTest::newRow("below zero") << "01.00" << "-01.00" << 0 << 0 << 4500.0 << "-0.5 °C";
    }
    void valueReadouts()
    {
        QFETCH(QString, top);
        QFETCH(QString, bottom);
        QFETCH(int, vValue);
        QFETCH(int, vMax);
        QFETCH(double, y);
        QFETCH(QString, text);
        const View view{9000, 6000, 0, 0, vValue, vMax};
        QCOMPARE(valueReadout(top, bottom, QStringLiteral("°C"), y, view), text);
    }

    // The moment under the pointer from the date and time labels at the view's edges.
    void timeReadouts_data()
    {
        QTest::addColumn<int>("hValue");
        QTest::addColumn<int>("hMax");
        QTest::addColumn<double>("x");
        QTest::addColumn<QString>("text");
        const QString sep = QStringLiteral(" , ");
        QTest::newRow("middle, past midnight")
            << 0 << 0 << 4500.0 << date(2024, 3, 1) + sep + time(0, 15);
        QTest::newRow("left edge") << 0 << 0 << 0.0 << date(2024, 2, 29) + sep + time(23, 50);
        QTest::newRow("zoomed") << 3000 << 6000 << 4500.0
                                << date(2024, 3, 1) + sep + time(0, 15);
    }
    void timeReadouts()
    {
        QFETCH(int, hValue);
        QFETCH(int, hMax);
        QFETCH(double, x);
        QFETCH(QString, text);
        // The labels as the time axis writes them for this view of 23:50 ... 00:40.
        ReadingsTable t;
        graphtest::fill(t, graphtest::at(2024, 2, 29, 23, 50), 600, {1, 2, 3, 4, 5, 6});
        const View view{9000, 6000, hValue, hMax, 0, 0};
        const TimeLabels l = Time_Axis(t, view);
        QCOMPARE(timeReadout(l.dates[0], l.times[0], l.dates[5], l.times[5], x, view), text);
        QCOMPARE(timeReadout(QString(), QString(), QString(), QString(), x, view), QString());
    }
};

QTEST_GUILESS_MAIN(TestGraphScales)
#include "test_graph_scales.moc"
