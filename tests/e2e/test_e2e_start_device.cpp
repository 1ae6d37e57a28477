// Programming a simulated logger for a new run through the real main window, the Start Device
// dialog, the real serial port and the real timers.

#include "tests/support/e2e_fixture.h"

#include "common/clock.h"
#include "common/datetext.h"
#include "common/messages.h"
#include "device/frm_data1.h"
#include "device/frm_id_dev.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

class TestE2eStartDevice : public QObject
{
    Q_OBJECT

    std::unique_ptr<e2e::Fixture> m_f;
    FixedClock m_now{QDateTime(QDate(2024, 5, 17), QTime(10, 20, 30))};

    loggersim::LoggerState &logger() { return m_f->sim().state(); }
    int framesSeen() { return m_f->sim().core().framesSeen(); }
    int openDialogs() { return int(m_f->main().findChildren<Frmdata1 *>().size()); }

    // Start Device from the toolbar, the readings left unread, confirmed: the dialog opens once
    // the logger has told what it holds (one parameter request).
    QPointer<Frmdata1> openStart()
    {
        m_f->prompter().yesNoCancelAnswers = {Prompter::Answer::No};
        m_f->prompter().yesNoAnswers = {true};
        m_f->toolbar(QStringLiteral("StartDevice"));
        // The caller checks what came.
        (void)QTest::qWaitFor([this] { return m_f->main().findChild<Frmdata1 *>() != nullptr; }, 4000);
        return m_f->main().findChild<Frmdata1 *>();
    }
    template<typename T> static T *w(Frmdata1 *d, const char *name)
    {
        T *found = d->findChild<T *>(QLatin1String(name));
        if (!found)
            qFatal("no widget %s", name);
        return found;
    }
    static void retype(Frmdata1 *d, const char *box, const QString &text)
    {
        auto *e = w<QLineEdit>(d, box);
        e->setFocus();
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Backspace);
        QTest::keyClicks(e, text);
    }
    // The main window handed back to the user.
    bool mainIsBack()
    {
        return m_f->main().isEnabled() && m_f->main().M_Show && m_f->deviceCommandsEnabled();
    }

private Q_SLOTS:
    void initTestCase()
    {
        Clock::install(&m_now);
        QLocale::setDefault(QLocale::c());
        datetext::localeChanged();
    }
    void cleanupTestCase() { Clock::install(nullptr); }
    void init()
    {
        m_f = std::make_unique<e2e::Fixture>(1);
        logger().model = loggersim::model::RV210;
        logger().serial = 45;
        logger().started = true;
        logger().intervalUnit = 'M';
        logger().intervalCount = 10;
        logger().clock = loggersim::RtcTime{2023, 1, 1, 0, 0, 0};
        m_f->sim().core().fillHistory(50);
    }
    void cleanup() { m_f.reset(); }

    // A delayed start: the logger ends up armed with the clock, interval and location sent,
    // and the program's own views of the logger say so.
    void startAfterDelay()
    {
        QVERIFY2(m_f->start(), qPrintable(m_f->why()));
        QPointer<Frmdata1> dlg = openStart();
        QVERIFY(dlg);
        QCOMPARE(m_f->prompter().shown.first().text,
                 msg::kReadBeforeErase.arg(QStringLiteral("50"), QStringLiteral("3 s")));
        QCOMPARE(m_f->prompter().shown.at(1).text, msg::kConfirmStartToolbar);
        QVERIFY(!m_f->main().isEnabled());
        QVERIFY(!m_f->main().M_Show);
        QVERIFY(m_f->deviceCommandsDisabled());
        QTRY_VERIFY_WITH_TIMEOUT(w<QPushButton>(dlg, "Command2")->isEnabled(), 4000);
        QCOMPARE(framesSeen(), 2); // what it holds, then the dialog's own parameter request

        QTest::mouseClick(w<QRadioButton>(dlg, "OptHour"), Qt::LeftButton);
        w<QComboBox>(dlg, "CmbInterval")->setCurrentIndex(1); // "2"
        QTest::mouseClick(w<QRadioButton>(dlg, "Optlater"), Qt::LeftButton);
        retype(dlg, "hrs", QStringLiteral("1"));
        retype(dlg, "min", QStringLiteral("30"));
        QTest::keyClicks(w<QLineEdit>(dlg, "TxtLocation"), QStringLiteral("Cold room 7"));
        QTest::mouseClick(w<QPushButton>(dlg, "Command2"), Qt::LeftButton);
        QVERIFY(w<QProgressBar>(dlg, "ProgressBar1")->isVisible());

        QTRY_VERIFY_WITH_TIMEOUT(w<QPushButton>(dlg, "Command2")->isEnabled(), 25000);
        QVERIFY(!w<QProgressBar>(dlg, "ProgressBar1")->isVisible());
        QCOMPARE(w<QLabel>(dlg, "LblStatus")->text(), msg::kAllStepsAcknowledged);
        QCOMPARE(framesSeen(), 14);
        QVERIFY(m_f->prompter().messages().isEmpty());

        QVERIFY(logger().waiting);
        QVERIFY(!logger().started);
        QCOMPARE(logger().secondsToStart, qint64(90 * 60));
        QCOMPARE(logger().storedBytes(), 0);
        QCOMPARE(logger().intervalUnit, 'H');
        QCOMPARE(logger().intervalCount, 2);
        QCOMPARE(logger().clock, (loggersim::RtcTime{2024, 5, 17, 10, 20, 30}));
        QCOMPARE(logger().location, QByteArray("Cold room 7     "));

        // The dialog stays for another run until "Exit".
        QVERIFY(dlg->isVisible());
        QVERIFY(!m_f->main().isEnabled());
        QTest::mouseClick(w<QPushButton>(dlg, "Command1"), Qt::LeftButton);
        QVERIFY(mainIsBack());
        QTRY_VERIFY(dlg.isNull());

        m_f->toolbar(QStringLiteral("DeviceTime"));
        QTRY_COMPARE_WITH_TIMEOUT(m_f->prompter().messages(), QStringList{"10:20:30"}, 4000);

        m_f->toolbar(QStringLiteral("IdentyDevice"));
        QPointer<frmIDdev> details = m_f->main().findChild<frmIDdev *>();
        QVERIFY(details);
        QLabel *status = details->findChild<QLabel *>("ldevstatus1");
        QTRY_COMPARE_WITH_TIMEOUT(status->text(), QStringLiteral(":     Start Later"), 4000);
        QCOMPARE(details->findChild<QLabel *>("linterval1")->text(),
                 QStringLiteral(":     2  Hours"));
        QCOMPARE(details->findChild<QLabel *>("Llocation1")->text(),
                 QStringLiteral(":    Cold room 7     "));
        details->close();
    }

    void neverEnabledLogger()
    {
        logger().serial = loggersim::LoggerState::kNoSerial;
        QVERIFY2(m_f->start(), qPrintable(m_f->why()));
        QPointer<Frmdata1> dlg = openStart();
        QVERIFY(dlg);
        QTRY_COMPARE_WITH_TIMEOUT(m_f->prompter().messages(), QStringList{msg::kNotEnabled},
                                  4000);
        QCOMPARE(m_f->lastMessage().icon, Prompter::Icon::Information);
        QVERIFY(mainIsBack());
        QTRY_VERIFY(dlg.isNull());
        QCOMPARE(framesSeen(), 2);
        QVERIFY(logger().started);
    }

    // A logger that never acknowledges: the step repeats and the dialog says which one waits;
    // going back to the main window brings the same dialog forward; "Exit" ends the run.
    void stepNeverAcknowledged()
    {
        m_f->sim().faults().badAcks = -1;
        QVERIFY2(m_f->start(), qPrintable(m_f->why()));
        QPointer<Frmdata1> dlg = openStart();
        QTRY_VERIFY_WITH_TIMEOUT(w<QPushButton>(dlg, "Command2")->isEnabled(), 4000);
        QTest::mouseClick(w<QPushButton>(dlg, "Command2"), Qt::LeftButton);
        QLabel *status = w<QLabel>(dlg, "LblStatus");
        QTRY_VERIFY_WITH_TIMEOUT(status->text().startsWith(
                                     msg::kWaitingForStep.arg(1).arg("seconds").arg(3).left(50)),
                                 6000);
        QVERIFY(status->isVisible());
        QCOMPARE(w<QProgressBar>(dlg, "ProgressBar1")->value(), 1);

        m_f->main().Activation();
        QCOMPARE(openDialogs(), 1);
        QVERIFY(!m_f->main().isEnabled());
        QVERIFY(dlg->isVisible());

        QTest::mouseClick(w<QPushButton>(dlg, "Command1"), Qt::LeftButton);
        QVERIFY(mainIsBack());
        const int seen = framesSeen();
        QTest::qWait(1500);
        QCOMPARE(framesSeen(), seen);
        QVERIFY(m_f->prompter().messages().isEmpty());
    }
};

QTEST_MAIN(TestE2eStartDevice)
#include "test_e2e_start_device.moc"
