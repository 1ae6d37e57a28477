// The Device Details dialog without its window: reading the parameter block into the logger's
// details and the label texts, why a request failed, the checks of the programming panel, and
// the "Y" / "X" programming steps.

#include "tests/support/fake_host.h"

#include "common/app_info.h"
#include "common/clock.h"
#include "common/messages.h"
#include "device/command_frame.h"
#include "device/device_details.h"
#include "device/device_results.h"
#include "device/param_reply.h"

#include <QSignalSpy>
#include <QTest>

using Frames = QList<QByteArray>;

Q_DECLARE_METATYPE(LoggerDetails::Status)
Q_DECLARE_METATYPE(LoggerIdentity)

namespace {

// A parameter block as a logger sends it.
struct Block
{
    quint8 status = 0x02;
    char unit = 'M';
    quint8 tens = 1, units = 0;
    int stored = 0;
    quint8 model = 1;
    quint8 day = 6, month = 5, year = 13;
    quint8 serHi = 0, serLo = 45;
    QByteArray location = "Cold store 4    ";

    QByteArray bytes() const
    {
        QByteArray p(40, '\0');
        p[6] = char(status);
        p[7] = unit;
        p[8] = char(tens);
        p[9] = char(units);
        p[16] = char(stored & 0xFF);
        p[17] = char(stored >> 8);
        p[18] = char(model);
        p[19] = char(day);
        p[20] = char(month);
        p[21] = char(year);
        p[22] = char(serHi);
        p[23] = char(serLo);
        p.replace(24, 16, location.leftJustified(16, ' ', true));
        return p;
    }
};

Block notEnabled()
{
    Block b;
    b.serHi = b.serLo = 0xFF;
    return b;
}

const QString P = msg::kDetailPrefix;

} // namespace

class TestDeviceDetails : public QObject
{
    Q_OBJECT

    std::unique_ptr<FakeHost> m_host;
    std::unique_ptr<DeviceDetails> m_dlg;
    FixedClock m_clock{QDateTime(QDate(2024, 3, 7), QTime(9, 15))};

    // Activation with the logger answering `reply` at the first poll.
    void openWith(const QByteArray &reply)
    {
        m_dlg->activate();
        m_host->port.feed(reply);
        m_dlg->TimerPara().onTimer();
    }

private Q_SLOTS:
    void initTestCase() { Clock::install(&m_clock); }
    void cleanupTestCase() { Clock::install(nullptr); }
    void init()
    {
        m_host = std::make_unique<FakeHost>();
        m_dlg = std::make_unique<DeviceDetails>(*m_host);
    }
    void cleanup()
    {
        m_dlg.reset();
        m_host.reset();
    }

    // The value labels a parameter block gives.
    void labels_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("readings");
        QTest::addColumn<QString>("interval");
        QTest::addColumn<QString>("model");

        Block b;
        QTest::newRow("started, 10 minutes")
            << b.bytes() << P + "Started" << P + "0" << P + "10  Minutes" << P + "RV-110";
        b.status = 0x06;
        QTest::newRow("Start Later wins over Started")
            << b.bytes() << P + "Start Later" << P + "0" << P + "10  Minutes" << P + "RV-110";
        b.status = 0x04;
        QTest::newRow("Start Later alone")
            << b.bytes() << P + "Start Later" << P + "0" << P + "10  Minutes" << P + "RV-110";
        b.status = 0x00;
        QTest::newRow("stopped") << b.bytes() << P + "Stopped" << P + "0" << P + "10  Minutes"
                                 << P + "RV-110";

        Block f;
        f.status = 0x01;
        f.stored = 31998;
        f.model = 2;
        QTest::newRow("memory full, model 2: 8000") << f.bytes() << P + "Stopped" << P + "8000"
                                                    << P + "10  Minutes" << P + "RV-210";
        f.model = 1;
        QTest::newRow("memory full, model 1: 16000") << f.bytes() << P + "Stopped" << P + "16000"
                                                     << P + "10  Minutes" << P + "RV-110";
        f.model = 32;
        f.status = 0x03;
        QTest::newRow("memory full, CO2: 16000")
            << f.bytes() << P + "Started" << P + "16000" << P + "10  Minutes"
            << P + "RV-420(CO2 0-2000 PPM)";

        Block c;
        c.stored = 0x03E8;
        c.model = 2;
        QTest::newRow("1000 bytes, model 2: 250") << c.bytes() << P + "Started" << P + "250"
                                                  << P + "10  Minutes" << P + "RV-210";
        c.model = 1;
        QTest::newRow("1000 bytes, model 1: 500") << c.bytes() << P + "Started" << P + "500"
                                                  << P + "10  Minutes" << P + "RV-110";
        c.model = 6;
        c.stored = 1002;
        QTest::newRow("1002 bytes, model 6: a fraction")
            << c.bytes() << P + "Started" << P + "250.5" << P + "10  Minutes" << P + "RV-220";
        c.model = 5;
        c.stored = 3;
        QTest::newRow("3 bytes, model 5: 1.5") << c.bytes() << P + "Started" << P + "1.5"
                                               << P + "10  Minutes" << P + "RV-120";

        Block i;
        i.unit = 'M';
        i.tens = 1;
        i.units = 5;
        QTest::newRow("M 1 5") << i.bytes() << P + "Started" << P + "0" << P + "15  Minutes"
                               << P + "RV-110";
        i.unit = 'S';
        i.tens = 0;
        i.units = 2;
        QTest::newRow("S 0 2") << i.bytes() << P + "Started" << P + "0" << P + "2  Seconds"
                               << P + "RV-110";
        i.unit = 'H';
        i.tens = 2;
        i.units = 4;
        i.model = 8;
        QTest::newRow("H 2 4") << i.bytes() << P + "Started" << P + "0" << P + "24  Hours"
                               << P + "RV-320";
    }
    void labels()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QString, status);
        QFETCH(QString, readings);
        QFETCH(QString, interval);
        QFETCH(QString, model);
        const DeviceDetails::Labels l = DeviceDetails::describe(ParamReply(reply), {});
        QCOMPARE(l.ldevstatus1, status);
        QCOMPARE(l.lno_readings1, readings);
        QCOMPARE(l.linterval1, interval);
        QCOMPARE(l.lmodel1, model);
        QVERIFY(l.serialVisible);
        QVERIFY(l.locationVisible);
    }

    // Serial number with the identification bytes, and the location byte for byte.
    void serialAndLocation_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("serial");
        QTest::addColumn<QString>("location");
        Block b;
        QTest::newRow("45, 6 5 13") << b.bytes() << P + "0045 06 05 13"
                                    << QStringLiteral(":    Cold store 4    ");
        b.serHi = 0x00;
        b.serLo = 0xFF;
        b.day = 31;
        b.month = 12;
        b.year = 0;
        QTest::newRow("0x00 0xFF is 255") << b.bytes() << P + "0255 31 12 00"
                                          << QStringLiteral(":    Cold store 4    ");
        b.serHi = 0x27;
        b.serLo = 0x0F;
        b.location = QByteArray("Bay\0\xe9", 5);
        // Each byte one character (Latin-1); a control character is shown as its escape.
        QTest::newRow("9999, raw location bytes")
            << b.bytes() << P + "9999 31 12 00"
            << QString(":    Bay\\x00") + QChar(0xE9) + QString(11, ' ');
    }
    void serialAndLocation()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QString, serial);
        QFETCH(QString, location);
        const DeviceDetails::Labels l = DeviceDetails::describe(ParamReply(reply), {});
        QCOMPARE(l.lserno1, serial);
        QCOMPARE(l.Llocation1, location);
    }

    // What a reply cannot say leaves the label as it was.
    void unknownCodesLeaveLabels()
    {
        DeviceDetails::Labels before;
        before.lmodel1 = P + "RV-310";
        before.linterval1 = P + "5  Hours";
        Block b;
        b.model = 9;
        b.unit = 'D';
        b.stored = 1000;
        DeviceDetails::Labels l = DeviceDetails::describe(ParamReply(b.bytes()), before);
        QCOMPARE(l.lmodel1, P + "RV-310");
        QCOMPARE(l.linterval1, P + "5  Hours");
        QCOMPARE(l.lno_readings1, P + "250"); // four bytes a reading for an unknown code
        b.status = 0x01;
        l = DeviceDetails::describe(ParamReply(b.bytes()), before);
        QCOMPARE(l.lno_readings1, P + "8000");
    }

    // The details a parameter block gives as values, which the labels above are made from.
    void details_data()
    {
        using Status = LoggerDetails::Status;
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<Status>("status");
        QTest::addColumn<bool>("full");
        QTest::addColumn<double>("readings");
        QTest::addColumn<int>("seconds"); // -1: no interval the program knows
        QTest::addColumn<QString>("model");
        QTest::addColumn<LoggerIdentity>("identity");

        const LoggerIdentity cold{"0045", "06 05 13", "Cold store 4"};
        Block b;
        QTest::newRow("started, 10 minutes")
            << b.bytes() << Status::Started << false << 0.0 << 600 << "RV-110" << cold;
        b.status = 0x01;
        b.stored = 31998;
        b.model = 2;
        QTest::newRow("memory full, model 2")
            << b.bytes() << Status::Stopped << true << 8000.0 << 600 << "RV-210" << cold;
        b.status = 0x02;
        b.stored = 1002;
        b.model = 6;
        b.unit = 'S';
        b.tens = 0;
        b.units = 2;
        QTest::newRow("1002 bytes, model 6, 2 seconds")
            << b.bytes() << Status::Started << false << 250.5 << 2 << "RV-220" << cold;
        b.unit = 'H';
        b.tens = 2;
        b.units = 4;
        b.model = 32;
        b.stored = 1000;
        b.serHi = 0x27;
        b.serLo = 0x0F;
        b.location = "  Bay 7";
        QTest::newRow("24 hours, CO2, 9999")
            << b.bytes() << Status::Started << false << 500.0 << 86400 << "RV-420(CO2 0-2000 PPM)"
            << LoggerIdentity{"9999", "06 05 13", "Bay 7"};
        b.unit = 'D';
        b.model = 9;
        QTest::newRow("unknown unit and model")
            << b.bytes() << Status::Started << false << 250.0 << -1 << ""
            << LoggerIdentity{"9999", "06 05 13", "Bay 7"};
    }
    void details()
    {
        QFETCH(QByteArray, reply);
        QFETCH(LoggerDetails::Status, status);
        QFETCH(bool, full);
        QFETCH(double, readings);
        QFETCH(int, seconds);
        QFETCH(QString, model);
        QFETCH(LoggerIdentity, identity);
        QSignalSpy read(m_dlg.get(), &DeviceDetails::detailsRead);
        openWith(reply);
        QCOMPARE(read.size(), 1);
        QVERIFY(!m_dlg->error());
        const LoggerDetails &d = m_dlg->details().value();
        QCOMPARE(d.status, status);
        QCOMPARE(d.memoryFull, full);
        QCOMPARE(d.readings, readings);
        QCOMPARE(d.interval ? d.interval->seconds() : -1, seconds);
        QCOMPARE(d.modelName(), model);
        QCOMPARE(d.identity, identity);
        QCOMPARE(d.location.size(), 16);
    }

    // Activation asks once, with the parameter bytes as the buffer holds them, keeps the main
    // window's commands off and puts today's date into the identification boxes.
    void activation()
    {
        m_dlg->CmdBuf().setAll('X', 1, 2, 3, 4);
        m_dlg->activate();
        QCOMPARE(m_host->port.written, Frames{frames::make('R', 'P', 2, 3, 4)});
        QCOMPARE(m_dlg->TimerPara().timer().interval(), 1000);
        QVERIFY(!m_host->enabled);
        QCOMPARE(m_host->busy, 1);
        QVERIFY(m_dlg->busy());
        QCOMPARE(m_dlg->tday(), QStringLiteral("7"));
        QCOMPARE(m_dlg->tmnt(), QStringLiteral("3"));
        QCOMPARE(m_dlg->tyrs(), QStringLiteral("24"));

        // Coming back to the dialog while the request waits does not send a second one.
        m_dlg->activate();
        QCOMPARE(m_host->port.written.size(), 1);

        m_host->port.feed(Block().bytes());
        m_dlg->TimerPara().onTimer();
        QCOMPARE(m_host->busy, 0);
        QVERIFY(!m_host->enabled); // the dialog keeps them off while it is open
        QVERIFY(m_dlg->frame1Visible());
        QVERIFY(!m_dlg->frame2Visible());
        QCOMPARE(m_dlg->labels().lserno1, P + "0045 06 05 13");

        // Returning later asks again.
        m_dlg->activate();
        QCOMPARE(m_host->port.written.size(), 2);
    }

    // Only exactly 40 bytes are a parameter block; five requests in all.
    void requestRetries_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("acceptedAt"); // poll that takes it, 0 = never
        QTest::addColumn<QString>("reason"); // why it failed
        const QString five = QStringLiteral("no valid reply to 5 requests: the last brought ");
        QTest::newRow("40") << 40 << 1 << "";
        QTest::newRow("39") << 39 << 0 << five + "39 bytes, 40 wanted";
        QTest::newRow("41") << 41 << 0 << five + "41 bytes, 40 wanted";
        QTest::newRow("19") << 19 << 0 << five + "19 bytes, 40 wanted";
    }
    void requestRetries()
    {
        QFETCH(int, length);
        QFETCH(int, acceptedAt);
        QFETCH(QString, reason);
        QSignalSpy failed(m_dlg.get(), &DeviceDetails::failed);
        m_dlg->activate();
        for (int poll = 0; poll < 7 && m_dlg->TimerPara().isRunning(); ++poll) {
            m_host->port.feed((Block().bytes() + QByteArray(10, 'z')).left(length));
            m_dlg->TimerPara().onTimer();
        }
        if (acceptedAt) {
            QCOMPARE(m_host->port.written.size(), acceptedAt);
            QVERIFY(m_host->prompts.shown.isEmpty());
            QVERIFY(m_dlg->labels().serialVisible);
        } else {
            QCOMPARE(m_host->port.written, Frames(5, frames::make('R', 'P')));
            QCOMPARE(m_host->prompts.messages(), QStringList{msg::kNotResponding});
            QCOMPARE(m_host->prompts.shown.first().title, msg::kTitleWarningDots);
            QCOMPARE(m_host->prompts.shown.first().icon, Prompter::Icon::None);
            QVERIFY(!m_dlg->labels().serialVisible);
            QVERIFY(!m_host->enabled); // still off until the dialog is closed
        }
        const DeviceError why{DeviceError::Kind::NoValidReply, msg::kNotResponding, reason};
        QCOMPARE(m_dlg->error(), acceptedAt ? std::nullopt : std::optional(why));
        QCOMPARE(failed.size(), acceptedAt ? 0 : 1);
        QCOMPARE(m_dlg->details().has_value(), acceptedAt != 0);
        QCOMPARE(m_host->busy, 0);
        QVERIFY(!m_dlg->busy());
    }

    // A logger never enabled opens the programming panel; 0x00 0xFF is a serial number.
    void notEnabledOpensPanel_data()
    {
        QTest::addColumn<quint8>("hi");
        QTest::addColumn<quint8>("lo");
        QTest::addColumn<bool>("panel");
        QTest::newRow("FF FF") << quint8(0xFF) << quint8(0xFF) << true;
        QTest::newRow("00 FF") << quint8(0x00) << quint8(0xFF) << false;
        QTest::newRow("FF 00") << quint8(0xFF) << quint8(0x00) << false;
    }
    void notEnabledOpensPanel()
    {
        QFETCH(quint8, hi);
        QFETCH(quint8, lo);
        QFETCH(bool, panel);
        Block b;
        b.serHi = hi;
        b.serLo = lo;
        m_dlg->activate();
        m_dlg->setDay(QStringLiteral("1"));
        m_host->port.feed(b.bytes());
        m_dlg->TimerPara().onTimer();
        QCOMPARE(m_dlg->frame2Visible(), panel);
        QCOMPARE(m_dlg->frame1Visible(), !panel);
        QCOMPARE(m_dlg->labels().serialVisible, !panel);
        QCOMPARE(m_dlg->details().has_value(), !panel);
        QCOMPARE(m_dlg->error().has_value(), panel);
        if (panel) {
            QCOMPARE(m_dlg->tday(), QStringLiteral("7")); // today again
            QCOMPARE(m_dlg->error()->kind, DeviceError::Kind::NotEnabled);
            QCOMPARE(m_dlg->error()->message, msg::kEnablePanel);
        }
        QVERIFY(!m_dlg->progressVisible());
        QVERIFY(m_dlg->sendEnabled());
    }

    // "Send" refuses what cannot be written to the logger, says why, and sends nothing.
    void sendChecks_data()
    {
        QTest::addColumn<QString>("serial");
        QTest::addColumn<QString>("day");
        QTest::addColumn<QString>("month");
        QTest::addColumn<QString>("year");
        QTest::addColumn<QString>("message"); // empty: accepted
        QTest::addColumn<int>("serNo");       // the number sent, when accepted
        QTest::newRow("9999") << "9999" << "7" << "3" << "24" << "" << 9999;
        QTest::newRow("0") << "0" << "1" << "1" << "0" << "" << 0;
        QTest::newRow("blanks around") << " 42 " << " 31" << "12 " << "255" << "" << 42;
        QTest::newRow("fraction, half down to even") << "12.5" << "7" << "3" << "24" << "" << 12;
        QTest::newRow("fraction, half up to even") << "13.5" << "7" << "3" << "24" << "" << 14;
        QTest::newRow("10000") << "10000" << "7" << "3" << "24" << msg::kSerNoOutOfRange << 0;
        QTest::newRow("9999.5 rounds to 10000")
            << "9999.5" << "7" << "3" << "24" << msg::kSerNoOutOfRange << 0;
        QTest::newRow("negative") << "-1" << "7" << "3" << "24" << msg::kSerNoNegative << 0;
        QTest::newRow("negative fraction") << "-0.4" << "7" << "3" << "24" << msg::kSerNoNegative
                                           << 0;
        QTest::newRow("empty") << "" << "7" << "3" << "24" << msg::kSerNoNotNumeric << 0;
        QTest::newRow("letters") << "12a" << "7" << "3" << "24" << msg::kSerNoNotNumeric << 0;
        QTest::newRow("serial first") << "abc" << "x" << "x" << "x" << msg::kSerNoNotNumeric << 0;
        QTest::newRow("day 0") << "5" << "0" << "3" << "24" << msg::kIdDayOutOfRange << 0;
        QTest::newRow("day 32") << "5" << "32" << "3" << "24" << msg::kIdDayOutOfRange << 0;
        QTest::newRow("day text") << "5" << "x" << "3" << "24" << msg::kIdDayOutOfRange << 0;
        QTest::newRow("day 1.5") << "5" << "1.5" << "3" << "24" << msg::kIdDayOutOfRange << 0;
        QTest::newRow("month 13") << "5" << "7" << "13" << "24" << msg::kIdMonthOutOfRange << 0;
        QTest::newRow("month 0") << "5" << "7" << "0" << "24" << msg::kIdMonthOutOfRange << 0;
        QTest::newRow("year 256") << "5" << "7" << "3" << "256" << msg::kIdYearOutOfRange << 0;
        QTest::newRow("year -1") << "5" << "7" << "3" << "-1" << msg::kIdYearOutOfRange << 0;
        QTest::newRow("year empty") << "5" << "7" << "3" << "" << msg::kIdYearOutOfRange << 0;
    }
    void sendChecks()
    {
        QFETCH(QString, serial);
        QFETCH(QString, day);
        QFETCH(QString, month);
        QFETCH(QString, year);
        QFETCH(QString, message);
        QFETCH(int, serNo);
        openWith(notEnabled().bytes());
        m_host->port.written.clear();
        m_dlg->setSerial(serial);
        m_dlg->setDay(day);
        m_dlg->setMonth(month);
        m_dlg->setYear(year);
        m_dlg->Command2();
        if (message.isEmpty()) {
            QVERIFY(m_host->prompts.shown.isEmpty());
            QCOMPARE(m_host->port.written.size(), 1);
            QCOMPARE(m_host->port.written.first().at(0), 'Y');
            QCOMPARE(m_dlg->SerNo(), serNo);
            QVERIFY(!m_dlg->sendEnabled());
            QVERIFY(m_dlg->progressVisible());
        } else {
            QCOMPARE(m_host->prompts.messages(), QStringList{message});
            QCOMPARE(m_host->prompts.shown.first().title, appinfo::title());
            QCOMPARE(m_host->prompts.shown.first().icon, Prompter::Icon::None);
            QVERIFY(m_host->port.written.isEmpty());
            QVERIFY(m_dlg->sendEnabled());
            QVERIFY(!m_dlg->progressVisible());
            QVERIFY(!m_dlg->SendTimer().isRunning());
        }
        QVERIFY(!m_host->enabled);
    }

    // The whole programming run: "Y" with the identification bytes, "X" with the serial number
    // high byte first, then the parameters again with the bytes the last step left.
    void programming()
    {
        openWith(notEnabled().bytes());
        m_host->port.written.clear();
        m_dlg->setSerial(QStringLiteral("9999"));
        m_dlg->setDay(QStringLiteral("28"));
        m_dlg->setMonth(QStringLiteral("2"));
        m_dlg->setYear(QStringLiteral("25"));
        m_dlg->Command2();
        QCOMPARE(m_dlg->SendStep(), 1);
        QCOMPARE(m_dlg->progressValue(), 1);
        QCOMPARE(m_dlg->SendTimer().timer().interval(), 1000);

        m_host->port.feed(frames::acknowledgement());
        m_dlg->SendTimer().onTimer();
        QCOMPARE(m_dlg->SendStep(), 2);
        QCOMPARE(m_dlg->progressValue(), 2);

        QVERIFY(!m_dlg->programmed());
        m_host->port.feed(frames::acknowledgement());
        m_dlg->SendTimer().onTimer();
        QCOMPARE(m_dlg->SendStep(), 3);
        QCOMPARE(m_dlg->programmed(), std::optional(LoggerIdentity{"9999", "28 02 25", ""}));
        const Frames expected{frames::make('Y', 28, 2, 25, 0), frames::make('X', 0x27, 0x0F, 0, 0),
                              frames::make('R', 'P', 0x0F, 0, 0)};
        QCOMPARE(m_host->port.written, expected);
        QVERIFY(m_dlg->frame1Visible());
        QVERIFY(!m_dlg->frame2Visible());
        QVERIFY(!m_dlg->progressVisible());
        QVERIFY(m_dlg->sendEnabled());
        QVERIFY(m_dlg->busy());

        Block b;
        b.serHi = 0x27;
        b.serLo = 0x0F;
        b.day = 28;
        b.month = 2;
        b.year = 25;
        m_host->port.feed(b.bytes());
        m_dlg->TimerPara().onTimer();
        QCOMPARE(m_dlg->labels().lserno1, P + "9999 28 02 25");
        QCOMPARE(m_dlg->details()->identity.serialText(), QStringLiteral("9999 28 02 25"));
        QVERIFY(!m_dlg->error()); // the panel's "not enabled" is over
        QVERIFY(m_host->prompts.shown.isEmpty());
        QCOMPARE(m_host->busy, 0);
    }

    // A step that is not acknowledged goes out again every second, with no limit and no message,
    // until the dialog is closed; closing ends it and gives the main window its commands back.
    void unacknowledgedStepRepeatsUntilClosed()
    {
        openWith(notEnabled().bytes());
        m_host->port.written.clear();
        m_dlg->setSerial(QStringLiteral("300"));
        m_dlg->Command2();
        m_host->port.feed(frames::acknowledgement());
        m_dlg->SendTimer().onTimer(); // "Y" done
        m_host->port.written.clear();
        for (int i = 0; i < 30; ++i) {
            m_host->port.feed(i % 2 ? QByteArray::fromHex("000000000000030201")
                                    : frames::acknowledgement() + '\0');
            m_dlg->SendTimer().onTimer();
        }
        QCOMPARE(m_host->port.written, Frames(30, frames::make('X', 1, 44, 0, 0)));
        QCOMPARE(m_dlg->SendStep(), 2);
        QVERIFY(m_host->prompts.shown.isEmpty());

        m_dlg->close();
        QVERIFY(m_host->enabled);
        QCOMPARE(m_host->enables, 1);
        QCOMPARE(m_host->busy, 0);
        QVERIFY(!m_dlg->SendTimer().isRunning());
        QVERIFY(!m_dlg->SendTimer().timer().isActive());
        m_dlg->SendTimer().onTimer();
        QCOMPARE(m_host->port.written.size(), 30);
        QVERIFY(!m_dlg->labels().serialVisible);

        // A closed dialog stays closed.
        m_dlg->activate();
        m_dlg->Command2();
        QCOMPARE(m_host->port.written.size(), 30);
        QCOMPARE(m_host->enables, 1);
    }

    // Closing while the parameters are being requested ends the request and the hourglass.
    void closeWhileRequesting()
    {
        m_dlg->activate();
        m_dlg->close();
        QVERIFY(m_host->enabled);
        QCOMPARE(m_host->busy, 0);
        m_host->port.feed(Block().bytes());
        m_dlg->TimerPara().onTimer();
        QCOMPARE(m_host->port.written.size(), 1);
        QVERIFY(!m_dlg->labels().serialVisible);
    }

    // "Send" while a parameter request still waits (the user came back to the panel): the
    // request gives way, so the two do not throw away each other's replies.
    void sendSupersedesPendingRequest()
    {
        openWith(notEnabled().bytes());
        m_dlg->activate(); // a second request is on its way
        QVERIFY(m_dlg->TimerPara().isRunning());
        m_dlg->setSerial(QStringLiteral("7"));
        m_dlg->Command2();
        QVERIFY(!m_dlg->TimerPara().isRunning());
        QCOMPARE(m_host->busy, 0);
        m_host->port.feed(frames::acknowledgement());
        m_dlg->SendTimer().onTimer();
        QCOMPARE(m_dlg->SendStep(), 2);
    }
};

QTEST_GUILESS_MAIN(TestDeviceDetails)
#include "test_device_details.moc"
