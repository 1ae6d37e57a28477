// The graph in the data window: labels beside the grid, zoom and cursor with the mouse, the
// scroll bars, the unit options and the tabs.
#include "graph_tables.h"

#include "acquisition/reading_set.h"
#include "acquisition/readings_table.h"
#include "common/datetext.h"
#include "view/frm_data.h"
#include "view/graph_controller.h"
#include "view/graph_renderer.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QtTest>

#include <optional>

namespace {

const double kNaN = std::nan("");

// A temperature set of 11 readings a minute apart (120 s per time division, 0.60 per value
// division), the 4th missing.
void showSet(FrmData &w, int model = 1)
{
    w.MODEL = quint8(model);
    w.readingSet().Format_Grid();
    if (model == 2)
        graphtest::fill(w.table(), graphtest::at(2024, 2, 29, 23, 55), 60,
                        {20, 23.4, 21, kNaN, 18.6, 19, 20, 21, 22, 23, 20},
                        {50, 52, 55.5, 57, 60, 58, 57, 55, 53, 52, 51});
    else
        graphtest::fill(w.table(), graphtest::at(2024, 2, 29, 23, 55), 60,
                        {20, 23.4, 21, kNaN, 18.6, 19, 20, 21, 22, 23, 20});
    w.DRAW_GRAPH();
}

void mouse(QWidget *target, QEvent::Type type, QPoint at, Qt::MouseButton button,
           Qt::MouseButtons buttons)
{
    QMouseEvent e(type, QPointF(at), target->mapToGlobal(QPointF(at)), button, buttons,
                  Qt::NoModifier);
    QApplication::sendEvent(target, &e);
}

// A picture pixel of `colour`, as a position on the plot area (offscreen: one pixel a pixel).
std::optional<QPoint> findPixel(FrmData &w, QRgb colour)
{
    const QImage &p = w.graph().picture();
    for (int x = 0; x < p.width(); ++x)
        for (int y = 0; y < p.height(); ++y)
            if (p.pixel(x, y) == colour)
                return QPoint(x, y);
    return std::nullopt;
}

QStringList texts(FrmData &w, std::initializer_list<int> numbers)
{
    QStringList out;
    for (int n : numbers)
        out << w.label(n)->text();
    return out;
}

void saveShot(QWidget &w, const char *name)
{
    const QByteArray dir = qgetenv("KESTRUN_SHOT_DIR");
    if (!dir.isEmpty())
        w.grab().save(QDir(QString::fromLocal8Bit(dir)).filePath(QLatin1String(name)));
}

} // namespace

class TestGraphWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QStringLiteral("en_GB")));
        datetext::localeChanged();
    }

    // The axis labels show the redraw's texts, each centred on the grid line it names.
    void labelsSitOnTheGrid_data()
    {
        QTest::addColumn<QSize>("window");
        QTest::newRow("designed") << QSize(900, 620);
        QTest::newRow("maximised on a large screen") << QSize(1900, 1150);
    }
    void labelsSitOnTheGrid()
    {
        QFETCH(QSize, window);
        FrmData w;
        w.resize(window);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        showSet(w, 2);
        saveShot(w, window.width() > 1000 ? "graph-large.png" : "graph.png");

        QWidget *plot = w.PicGraph();
        QCOMPARE(w.graph().picture().size(), plot->size());
        QCOMPARE(w.graph().view().W, (plot->width() - 1) * 15.0);
        QCOMPARE(texts(w, {2, 3, 12}), (QStringList{"24.00", "23.40", "18.00"}));
        QCOMPARE(texts(w, {35, 25}), (QStringList{"61.00", "49.00"}));
        QCOMPARE(texts(w, {36, 37}), (QStringList{"°C", "%rh"}));
        QCOMPARE(texts(w, {13, 14, 15, 16}),
                 (QStringList{datetext::dateText(QDate(2024, 2, 29)),
                              datetext::timeText(QTime(23, 55)),
                              datetext::dateText(QDate(2024, 3, 1)),
                              datetext::timeText(QTime(0, 5))}));
        const auto centre = [&](int n) {
            const QLabel *l = w.label(n);
            return l->mapTo(&w, l->rect().center());
        };
        const QRect p(plot->mapTo(&w, QPoint(0, 0)), plot->size());
        for (auto [n, y] : {std::pair{2, p.top()}, {7, p.top() + graph::gridLine(5, p.height())},
                            {12, p.bottom()}, {35, p.top()}, {25, p.bottom()}})
            QVERIFY2(std::abs(centre(n).y() - y) <= 1, qPrintable(QString::number(n)));
        for (auto [n, x] : {std::pair{13, p.left()}, {20, p.left() + graph::gridLine(4, p.width())},
                            {15, p.right()}, {16, p.right()}})
            QVERIFY2(std::abs(centre(n).x() - x) <= 1, qPrintable(QString::number(n)));
        QVERIFY(w.label(2)->geometry().right() < w.label(35)->geometry().left());
        QVERIFY(w.label(14)->geometry().top() > w.label(13)->geometry().top());
        // Every label shows its whole text.
        for (int n : {2, 12, 13, 14, 15, 16, 25, 35})
            QVERIFY(w.label(n)->width() >= w.label(n)->sizeHint().width());
    }

    // Zoom in by a drag on the plot area, scroll, read a value.
    void zoomScrollAndReadWithTheMouse()
    {
        FrmData w;
        w.resize(900, 620);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        showSet(w);
        QWidget *plot = w.PicGraph();

        w.zoomin = true;
        mouse(plot, QEvent::MouseButtonPress, QPoint(100, 50), Qt::LeftButton, Qt::LeftButton);
        mouse(plot, QEvent::MouseMove, QPoint(180, 120), Qt::NoButton, Qt::LeftButton);
        QVERIFY(w.graph().shape1Visible());
        mouse(plot, QEvent::MouseButtonRelease, QPoint(180, 120), Qt::LeftButton, Qt::NoButton);
        QVERIFY(!w.graph().shape1Visible());
        QCOMPARE(w.R, 10.0);
        const double W = w.graph().view().W;
        QCOMPARE(w.HScroll1()->maximum(), graph::roundWhole(W - W / 2));
        QCOMPARE(w.HScroll1()->value(), 1500); // the drag started 100 pixels in
        QCOMPARE(w.VScroll1()->value(), 750);
        QVERIFY(std::abs(w.label(2)->text().toDouble() - w.label(3)->text().toDouble() - 0.3) <
                0.011);
        saveShot(w, "graph-zoomed.png");

        // The scroll bar is the view's position: at its end the last reading is at the right.
        w.HScroll1()->setValue(w.HScroll1()->maximum());
        QCOMPARE(w.label(16)->text(), datetext::timeText(QTime(0, 5)));
        QCOMPARE(w.label(15)->text(), datetext::dateText(QDate(2024, 3, 1)));

        // Cursor mode: a click on the red trace reads it, a click beside it reads nothing.
        w.zoomin = false;
        const std::optional<QPoint> red = findPixel(w, graph::kValueColour);
        QVERIFY(red);
        QTest::mouseClick(plot, Qt::LeftButton, Qt::NoModifier, *red);
        QVERIFY2(w.Text1()->text().endsWith(QStringLiteral(" °C")), qPrintable(w.Text1()->text()));
        QVERIFY(w.Text2()->text().startsWith(datetext::dateText(QDate(2024, 3, 1)) +
                                              QStringLiteral(" , ")));
        QCOMPARE(w.Text1()->palette().color(QPalette::Text), QColor(255, 0, 0));
        QVERIFY(w.graph().crossHairVisible());
        saveShot(w, "graph-cursor.png");
        const std::optional<QPoint> blank = findPixel(w, graph::kBackground);
        QVERIFY(blank);
        QTest::mouseClick(plot, Qt::LeftButton, Qt::NoModifier, *blank);
        QCOMPARE(w.Text1()->text(), QString());
        QCOMPARE(w.Text2()->text(), QString());
    }

    // A larger window, a larger graph: the view keeps its place, the labels their texts.
    void plotAreaGrowsWithTheWindow()
    {
        FrmData w;
        w.resize(900, 620);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        showSet(w);
        const QSize before = w.PicGraph()->size();
        const QStringList labels = texts(w, {2, 7, 12, 13, 14, 15, 16});
        w.resize(1500, 1000);
        QTRY_VERIFY(w.PicGraph()->width() > before.width() + 400);
        QVERIFY(w.PicGraph()->height() > before.height() + 250);
        QCOMPARE(w.graph().picture().size(), w.PicGraph()->size());
        QCOMPARE(texts(w, {2, 7, 12, 13, 14, 15, 16}), labels);
        QVERIFY(findPixel(w, graph::kValueColour));
    }

    // The unit options of either tab switch the table and the graph; the tab switch keeps
    // the two pairs in step and shows the axis labels on the "Graph" tab only.
    void unitsAndTabs()
    {
        FrmData w;
        w.resize(900, 620);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        showSet(w);
        QCOMPARE(w.SSTab1()->currentIndex(), 1);
        QVERIFY(w.OptCels()->isChecked() && w.OptCels()->isEnabled());
        QVERIFY(!w.Optcels1()->isEnabled() && !w.OptFaren1()->isEnabled());

        QTest::mouseClick(w.Optfaren(), Qt::LeftButton);
        QCOMPARE(w.Cels_Faren, qint16(0));
        QCOMPARE(w.table().text(2, 3), QStringLiteral("74.12"));
        QCOMPARE(w.table().text(4, 3), QStringLiteral("***"));
        QVERIFY(w.table().isRed(4, 3));
        QCOMPARE(w.label(36)->text(), QStringLiteral("°F"));
        QCOMPARE(w.label(2)->text(), QStringLiteral("75.00")); // 74.12 rounded, + 1
        const QString fahrenheitTop = w.label(2)->text();

        // To the table: the graph's choice is carried over, the labels hidden.
        w.SSTab1()->setCurrentIndex(0);
        QVERIFY(w.OptFaren1()->isChecked());
        QVERIFY(w.OptFaren1()->isEnabled() && !w.Optfaren()->isEnabled());
        for (int n = 2; n <= 37; ++n)
            QVERIFY(w.label(n)->isHidden());
        // Through the "Summary" tab and back: still no axis labels, the table's pair in use.
        w.SSTab1()->setCurrentIndex(2);
        w.SSTab1()->setCurrentIndex(0);
        QVERIFY(w.OptFaren1()->isEnabled() && !w.Optfaren()->isEnabled());
        for (int n = 2; n <= 37; ++n)
            QVERIFY(w.label(n)->isHidden());

        // Degrees Celsius chosen on the table tab; back on the graph tab it is selected there.
        QTest::mouseClick(w.Optcels1(), Qt::LeftButton);
        QCOMPARE(w.table().text(2, 3), QStringLiteral("23.4"));
        w.SSTab1()->setCurrentIndex(1);
        QVERIFY(w.OptCels()->isChecked() && w.OptCels()->isEnabled());
        QVERIFY(!w.Optcels1()->isEnabled());
        for (int n = 2; n <= 37; ++n)
            QVERIFY(!w.label(n)->isHidden());
        QCOMPARE(w.label(2)->text(), QStringLiteral("24.00"));
        QVERIFY(fahrenheitTop != w.label(2)->text());
        QCOMPARE(w.Cels_Faren, qint16(-1));
    }

    // Resetting the view (as the main window does on activation and for a new set) leaves the
    // unit flag describing the table, so the next switch converts from the right unit.
    void resetKeepsTheUnitFlag()
    {
        FrmData w;
        showSet(w);
        w.switchToFahrenheit();
        w.resetView();
        QCOMPARE(w.Cels_Faren, qint16(0));
        w.switchToFahrenheit();
        QCOMPARE(w.table().text(2, 3), QStringLiteral("74.12"));
        w.switchToCelsius();
        QCOMPARE(w.table().text(2, 3), QStringLiteral("23.4"));
    }

    // Clear_screen empties the plot area and the axis labels, not the unit captions.
    void clearScreen()
    {
        FrmData w;
        showSet(w);
        w.Clear_screen();
        for (int n = 2; n <= 35; ++n)
            QCOMPARE(w.label(n)->text(), QString());
        QCOMPARE(w.label(36)->text(), QStringLiteral("°C"));
        QVERIFY(!findPixel(w, graph::kValueColour));
    }
};

QTEST_MAIN(TestGraphWindow)
#include "test_graph_window.moc"
