// Device Time, Stop Device and Clear & Stop Device against a fake port: what is sent, how often,
// what the user is told, the outcome as values (the clock read, why a command failed), and that
// the main window's commands come back on every outcome.

#include "tests/support/fake_host.h"

#include "common/app_info.h"
#include "common/datetext.h"
#include "common/messages.h"
#include "device/command_frame.h"
#include "device/device_commands.h"

#include <QLocale>
#include <QTest>
#include <QTime>

using Icon = Prompter::Icon;
using Frames = QList<QByteArray>;
using Replies = QList<QByteArray>; // one entry per poll; an empty entry is silence

Q_DECLARE_METATYPE(Prompter::Icon)

namespace {

enum Command { Time, Stop, Erase };

// A parameter block of `length` bytes with the status and the BCD clock registers set.
QByteArray params(int length, quint8 status, quint8 sec = 0, quint8 min = 0, quint8 hour = 0)
{
    QByteArray p(40, '\0');
    p[6] = char(status);
    p[10] = char(sec);
    p[12] = char(min);
    p[14] = char(hour);
    p[18] = 2;
    return p.left(length);
}

QByteArray ack(int extra = 0) { return frames::acknowledgement() + QByteArray(extra, '\0'); }
QByteArray badAck(int length = 9)
{
    QByteArray b = ack(length - 9);
    b[8] = 4;
    return b;
}

const QByteArray kRP = frames::make('R', 'P');
const QByteArray kAT = frames::make('A', 'T');
const QByteArray kAL = frames::make('A', 'L', 0, 5, 0);

Frames times(const QByteArray &f, int n) { return Frames(n, f); }

} // namespace

class TestDeviceCommands : public QObject
{
    Q_OBJECT

    std::unique_ptr<FakeHost> m_host;
    std::unique_ptr<DeviceCommands> m_cmds;

    void run(Command c)
    {
        switch (c) {
        case Time:
            m_cmds->Device_Time();
            break;
        case Stop:
            m_cmds->Confirm_Stop();
            break;
        case Erase:
            m_cmds->Erase_Data();
            break;
        }
    }

    // Fires whichever wait is running, after putting the poll's reply on the line, until the
    // command ends. Returns the number of polls.
    int drive(const Replies &replies)
    {
        int poll = 0;
        while (m_cmds->isRunning() && poll < 50) {
            // While a command runs the other device commands stay off.
            if (m_host->enabled || m_host->busy != 1)
                return -1;
            if (poll < replies.size())
                m_host->port.feed(replies.at(poll));
            ++poll;
            if (m_cmds->TimerPara().isRunning())
                m_cmds->TimerPara().onTimer();
            else if (m_cmds->TimerStop().isRunning())
                m_cmds->TimerStop().onTimer();
            else
                m_cmds->TmrData().onTimer();
        }
        return poll;
    }

private Q_SLOTS:
    void initTestCase()
    {
        // The clock is shown in the system's time format; pin one so the text is known.
        QLocale::setDefault(QLocale::c());
        datetext::localeChanged();
    }
    void init()
    {
        m_host = std::make_unique<FakeHost>();
        m_cmds = std::make_unique<DeviceCommands>(*m_host);
    }
    void cleanup()
    {
        m_cmds.reset();
        m_host.reset();
    }

    // Every command from its start to its one message.
    void outcomes_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<Replies>("replies");
        QTest::addColumn<Frames>("sent");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("title");
        QTest::addColumn<Icon>("icon");
        QTest::addColumn<QTime>("clock");    // what Device Time read; invalid: stopped or none
        QTest::addColumn<QString>("reason"); // why the command failed; empty: it did not
        const QString none;
        const QString app = appinfo::title();

        // Device Time
        QTest::newRow("clock: started logger shows its time")
            << int(Time) << Replies{params(40, 0x02, 0x45, 0x30, 0x12)} << Frames{kRP} << "12:30:45"
            << app << Icon::Information << QTime(12, 30, 45) << none;
        QTest::newRow("clock: delayed start shows the time, not stopped")
            << int(Time) << Replies{params(40, 0x04, 0x07, 0x59, 0x23)} << Frames{kRP} << "23:59:07"
            << app << Icon::Information << QTime(23, 59, 7) << none;
        QTest::newRow("clock: memory-full flag alone is stopped")
            << int(Time) << Replies{params(40, 0x01, 0x45, 0x30, 0x12)} << Frames{kRP}
            << msg::kDeviceIsStoppedClock << app << Icon::None << QTime() << none;
        QTest::newRow("clock: stopped")
            << int(Time) << Replies{params(40, 0x00)} << Frames{kRP} << msg::kDeviceIsStoppedClock
            << app << Icon::None << QTime() << none;
        QTest::newRow("clock: 19 bytes are enough")
            << int(Time) << Replies{params(19, 0x02, 0x01, 0x02, 0x03)} << Frames{kRP} << "03:02:01"
            << app << Icon::Information << QTime(3, 2, 1) << none;
        QTest::newRow("clock: 18 bytes are not, the 19 of the next poll are")
            << int(Time) << Replies{params(18, 0x02), params(19, 0x02, 0x01, 0x02, 0x03)}
            << times(kRP, 2) << "03:02:01" << app << Icon::Information << QTime(3, 2, 1) << none;
        QTest::newRow("clock: seconds 75 carry into the minute")
            << int(Time) << Replies{params(40, 0x02, 0x75, 0x59, 0x10)} << Frames{kRP} << "11:00:15"
            << app << Icon::Information << QTime(11, 0, 15) << none;
        QTest::newRow("clock: hour 25 wraps to the next day")
            << int(Time) << Replies{params(40, 0x02, 0x00, 0x05, 0x25)} << Frames{kRP} << "01:05:00"
            << app << Icon::Information << QTime(1, 5, 0) << none;
        QTest::newRow("clock: 18 bytes every time, 5 sends")
            << int(Time) << Replies(8, params(18, 0x02)) << times(kRP, 5) << msg::kNotResponding
            << msg::kTitleWarningDots << Icon::None << QTime()
            << "no valid reply to 5 requests: the last brought 18 bytes, at least 19 wanted";

        // Stop Device
        QTest::newRow("stop: acknowledged")
            << int(Stop) << Replies{ack()} << Frames{kAT} << msg::kDeviceIsStopped << app
            << Icon::Information << QTime() << none;
        QTest::newRow("stop: 10-byte acknowledgement refused, then a proper one")
            << int(Stop) << Replies{ack(1), ack()} << times(kAT, 2) << msg::kDeviceIsStopped << app
            << Icon::Information << QTime() << none;
        QTest::newRow("stop: acknowledged on the fourth send")
            << int(Stop) << Replies{{}, badAck(), ack(3), ack()} << times(kAT, 4)
            << msg::kDeviceIsStopped << app << Icon::Information << QTime() << none;
        QTest::newRow("stop: never acknowledged, 4 sends")
            << int(Stop) << Replies(8, ack(1)) << times(kAT, 4) << msg::kNotStopped
            << msg::kTitleWarning << Icon::Information << QTime()
            << "no valid reply to 4 requests: the last brought 10 bytes, 9 wanted";

        // Clear & Stop
        QTest::newRow("erase: both steps acknowledged")
            << int(Erase) << Replies{ack(), ack()} << Frames{kAL, kAT} << msg::kCleared << app
            << Icon::Information << QTime() << none;
        QTest::newRow("erase: 12-byte acknowledgement accepted")
            << int(Erase) << Replies{ack(3), ack(3)} << Frames{kAL, kAT} << msg::kCleared << app
            << Icon::Information << QTime() << none;
        QTest::newRow("erase: 12 bytes without 1 2 3 fail at once")
            << int(Erase) << Replies{badAck(12)} << Frames{kAL} << msg::kError << msg::kTitleWarning
            << Icon::Information << QTime() << "the reply of 12 bytes is no acknowledgement";
        QTest::newRow("erase: short replies resent, the fifth send acknowledged")
            << int(Erase) << Replies{{}, ack().left(8), {}, {}, ack(), ack()}
            << times(kAL, 5) + Frames{kAT} << msg::kCleared << app << Icon::Information << QTime()
            << none;
        QTest::newRow("erase: no reply to the erase, 5 sends")
            << int(Erase) << Replies{} << times(kAL, 5) << msg::kError << msg::kTitleWarning
            << Icon::Information << QTime()
            << "no valid reply to 5 requests: the last brought nothing, at least 9 wanted";
        QTest::newRow("erase: stop step has its own 5 sends")
            << int(Erase) << Replies{{}, {}, ack()} << times(kAL, 3) + times(kAT, 5) << msg::kError
            << msg::kTitleWarning << Icon::Information << QTime()
            << "no valid reply to 5 requests: the last brought nothing, at least 9 wanted";
        QTest::newRow("erase: stop step refused")
            << int(Erase) << Replies{ack(), badAck()} << Frames{kAL, kAT} << msg::kError
            << msg::kTitleWarning << Icon::Information << QTime()
            << "the reply of 9 bytes is no acknowledgement";
    }
    void outcomes()
    {
        QFETCH(int, command);
        QFETCH(Replies, replies);
        QFETCH(Frames, sent);
        QFETCH(QString, text);
        QFETCH(QString, title);
        QFETCH(Icon, icon);
        QFETCH(QTime, clock);
        QFETCH(QString, reason);

        m_host->prompts.yesNoAnswers = {true};
        run(Command(command));
        QCOMPARE(m_host->port.written.size(), 1); // the first frame is out, nothing waited on
        QCOMPARE(drive(replies) > 0, true);

        QCOMPARE(m_host->port.written, sent);
        QCOMPARE(m_host->prompts.messages(), QStringList{text});
        const auto &shown = m_host->prompts.shown.last();
        QCOMPARE(shown.title, title);
        QCOMPARE(shown.icon, icon);
        // Whatever the outcome: the commands are back, the hourglass is gone, nothing waits.
        QVERIFY(m_host->enabled);
        QCOMPARE(m_host->disables, 1);
        QCOMPARE(m_host->enables, 1);
        QCOMPARE(m_host->busy, 0);
        QVERIFY(!m_cmds->isRunning());
        QCOMPARE(m_cmds->eraseStep(), DeviceCommands::EraseStep::None);

        // The outcome as values, which the box was made from.
        const bool failed = !reason.isEmpty();
        const DeviceError why{DeviceError::Kind::NoValidReply, text, reason};
        QCOMPARE(m_cmds->error(), failed ? std::optional(why) : std::nullopt);
        QCOMPARE(m_cmds->clock().has_value(), command == Time && !failed);
        if (m_cmds->clock()) {
            QCOMPARE(m_cmds->clock()->stopped, !clock.isValid());
            QCOMPARE(m_cmds->clock()->time, clock);
        }
    }

    // The questions before stopping and erasing, and what No does.
    void confirmations_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("question");
        QTest::newRow("stop") << int(Stop) << msg::kConfirmStop;
        QTest::newRow("erase") << int(Erase) << msg::kConfirmErase;
    }
    void confirmations()
    {
        QFETCH(int, command);
        QFETCH(QString, question);
        run(Command(command)); // the scripted prompter answers No
        QCOMPARE(m_host->prompts.shown.size(), 1);
        const auto &q = m_host->prompts.shown.first();
        QCOMPARE(q.kind, QStringLiteral("question"));
        QCOMPARE(q.text, question);
        QVERIFY(q.text.endsWith(QLatin1String("...? ")));
        QCOMPARE(q.title, appinfo::title());
        QCOMPARE(q.icon, Icon::Information);
        QVERIFY(m_host->port.written.isEmpty());
        QCOMPARE(m_host->disables, 0);
        QVERIFY(m_host->enabled);
        QCOMPARE(m_host->busy, 0);
        QVERIFY(!m_cmds->isRunning());
    }

    // A port that is not usable: one message, no question, nothing sent, nothing disabled.
    void invalidPort_data()
    {
        QTest::addColumn<int>("command");
        QTest::newRow("Device Time") << int(Time);
        QTest::newRow("Stop Device") << int(Stop);
        QTest::newRow("Clear & Stop") << int(Erase);
        QTest::newRow("Stop_Device directly") << 3;
    }
    void invalidPort()
    {
        QFETCH(int, command);
        m_host->ok = false;
        m_host->prompts.yesNoAnswers = {true};
        if (command == 3)
            m_cmds->Stop_Device();
        else
            run(Command(command));
        QCOMPARE(m_host->prompts.shown.size(), 1);
        QCOMPARE(m_host->prompts.shown.first().kind, QStringLiteral("message"));
        QCOMPARE(m_host->prompts.shown.first().text, msg::kInvalidPort);
        QCOMPARE(m_host->prompts.shown.first().title, appinfo::title());
        QCOMPARE(m_host->prompts.shown.first().icon, Icon::None);
        QVERIFY(m_host->port.written.isEmpty());
        QCOMPARE(m_host->disables, 0);
        QVERIFY(!m_cmds->isRunning());
        QCOMPARE(m_cmds->error(),
                 std::optional(DeviceError{DeviceError::Kind::InvalidPort, msg::kInvalidPort}));
    }

    // A cable pulled while a command waits: no box of the command's own (the main window
    // reports the loss), the commands back, and the system's reason kept.
    void cablePulled_data()
    {
        QTest::addColumn<int>("command");
        QTest::newRow("Device Time") << int(Time);
        QTest::newRow("Stop Device") << int(Stop);
        QTest::newRow("Clear & Stop") << int(Erase);
    }
    void cablePulled()
    {
        QFETCH(int, command);
        m_host->prompts.yesNoAnswers = {true};
        run(Command(command));
        QVERIFY(m_cmds->isRunning());
        m_host->prompts.shown.clear();
        m_host->port.pull();
        QVERIFY(!m_cmds->isRunning());
        QVERIFY(m_host->prompts.shown.isEmpty());
        QVERIFY(m_host->enabled);
        QCOMPARE(m_host->busy, 0);
        QCOMPARE(m_cmds->error(),
                 std::optional(DeviceError{DeviceError::Kind::LinkLost, QString(), "gone"}));
        QVERIFY(!m_cmds->clock());
    }

    // The clock query sets only the letters: the parameter bytes go out as the previous command
    // of the main window left them, with the check byte computed over them.
    void clockQueryKeepsUnnamedBytes()
    {
        m_host->prompts.yesNoAnswers = {true};
        m_cmds->Erase_Data();
        drive({}); // the erase fails in its first step, leaving "A","L",0,5,0
        m_host->port.written.clear();
        m_cmds->Device_Time();
        QCOMPARE(m_host->port.written, Frames{frames::make('R', 'P', 0, 5, 0)});
        QCOMPARE(quint8(m_host->port.written.first().at(5)), quint8(0x52 ^ 0x50 ^ 0x05));

        // After a stop the bytes are zero again.
        drive({params(40, 0)});
        m_host->prompts.yesNoAnswers = {true};
        m_cmds->Confirm_Stop();
        drive({ack()});
        m_host->port.written.clear();
        m_cmds->Device_Time();
        QCOMPARE(m_host->port.written, Frames{kRP});
    }

    // The timers' periods, which pace the resends on the real line.
    void periods()
    {
        m_cmds->Device_Time();
        QCOMPARE(m_cmds->TimerPara().timer().interval(), 500);
        QVERIFY(m_cmds->TimerPara().timer().isActive());
        drive({params(40, 0)});
        m_host->prompts.yesNoAnswers = {true, true};
        m_cmds->Confirm_Stop();
        QCOMPARE(m_cmds->TimerStop().timer().interval(), 1000);
        QVERIFY(m_cmds->TimerStop().timer().isActive());
        drive({ack()});
        m_cmds->Erase_Data();
        QCOMPARE(m_cmds->TmrData().timer().interval(), 2000);
        QVERIFY(m_cmds->TmrData().timer().isActive());
    }

    // The erase returns to the event loop before any reply has come, waiting in its state
    // machine: a command started meanwhile (from elsewhere than the disabled menus) does not cut
    // into it, and the event loop alone takes it to its end once the logger answers. (The wait
    // is shortened; its length is checked above.)
    void eraseDoesNotBlock()
    {
        m_host->prompts.yesNoAnswers = {true};
        m_cmds->TmrData().timer().setInterval(20);
        m_cmds->Erase_Data();
        QCOMPARE(m_cmds->eraseStep(), DeviceCommands::EraseStep::Erase);
        QVERIFY(m_cmds->TmrData().timer().isActive());
        QVERIFY(m_host->prompts.messages().isEmpty());
        QVERIFY(!m_host->enabled);
        m_cmds->Device_Time();
        m_cmds->Stop_Device();
        QCOMPARE(m_host->port.written, Frames{kAL});

        m_host->port.onWrite = [this](const QByteArray &) { m_host->port.feed(ack()); };
        m_host->port.feed(ack());
        QTRY_COMPARE_WITH_TIMEOUT(m_host->prompts.messages(), QStringList{msg::kCleared}, 3000);
        QCOMPARE(m_host->port.written, (Frames{kAL, kAT}));
        QVERIFY(m_host->enabled);
        QCOMPARE(m_host->busy, 0);
    }
};

QTEST_GUILESS_MAIN(TestDeviceCommands)
#include "test_device_commands.moc"
