// Live readings of a simulated humidity logger through the real main window, its live toolbar,
// the real serial port and the real timers.

#include "tests/support/e2e_fixture.h"

#include "acquisition/live_readings.h"
#include "acquisition/readings_table.h"
#include "common/messages.h"
#include "view/frm_data.h"

#include <QComboBox>
#include <QTest>
#include <QToolBar>

class TestE2eLive : public QObject
{
    Q_OBJECT

    std::unique_ptr<e2e::Fixture> m_f;

    loggersim::LoggerState &logger() { return m_f->sim().state(); }
    ReadingsTable &table() { return m_f->main().data()->table(); }
    QAction *live(const char *key) { return m_f->main().toolbarAction(QLatin1String(key)); }
    bool liveToolbarShown()
    {
        return !m_f->main().liveToolbar()->isHidden() && m_f->main().mainToolbar()->isHidden();
    }

private Q_SLOTS:
    void init()
    {
        m_f = std::make_unique<e2e::Fixture>(1);
        logger().model = loggersim::model::RV210;
        logger().serial = 77;
        logger().location = QByteArray("Greenhouse      ");
        logger().started = true;
    }
    void cleanup() { m_f.reset(); }

    // A run at "2 Seconds": rows arrive with temperature and humidity, stop keeps the rows and
    // the live toolbar, Done gives the main toolbar and the device commands back.
    void humidityLoggerRun()
    {
        QVERIFY2(m_f->start(), qPrintable(m_f->why()));
        QVERIFY(m_f->toolbar(QStringLiteral("RealTime")));
        QVERIFY(liveToolbarShown());
        QCOMPARE(m_f->main().ComboRTC()->currentText(), QStringLiteral("5 Seconds"));
        m_f->main().ComboRTC()->setCurrentIndex(0); // "2 Seconds"

        live("RTCStart")->trigger();
        QVERIFY(m_f->main().RTC_On);
        QCOMPARE(live("RTCStart")->text(), QStringLiteral("Stop Reading"));
        QVERIFY(!m_f->main().ComboRTC()->isEnabled());
        QVERIFY(m_f->deviceCommandsDisabled());

        QTRY_VERIFY_WITH_TIMEOUT(table().rows() >= 4, 12000); // heading + 3 readings
        QCOMPARE(table().cols(), 5);
        for (int r = 1; r < table().rows(); ++r) {
            bool tOk = false, hOk = false;
            table().text(r, 3).toDouble(&tOk);
            table().text(r, 4).toDouble(&hOk);
            QVERIFY2(tOk && hOk, qPrintable(table().text(r, 3) + " / " + table().text(r, 4)));
            QCOMPARE(table().text(r, 0), QString::number(r));
        }
        QCOMPARE(m_f->main().data()->locationCaption(), QStringLiteral(":    Greenhouse      "));

        live("RTCStart")->trigger(); // "Stop Reading"
        QVERIFY(!m_f->main().RTC_On);
        QCOMPARE(live("RTCStart")->text(), QStringLiteral("Start Reading"));
        QVERIFY(m_f->main().ComboRTC()->isEnabled());
        const int rows = table().rows();
        QTest::qWait(4500);
        QCOMPARE(table().rows(), rows);
        QVERIFY(liveToolbarShown());

        live("RTCClear")->trigger();
        QCOMPARE(table().rows(), 1);

        live("RTCDone")->trigger();
        QVERIFY(!liveToolbarShown());
        QVERIFY(m_f->deviceCommandsEnabled());
        QVERIFY(m_f->prompter().messages().isEmpty());
    }

    // The logger falls silent mid-run: one message, the rows received stay, and the toolbar
    // says "Start Reading" again with the controls usable.
    void loggerFallsSilent()
    {
        QVERIFY2(m_f->start(), qPrintable(m_f->why()));
        m_f->toolbar(QStringLiteral("RealTime"));
        m_f->main().ComboRTC()->setCurrentIndex(0);
        live("RTCStart")->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(table().rows() >= 3, 10000);
        m_f->sim().faults().silentFrames = -1;
        const int rows = table().rows();
        QTRY_VERIFY_WITH_TIMEOUT(!m_f->prompter().messages().isEmpty(), 30000);
        QCOMPARE(m_f->prompter().messages(), QStringList{msg::kNotResponding});
        QVERIFY(table().rows() >= rows);
        QCOMPARE(live("RTCStart")->text(), QStringLiteral("Start Reading"));
        QVERIFY(!m_f->main().RTC_On);
        QVERIFY(m_f->main().ComboRTC()->isEnabled());
        QVERIFY(m_f->deviceCommandsEnabled());
    }
};

QTEST_MAIN(TestE2eLive)
#include "test_e2e_live.moc"
