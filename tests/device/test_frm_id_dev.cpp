// The Device Details window: that its widgets show what the logger said, that typing and "Send"
// reach the logger, and that closing it gives the main window its commands back.

#include "tests/support/fake_host.h"

#include "common/clock.h"
#include "common/messages.h"
#include "device/command_frame.h"
#include "device/frm_id_dev.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

namespace {

QByteArray block(quint8 serHi, quint8 serLo)
{
    QByteArray p(40, '\0');
    p[6] = 0x02;
    p[7] = 'H';
    p[8] = 0;
    p[9] = 2;
    p[16] = char(0xE8);
    p[17] = 0x03;
    p[18] = 2;
    p[19] = 6;
    p[20] = 5;
    p[21] = 13;
    p[22] = char(serHi);
    p[23] = char(serLo);
    p.replace(24, 16, "Ward 7 fridge   ");
    return p;
}

} // namespace

class TestFrmIdDev : public QObject
{
    Q_OBJECT

    std::unique_ptr<FakeHost> m_host;
    QPointer<frmIDdev> m_dlg;
    FixedClock m_clock{QDateTime(QDate(2031, 11, 2), QTime(8, 0))};

    template<typename T> T *w(const char *name) const
    {
        T *found = m_dlg->findChild<T *>(QLatin1String(name));
        if (!found)
            qFatal("no widget %s", name);
        return found;
    }
    QString text(const char *label) const { return w<QLabel>(label)->text(); }

    void answer(const QByteArray &reply)
    {
        m_host->port.feed(reply);
        m_dlg->details().TimerPara().onTimer();
    }

private Q_SLOTS:
    void initTestCase() { Clock::install(&m_clock); }
    void cleanupTestCase() { Clock::install(nullptr); }
    void init()
    {
        m_host = std::make_unique<FakeHost>();
        m_dlg = new frmIDdev(*m_host);
        m_dlg->show();
    }
    void cleanup()
    {
        delete m_dlg.data();
        m_host.reset();
    }

    void showingAsksTheLogger()
    {
        QCOMPARE(m_dlg->windowTitle(), msg::kDeviceDetailsCaption);
        QCOMPARE(m_host->port.written, QList<QByteArray>{frames::make('R', 'P')});
        QVERIFY(!m_host->enabled);
        QCOMPARE(m_dlg->cursor().shape(), Qt::WaitCursor);
        QVERIFY(w<QGroupBox>("Frame1")->isVisible());
        QVERIFY(!w<QGroupBox>("Frame2")->isVisible());
        QVERIFY(!w<QLabel>("lSerNo")->isVisible());
        QVERIFY(!w<QLabel>("Llocation1")->isVisible());
        QCOMPARE(text("ldevstatus"), QStringLiteral("Device Status"));
        QCOMPARE(text("lno_readings"), QStringLiteral("No of Readings"));
    }

    void detailsShown()
    {
        answer(block(0x00, 0xFF));
        QCOMPARE(text("lserno1"), QStringLiteral(":     0255 06 05 13"));
        QCOMPARE(text("Llocation1"), QStringLiteral(":    Ward 7 fridge   "));
        QCOMPARE(text("lmodel1"), QStringLiteral(":     RV-210"));
        QCOMPARE(text("ldevstatus1"), QStringLiteral(":     Started"));
        QCOMPARE(text("lno_readings1"), QStringLiteral(":     250"));
        QCOMPARE(text("linterval1"), QStringLiteral(":     2  Hours"));
        QVERIFY(w<QLabel>("lSerNo")->isVisible());
        QVERIFY(w<QLabel>("Llocation")->isVisible());
        QCOMPARE(m_dlg->cursor().shape(), Qt::ArrowCursor);
    }

    void programmingThroughTheWidgets()
    {
        answer(block(0xFF, 0xFF));
        QVERIFY(!w<QGroupBox>("Frame1")->isVisible());
        QVERIFY(w<QGroupBox>("Frame2")->isVisible());
        QVERIFY(!w<QProgressBar>("ProgressBar1")->isVisible());
        QCOMPARE(w<QLineEdit>("tday")->text(), QStringLiteral("2"));
        QCOMPARE(w<QLineEdit>("tmnt")->text(), QStringLiteral("11"));
        QCOMPARE(w<QLineEdit>("tyrs")->text(), QStringLiteral("31"));
        QVERIFY(m_dlg->findChild<QLabel *>("lNotEnabled")->text() == msg::kEnablePanel);

        // A refused number says so and leaves "Send" usable.
        QTest::keyClicks(w<QLineEdit>("tSerno"), QStringLiteral("10000"));
        QPushButton *send = w<QPushButton>("Command2");
        QCOMPARE(send->text(), msg::kSend);
        m_host->port.written.clear();
        QTest::mouseClick(send, Qt::LeftButton);
        QCOMPARE(m_host->prompts.messages(), QStringList{msg::kSerNoOutOfRange});
        QVERIFY(m_host->port.written.isEmpty());
        QVERIFY(send->isEnabled());

        w<QLineEdit>("tSerno")->clear();
        QTest::keyClicks(w<QLineEdit>("tSerno"), QStringLiteral("513"));
        w<QLineEdit>("tday")->selectAll();
        QTest::keyClicks(w<QLineEdit>("tday"), QStringLiteral("9"));
        QTest::mouseClick(send, Qt::LeftButton);
        QCOMPARE(m_host->port.written, QList<QByteArray>{frames::make('Y', 9, 11, 31, 0)});
        QVERIFY(!send->isEnabled());
        QVERIFY(w<QProgressBar>("ProgressBar1")->isVisible());
        QCOMPARE(w<QProgressBar>("ProgressBar1")->value(), 1);
    }

    // Closing the window ends the waiting step, gives the commands back and destroys it.
    void closingEndsEverything()
    {
        answer(block(0xFF, 0xFF));
        QTest::keyClicks(w<QLineEdit>("tSerno"), QStringLiteral("12"));
        QTest::mouseClick(w<QPushButton>("Command2"), Qt::LeftButton);
        QVERIFY(m_dlg->details().SendTimer().isRunning());
        // Escape is no way around the closing steps.
        QTest::keyClick(m_dlg, Qt::Key_Escape);
        QVERIFY(m_dlg->isVisible());

        QVERIFY(m_dlg->close());
        QVERIFY(m_host->enabled);
        QCOMPARE(m_host->busy, 0);
        QVERIFY(!m_dlg->details().SendTimer().isRunning());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(m_dlg.isNull());
    }
};

QTEST_MAIN(TestFrmIdDev)
#include "test_frm_id_dev.moc"
