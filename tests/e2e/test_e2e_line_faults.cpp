// A cable pulled (the simulator's line closed under the open port) through the real window:
// while idle and in the middle of every conversation. Each time the user hears of it once, the
// set shown stays, the window is usable, every device command says the port is invalid until a
// port is chosen again, and once the logger is plugged back in and its port chosen the next
// command works.
// And a port another program holds, chosen in the window and named to kestrun-cli.
#include "run/run_document.h"
#include "fault_support.h"

#include "acquisition/live_readings.h"
#include "app/data_commands.h"
#include "common/datetext.h"
#include "common/messages.h"
#include "device/device_details.h"
#include "device/frm_data1.h"
#include "device/frm_id_dev.h"
#include "device/start_device.h"
#include "tests/tools/cli_process.h"

#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr int kMs = 40000; // the longest conversation, a download, with room to spare

// What the loss of COM1 is reported as; the system's reason follows.
QString lostPrefix() { return msg::kPortLost.left(msg::kPortLost.indexOf(QLatin1String("%2"))).arg(1); }

enum Moment { Download, ClockQuery, Stop, ClearStop, LiveRun, StartSequence, Programming };

} // namespace

class TestE2eLineFaults : public QObject
{
    Q_OBJECT

    std::unique_ptr<e2e::Fixture> f;
    QTemporaryDir m_dir;

    loggersim::LoggerState &logger() { return f->sim().state(); }

    // The window shows a saved set, as it would before anything goes wrong.
    void showSavedSet()
    {
        const QString file = m_dir.filePath(QStringLiteral("shown.brv2"));
        QVERIFY(e2e::writeSavedSet(file, 6, 30));
        f->prompter().fileAnswers = {file};
        f->toolbar(QStringLiteral("Open"));
        QCOMPARE(f->main().data()->table().rows(), 31);
    }

    // Pulls the cable as soon as the logger has taken a frame starting with `letters`; once.
    void pullOnFrame(const QByteArray &letters)
    {
        auto once = std::make_shared<QMetaObject::Connection>();
        *once = connect(&f->sim(), &loggersim::LoggerSim::frameReceived, this,
                        [this, letters, once](const QByteArray &frame) {
                            if (!frame.startsWith(letters))
                                return;
                            disconnect(*once);
                            QTimer::singleShot(0, this, [this] { f->pullCable(); });
                        });
    }

    // The loss told once, and the port known to be gone.
    bool lossReported()
    {
        const QStringList m = f->prompter().messages();
        return m.size() == 1 && m.first().startsWith(lostPrefix()) && !f->main().ok_port() &&
               f->lastMessage().icon == Prompter::Icon::Warning;
    }

    bool busyPointer() const { return f->main().cursor().shape() == Qt::WaitCursor; }

    // Plugged back in and chosen again: Device Time answers.
    void backAgain()
    {
        f->sim().faults() = loggersim::Faults{};
        QVERIFY2(f->plugBackIn(), qPrintable(f->why()));
        f->menu(QStringLiteral("Com1"));
        QVERIFY(f->main().ok_port());
        f->prompter().clear();
        f->toolbar(QStringLiteral("DeviceTime"));
        QTRY_COMPARE_WITH_TIMEOUT(f->prompter().messages().size(), 1, 5000);
        QVERIFY2(datetext::parseTime(f->prompter().messages().first()).isValid(),
                 qPrintable(f->prompter().messages().first()));
        QVERIFY(f->deviceCommandsEnabled());
    }

private Q_SLOTS:
    void init()
    {
        f = std::make_unique<e2e::Fixture>();
        f->useReconnectableLink();
        logger().model = 2;
        logger().serial = 45;
        logger().started = true;
        logger().clock = loggersim::RtcTime{2024, 1, 1, 0, 0, 0};
        f->sim().core().fillHistory(200);
    }
    void cleanup() { f.reset(); }

    void portGoneWhileIdle_data()
    {
        QTest::addColumn<QString>("command");
        for (const char *key : {"ReadData", "RealTime", "DeviceTime", "IdentyDevice", "StartDevice",
                                "StopDevice", "ClearStop", "RTCStart"})
            QTest::newRow(key) << QString::fromLatin1(key);
    }
    void portGoneWhileIdle()
    {
        QFETCH(QString, command);
        QVERIFY2(f->start(), qPrintable(f->why()));
        showSavedSet();
        if (command == QLatin1String("RTCStart"))
            f->toolbar(QStringLiteral("RealTime")); // the live toolbar, before the cable goes
        const e2e::Shown before = e2e::Shown::of(f->main());
        f->prompter().clear();

        f->pullCable();
        QTRY_VERIFY_WITH_TIMEOUT(lossReported(), 5000);
        QVERIFY(f->main().statusPanel(0)->text().contains(QLatin1String("lost")));

        f->prompter().yesNoAnswers = {true};
        QVERIFY(f->toolbar(command));
        QCOMPARE(f->prompter().messages().size(), 2);
        QCOMPARE(f->prompter().messages().last(), msg::kInvalidPort);
        QVERIFY(f->deviceCommandsEnabled());
        QVERIFY(f->main().isEnabled());
        QVERIFY(!f->main().findChild<frmIDdev *>());
        QVERIFY(!f->main().findChild<Frmdata1 *>());
        QVERIFY(!f->main().live().isRunning());
        QVERIFY(e2e::Shown::of(f->main()) == before);

        backAgain();
    }

    // Another program holds the port chosen: no box, the old port closed, and every device
    // command answers that the port is invalid, in the window and in kestrun-cli, which also
    // says why.
    void busyPortAnswersEveryCommand()
    {
        QVERIFY2(f->start(), qPrintable(f->why()));
        loggersim::LoggerSim other;
        other.setPace(0);
        other.setSpeed(0);
        QString why;
        QVERIFY2(other.open(&why), qPrintable(why));
        const QString name = QStringLiteral("ttyKestrunBusy%1").arg(QCoreApplication::applicationPid());
        QVERIFY2(other.createLink(m_dir.filePath(name), &why), qPrintable(why));
        qputenv("KESTRUN_COM2", other.linkPath().toLocal8Bit());
        QSerialPort holder(other.linkPath());
        QVERIFY2(holder.open(QIODevice::ReadWrite), qPrintable(holder.errorString()));

        f->prompter().clear();
        f->menu(QStringLiteral("Com2"));
        QVERIFY(f->prompter().messages().isEmpty());
        QVERIFY(!f->main().ok_port());
        const QString status = f->main().statusPanel(0)->text();
        QCOMPARE(status, QStringLiteral("COM2 \u2192 %1: in use by another program").arg(other.linkPath()));
        for (const char *key : {"ReadData", "RealTime", "DeviceTime", "IdentyDevice", "StartDevice",
                                "StopDevice", "ClearStop", "RTCStart"}) {
            f->prompter().clear();
            f->prompter().yesNoAnswers = {true};
            QVERIFY(f->toolbar(QLatin1String(key)));
            QVERIFY2(f->prompter().messages() == QStringList{msg::kInvalidPort}, key);
        }
        QVERIFY(f->deviceCommandsEnabled());
        QCOMPARE(f->sim().core().framesSeen() + other.core().framesSeen(), 0);

        const clitest::Result r = clitest::run({"time", "--port", "2"});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.errText(), msg::kInvalidPort + '\n' + status + '\n');

        holder.close(); // let go: choosing the port again opens it
        f->menu(QStringLiteral("Com2"));
        QVERIFY(f->main().ok_port());
        qunsetenv("KESTRUN_COM2");
    }

    void cablePulledMidConversation_data()
    {
        QTest::addColumn<int>("moment");
        QTest::newRow("download") << int(Download);
        QTest::newRow("clock query") << int(ClockQuery);
        QTest::newRow("stop") << int(Stop);
        QTest::newRow("clear and stop") << int(ClearStop);
        QTest::newRow("live run") << int(LiveRun);
        QTest::newRow("start sequence") << int(StartSequence);
        QTest::newRow("identify programming") << int(Programming);
    }
    void cablePulledMidConversation()
    {
        QFETCH(int, moment);
        if (moment == Programming)
            logger().serial = loggersim::LoggerState::kNoSerial;
        if (moment == ClockQuery || moment == Stop || moment == ClearStop)
            f->sim().faults().silentFrames = -1; // the first frame goes out, nothing comes back
        QVERIFY2(f->start(), qPrintable(f->why()));
        showSavedSet();
        e2e::Shown before = e2e::Shown::of(f->main());
        f->prompter().clear();
        f->prompter().yesNoAnswers = {true};

        QPointer<Frmdata1> start;
        QPointer<frmIDdev> details;
        switch (Moment(moment)) {
        case Download: {
            f->sim().faults().hangUpAfterImageBytes = 100;
            QSignalSpy done(f->main().findChild<DataCommands *>(), &DataCommands::downloadFinished);
            f->toolbar(QStringLiteral("ReadData"));
            QVERIFY(done.wait(kMs));
            break;
        }
        case ClockQuery:
            pullOnFrame("RP");
            f->toolbar(QStringLiteral("DeviceTime"));
            break;
        case Stop:
            pullOnFrame("AT");
            f->toolbar(QStringLiteral("StopDevice"));
            break;
        case ClearStop:
            // Pulled while it asks what the logger holds: before that is known nothing is erased.
            pullOnFrame("RP");
            f->toolbar(QStringLiteral("ClearStop"));
            break;
        case LiveRun: {
            f->toolbar(QStringLiteral("RealTime"));
            f->main().ComboRTC()->setCurrentIndex(0); // "2 Seconds"
            QSignalSpy rows(&f->main().live(), &LiveReadings::rowAdded);
            f->toolbar(QStringLiteral("RTCStart"));
            QTRY_COMPARE_WITH_TIMEOUT(rows.size(), 2, 10000);
            before = e2e::Shown::of(f->main()); // the rows of the run so far must stay
            QCOMPARE(before.cells.size(), 3);
            f->pullCable();
            break;
        }
        case StartSequence: {
            f->toolbar(QStringLiteral("StartDevice")); // opens once the logger has said what it holds
            QTRY_VERIFY_WITH_TIMEOUT((start = f->main().findChild<Frmdata1 *>()), 5000);
            auto *send = start->findChild<QPushButton *>(QStringLiteral("Command2"));
            QTRY_VERIFY_WITH_TIMEOUT(send->isEnabled(), 5000);
            pullOnFrame("SH"); // step 3, the hours
            QTest::mouseClick(send, Qt::LeftButton);
            break;
        }
        case Programming: {
            f->toolbar(QStringLiteral("IdentyDevice"));
            details = f->main().findChild<frmIDdev *>();
            QVERIFY(details);
            QTRY_VERIFY_WITH_TIMEOUT(details->details().frame2Visible(), 5000);
            pullOnFrame("Y");
            details->details().setSerial(QStringLiteral("77"));
            details->details().Command2();
            break;
        }
        }

        QTRY_VERIFY_WITH_TIMEOUT(lossReported(), 10000);
        QVERIFY(!busyPointer());
        QVERIFY(e2e::Shown::of(f->main()) == before);
        if (start) {
            // The dialog says the run did not finish; only "Exit" is left.
            QCOMPARE(start->logic().statusText(), msg::kStartInterrupted.arg(3));
            QVERIFY(!start->findChild<QPushButton *>(QStringLiteral("Command2"))->isEnabled());
            QVERIFY(!start->logic().progressVisible());
            QTest::mouseClick(start->findChild<QPushButton *>(QStringLiteral("Command1")), Qt::LeftButton);
            QTRY_VERIFY(start.isNull());
            QVERIFY(f->main().isEnabled());
        }
        if (details) {
            QVERIFY(!details->details().progressVisible());
            QVERIFY(!details->details().busy());
            // "Send" without a port says what every command says.
            details->details().Command2();
            QCOMPARE(f->prompter().messages().last(), msg::kInvalidPort);
            details->close();
            QTRY_VERIFY(!details || !details->isVisible());
        }
        if (moment == LiveRun) {
            QVERIFY(!f->main().live().isRunning());
            QCOMPARE(f->main().toolbarAction(QStringLiteral("RTCStart"))->text(), QStringLiteral("Start Reading"));
            f->toolbar(QStringLiteral("RTCStart"));
            QCOMPARE(f->prompter().messages().last(), msg::kInvalidPort);
            f->toolbar(QStringLiteral("RTCDone"));
        }
        QVERIFY(f->deviceCommandsEnabled());
        f->toolbar(QStringLiteral("ReadData"));
        QCOMPARE(f->prompter().messages().last(), msg::kInvalidPort);

        backAgain();
        if (moment == Download) {
            // The same conversation, with the logger back, replaces the set.
            QSignalSpy done(f->main().findChild<DataCommands *>(), &DataCommands::downloadFinished);
            f->prompter().clear();
            f->toolbar(QStringLiteral("ReadData"));
            QVERIFY(done.wait(kMs));
            QVERIFY(f->prompter().messages().isEmpty());
            QCOMPARE(f->main().data()->table().rows(), 201);
            QCOMPARE(f->main().document().origin(), RunOrigin::Download);
        }
    }
};

QTEST_MAIN(TestE2eLineFaults)
#include "test_e2e_line_faults.moc"
