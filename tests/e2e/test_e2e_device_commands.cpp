// Identify, enable, stop, clear and read the clock of a simulated logger through the real main
// window, the real serial port and the real timers.

#include "tests/support/e2e_fixture.h"

#include "common/clock.h"
#include "common/datetext.h"
#include "archive/archive_texts.h"
#include "common/messages.h"
#include "view/frm_data.h"
#include "run/run_document.h"
#include "device/frm_id_dev.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QTest>

using Icon = Prompter::Icon;

class TestE2eDeviceCommands : public QObject
{
    Q_OBJECT

    std::unique_ptr<e2e::Fixture> m_f;
    FixedClock m_today{QDateTime(QDate(2024, 5, 17), QTime(10, 0))};

    loggersim::LoggerState &logger() { return m_f->sim().state(); }
    int framesSeen() { return m_f->sim().core().framesSeen(); }

    QPointer<frmIDdev> openDetails()
    {
        m_f->toolbar(QStringLiteral("IdentyDevice"));
        return m_f->main().findChild<frmIDdev *>();
    }
    static QString label(frmIDdev *d, const char *name)
    {
        return d->findChild<QLabel *>(QLatin1String(name))->text();
    }
    static bool shown(frmIDdev *d, const char *frame)
    {
        return d->findChild<QGroupBox *>(QLatin1String(frame))->isVisible();
    }

private Q_SLOTS:
    void initTestCase()
    {
        Clock::install(&m_today);
        QLocale::setDefault(QLocale::c());
        datetext::localeChanged();
    }
    void cleanupTestCase() { Clock::install(nullptr); }
    void init()
    {
        m_f = std::make_unique<e2e::Fixture>(1);
        logger().model = loggersim::model::RV220;
        logger().started = true;
        logger().intervalUnit = 'M';
        logger().intervalCount = 15;
        logger().setLocation("Freezer room 2");
        m_f->sim().core().fillHistory(30);
    }
    void cleanup() { m_f.reset(); }

    // A logger never given a serial number: the programming panel, "Y" and "X", then its
    // details with the new number.
    void enableThenIdentify()
    {
        logger().serial = loggersim::LoggerState::kNoSerial;
        QVERIFY2(m_f->start(), qPrintable(m_f->why()));
        QPointer<frmIDdev> dlg = openDetails();
        QVERIFY(dlg);
        QVERIFY(m_f->deviceCommandsDisabled());
        QTRY_VERIFY_WITH_TIMEOUT(shown(dlg, "Frame2"), 4000);
        QVERIFY(!shown(dlg, "Frame1"));
        QCOMPARE(dlg->findChild<QLineEdit *>("tday")->text(), QStringLiteral("17"));

        QTest::keyClicks(dlg->findChild<QLineEdit *>("tSerno"), QStringLiteral("4321"));
        QTest::mouseClick(dlg->findChild<QPushButton *>("Command2"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(shown(dlg, "Frame1") &&
                                     label(dlg, "lserno1") == QLatin1String(":     4321 17 05 24"),
                                 10000);
        QCOMPARE(logger().serial, quint16(4321));
        QCOMPARE(logger().idBytes, (std::array<quint8, 3>{17, 5, 24}));
        QCOMPARE(label(dlg, "lmodel1"), QStringLiteral(":     RV-220"));
        QCOMPARE(label(dlg, "ldevstatus1"), QStringLiteral(":     Started"));
        QCOMPARE(label(dlg, "lno_readings1"), QStringLiteral(":     30"));
        QCOMPARE(label(dlg, "linterval1"), QStringLiteral(":     15  Minutes"));
        QCOMPARE(label(dlg, "Llocation1"), QStringLiteral(":    Freezer room 2  "));
        QVERIFY(m_f->prompter().shown.isEmpty());
        QVERIFY(m_f->deviceCommandsDisabled());

        dlg->close();
        QVERIFY(m_f->deviceCommandsEnabled());
        QTRY_VERIFY(dlg.isNull());
    }

    // A logger whose parameter block comes one byte too long is not believed; five requests,
    // then the warning, and the commands stay off until the dialog is closed.
    void identifyWrongLength()
    {
        logger().serial = 45;
        m_f->sim().faults().lengthDelta = 1;
        QVERIFY2(m_f->start(), qPrintable(m_f->why()));
        QPointer<frmIDdev> dlg = openDetails();
        QTRY_COMPARE_WITH_TIMEOUT(m_f->prompter().messages(), QStringList{msg::kNotResponding},
                                  8000);
        QCOMPARE(m_f->lastMessage().title, msg::kTitleWarningDots);
        QCOMPARE(framesSeen(), 5);
        QVERIFY(!dlg->findChild<QLabel *>("lserno1")->isVisible());
        QVERIFY(m_f->deviceCommandsDisabled());
        dlg->close();
        QVERIFY(m_f->deviceCommandsEnabled());
    }

    void stopRunningLogger()
    {
        QVERIFY2(m_f->start(), qPrintable(m_f->why()));
        m_f->prompter().yesNoAnswers = {true};
        m_f->toolbar(QStringLiteral("StopDevice"));
        QVERIFY(m_f->deviceCommandsDisabled());
        QTRY_COMPARE_WITH_TIMEOUT(m_f->prompter().messages(), QStringList{msg::kDeviceIsStopped},
                                  4000);
        QCOMPARE(m_f->prompter().shown.first().text, msg::kConfirmStop);
        QCOMPARE(m_f->lastMessage().icon, Icon::Information);
        QVERIFY(!logger().started);
        QVERIFY(m_f->deviceCommandsEnabled());
    }

    void stopNeverAcknowledged()
    {
        m_f->sim().faults().badAcks = -1;
        QVERIFY2(m_f->start(), qPrintable(m_f->why()));
        m_f->prompter().yesNoAnswers = {true};
        m_f->menu(QStringLiteral("StopDevice"));
        QTRY_COMPARE_WITH_TIMEOUT(m_f->prompter().messages(), QStringList{msg::kNotStopped},
                                  8000);
        QCOMPARE(m_f->lastMessage().title, msg::kTitleWarning);
        QCOMPARE(m_f->lastMessage().icon, Icon::Information);
        QCOMPARE(framesSeen(), 4);
        QVERIFY(m_f->deviceCommandsEnabled());
    }

    // Before Clear & Stop erases the readings it offers to read and keep them; only a run the
    // archive has taken, or the user's No, lets the erase go on.
    void clearAndStop_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("archiveBroken");
        QTest::addColumn<bool>("erased");
        QTest::addColumn<int>("shownReadings");
        QTest::addColumn<int>("frames");
        using A = Prompter::Answer;
        QTest::newRow("read and kept, then erased") << int(A::Yes) << false << true << 30 << 5;
        QTest::newRow("erased unread") << int(A::No) << false << true << 0 << 3;
        QTest::newRow("cancelled") << int(A::Cancel) << false << false << 0 << 1;
        QTest::newRow("not kept, not erased") << int(A::Yes) << true << false << 30 << 3;
    }
    void clearAndStop()
    {
        QFETCH(int, answer);
        QFETCH(bool, archiveBroken);
        QFETCH(bool, erased);
        QFETCH(int, shownReadings);
        QFETCH(int, frames);
        const QByteArray archive = qgetenv("KESTRUN_ARCHIVE");
        if (archiveBroken) // a folder below a file: the run cannot be kept
            qputenv("KESTRUN_ARCHIVE", QFile::encodeName(QCoreApplication::applicationFilePath()) + "/archive");
        logger().serial = 45;
        const int stored = logger().storedBytes();
        QVERIFY(stored > 0);
        QVERIFY2(m_f->start(), qPrintable(m_f->why()));
        qputenv("KESTRUN_ARCHIVE", archive);
        m_f->prompter().yesNoCancelAnswers = {Prompter::Answer(answer)};
        m_f->prompter().yesNoAnswers = {true};
        m_f->menu(QStringLiteral("ClearStopDevice"));
        QTRY_VERIFY_WITH_TIMEOUT(!m_f->prompter().shown.isEmpty(), 4000);
        QCOMPARE(m_f->prompter().shown.first().text,
                 msg::kReadBeforeErase.arg(QStringLiteral("30"), QStringLiteral("2 s")));
        if (erased) {
            QTRY_COMPARE_WITH_TIMEOUT(m_f->prompter().messages(), QStringList{msg::kCleared}, 20000);
            QCOMPARE(m_f->prompter().shown.at(1).text, msg::kConfirmErase);
            QCOMPARE(logger().storedBytes(), 0);
            QVERIFY(!logger().started);
        } else if (archiveBroken) {
            QTRY_COMPARE_WITH_TIMEOUT(m_f->prompter().messages().size(), 1, 20000);
            QVERIFY2(m_f->prompter().messages().first().startsWith(archivetext::kNotKept.left(20)), qPrintable(m_f->prompter().messages().join("|")));
        }
        QTRY_VERIFY_WITH_TIMEOUT(m_f->deviceCommandsEnabled(), 4000);
        if (!erased) {
            QCOMPARE(logger().storedBytes(), stored);
            QCOMPARE(m_f->prompter().shown.size(), archiveBroken ? 2 : 1); // no confirmation
        }
        QCOMPARE(m_f->main().document().readingCount(), shownReadings);
        QCOMPARE(framesSeen(), frames);
    }

    // A refused acknowledgement ends the erase at once, without a second try.
    void clearRefused()
    {
        m_f->sim().faults().badAcks = 1;
        QVERIFY2(m_f->start(), qPrintable(m_f->why()));
        m_f->prompter().yesNoAnswers = {true};
        m_f->toolbar(QStringLiteral("ClearStop"));
        QTRY_COMPARE_WITH_TIMEOUT(m_f->prompter().messages(), QStringList{msg::kError}, 6000);
        QCOMPARE(m_f->lastMessage().title, msg::kTitleWarning);
        QCOMPARE(framesSeen(), 2); // the parameter block asked before, then the refused erase
        QVERIFY(m_f->deviceCommandsEnabled());
    }

    // No to a confirmation erases and stops nothing; Clear & Stop has only asked the logger
    // what it holds (a logger never enabled holds nothing a download could keep).
    void noToConfirmationSendsNothing()
    {
        QVERIFY2(m_f->start(), qPrintable(m_f->why()));
        m_f->toolbar(QStringLiteral("StopDevice"));
        m_f->toolbar(QStringLiteral("ClearStop"));
        QTRY_COMPARE_WITH_TIMEOUT(m_f->prompter().shown.size(), 2, 4000);
        QTest::qWait(300);
        QCOMPARE(framesSeen(), 1);
        QVERIFY(logger().started);
        QVERIFY(m_f->deviceCommandsEnabled());
    }

    void deviceTime_data()
    {
        QTest::addColumn<bool>("started");
        QTest::addColumn<bool>("waiting");
        QTest::addColumn<int>("silent");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("frames");
        QTest::newRow("logging") << true << false << 0 << "12:30:45" << 1;
        QTest::newRow("delayed start") << false << true << 0 << "12:30:45" << 1;
        QTest::newRow("stopped") << false << false << 0 << msg::kDeviceIsStoppedClock << 1;
        QTest::newRow("two frames lost") << true << false << 2 << "12:30:45" << 3;
        QTest::newRow("silent") << true << false << -1 << msg::kNotResponding << 5;
    }
    void deviceTime()
    {
        QFETCH(bool, started);
        QFETCH(bool, waiting);
        QFETCH(int, silent);
        QFETCH(QString, text);
        QFETCH(int, frames);
        logger().started = started;
        logger().waiting = waiting;
        logger().secondsToStart = 3600;
        logger().clock = loggersim::RtcTime{2024, 5, 17, 12, 30, 45};
        m_f->sim().faults().silentFrames = silent;
        QVERIFY2(m_f->start(), qPrintable(m_f->why()));
        m_f->toolbar(QStringLiteral("DeviceTime"));
        QVERIFY(m_f->deviceCommandsDisabled());
        QTRY_COMPARE_WITH_TIMEOUT(m_f->prompter().messages(), QStringList{text}, 5000);
        QCOMPARE(framesSeen(), frames);
        QVERIFY(m_f->deviceCommandsEnabled());
    }
};

QTEST_MAIN(TestE2eDeviceCommands)
#include "test_e2e_device_commands.moc"
