// The graph through the real window: a downloaded set zoomed from the View menu, scrolled, read
// with the cursor and switched to degrees Fahrenheit.
#include "tests/support/e2e_fixture.h"

#include "acquisition/readings_table.h"
#include "app/data_commands.h"
#include "common/datetext.h"
#include "view/frm_data.h"
#include "view/graph_controller.h"
#include "view/graph_renderer.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabWidget>
#include <QtTest>

#include <optional>

namespace {

constexpr int kDownloadMs = 40000;

std::optional<QPoint> findPixel(FrmData *d, QRgb colour)
{
    const QImage &p = d->graph().picture();
    for (int x = 2; x < p.width() - 2; ++x)
        for (int y = 2; y < p.height() - 2; ++y)
            if (p.pixel(x, y) == colour)
                return QPoint(x, y);
    return std::nullopt;
}

// With KESTRUN_SHOT_DIR set, a picture of the window for a person to look at.
void saveShot(QWidget &w, const char *name)
{
    const QByteArray dir = qgetenv("KESTRUN_SHOT_DIR");
    if (!dir.isEmpty())
        w.grab().save(QDir(QString::fromLocal8Bit(dir)).filePath(QLatin1String(name)));
}

} // namespace

class TestE2eGraph : public QObject
{
    Q_OBJECT

    std::unique_ptr<e2e::Fixture> f;

private Q_SLOTS:
    void init()
    {
        f = std::make_unique<e2e::Fixture>();
        e2e::enableLogger(f->sim().state(), "COLD ROOM", 2);
        f->sim().state().model = 2; // temperature and humidity
        f->sim().core().fillHistory(120);
    }
    void cleanup() { f.reset(); }

    void downloadZoomScrollReadAndSwitchUnits()
    {
        QVERIFY2(f->start(), qPrintable(f->why()));
        f->main().resize(1200, 860);
        f->main().show();
        QVERIFY(QTest::qWaitForWindowExposed(&f->main()));
        QSignalSpy done(f->main().findChild<DataCommands *>(), &DataCommands::downloadFinished);
        f->toolbar(QStringLiteral("ReadData"));
        QVERIFY(done.wait(kDownloadMs) || done.count() > 0);
        QVERIFY2(f->prompter().messages().isEmpty(), qPrintable(f->prompter().messages().join('|')));

        FrmData *d = f->main().data();
        QCOMPARE(d->table().rows(), 121);
        QCOMPARE(d->SSTab1()->currentIndex(), 1);
        const ReadingsTable &t = d->table();
        // The graph spans the set: first reading at the left edge, newest at the right.
        QCOMPARE(d->label(13)->text(), t.text(1, 1));
        QCOMPARE(d->label(14)->text(), t.text(1, 2));
        QCOMPARE(d->label(16)->text(), t.text(120, 2));
        QCOMPARE(d->label(36)->text(), QStringLiteral("°C"));
        QCOMPARE(d->label(37)->text(), QStringLiteral("%rh"));
        QVERIFY(!d->label(35)->text().isEmpty());
        QVERIFY(findPixel(d, graph::kValueColour));
        QVERIFY(findPixel(d, graph::kHumidityColour));
        saveShot(f->main(), "e2e-graph.png");

        // View → Zoom in, then a drag on the plot area: 238 minutes over five divisions gives
        // 2,856 s each, so the width halves.
        QVERIFY(f->menu(QStringLiteral("zoomin")));
        QCOMPARE(d->PicGraph()->cursor().shape(), Qt::BitmapCursor);
        QWidget *plot = d->PicGraph();
        QTest::mousePress(plot, Qt::LeftButton, Qt::NoModifier, QPoint(60, 40));
        QTest::mouseMove(plot, QPoint(160, 120));
        QTest::mouseRelease(plot, Qt::LeftButton, Qt::NoModifier, QPoint(160, 120));
        QCOMPARE(d->R, 10.0);
        QVERIFY(d->HScroll1()->maximum() > 0);
        QCOMPARE(d->HScroll1()->value(), 60 * 15);
        const QTime start = datetext::parseTime(d->label(14)->text());
        QVERIFY(std::abs(start.secsTo(datetext::parseTime(d->label(17)->text())) - 1428) <= 1);

        // Scrolled to the end, the newest reading is at the right edge again.
        d->HScroll1()->setValue(d->HScroll1()->maximum());
        QCOMPARE(d->label(16)->text(), t.text(120, 2));
        QCOMPARE(d->label(15)->text(), t.text(120, 1));

        // View → Cursor: a click on the temperature trace reads it.
        QVERIFY(f->menu(QStringLiteral("cursor")));
        QCOMPARE(d->PicGraph()->cursor().shape(), Qt::ArrowCursor);
        const std::optional<QPoint> red = findPixel(d, graph::kValueColour);
        QVERIFY(red);
        QTest::mouseClick(plot, Qt::LeftButton, Qt::NoModifier, *red);
        QVERIFY2(d->Text1()->text().endsWith(QStringLiteral(" °C")), qPrintable(d->Text1()->text()));
        saveShot(f->main(), "e2e-graph-cursor.png");
        const QStringList when = d->Text2()->text().split(QStringLiteral(" , "));
        QCOMPARE(when.size(), 2);
        QVERIFY(datetext::combine(when[0], when[1]).isValid());

        // Degrees Fahrenheit on the graph tab: the table and the axis follow.
        const QString celsius = t.text(60, 3);
        QTest::mouseClick(d->Optfaren(), Qt::LeftButton);
        QCOMPARE(d->label(36)->text(), QStringLiteral("°F"));
        QVERIFY(t.text(60, 3) != celsius);
        QCOMPARE(t.text(0, 3), QStringLiteral("Temp(°F)"));
        QVERIFY(d->HScroll1()->maximum() > 0); // the view stays zoomed

        // View → Normal: the whole set again.
        QVERIFY(f->menu(QStringLiteral("cancelzoom")));
        QCOMPARE(d->HScroll1()->maximum(), 0);
        QCOMPARE(d->VScroll1()->maximum(), 0);
        QCOMPARE(d->R, 20.0);
        QCOMPARE(d->label(14)->text(), t.text(1, 2));
    }
};

QTEST_MAIN(TestE2eGraph)
#include "test_e2e_graph.moc"
