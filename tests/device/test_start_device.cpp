// The Start Device dialog without its window: the parameter request on loading, the delay
// fields, the interval lists, the clock pickers and the twelve start steps.

#include "tests/support/fake_host.h"

#include "common/app_info.h"
#include "common/clock.h"
#include "common/messages.h"
#include "device/command_frame.h"
#include "device/start_device.h"

#include <QSignalSpy>
#include <QTest>

using Icon = Prompter::Icon;
using Unit = StartDevice::Unit;

namespace {

QByteArray parameterBlock(bool enabled)
{
    QByteArray p(40, '\0');
    p[6] = 0x02;
    p[18] = 2;
    p[22] = char(enabled ? 0x01 : 0xFF);
    p[23] = char(enabled ? 0x2C : 0xFF);
    return p;
}

QByteArray hex(const char *text) { return QByteArray::fromHex(QByteArray(text)); }

} // namespace

class TestStartDevice : public QObject
{
    Q_OBJECT

    std::unique_ptr<FakeHost> m_host;
    std::unique_ptr<StartDevice> m_dlg;
    FixedClock m_clock{QDateTime(QDate(2010, 3, 1), QTime(14, 5, 9))};

    QList<QByteArray> &written() { return m_host->port.written; }

    // Loaded, opened by the main window, and answered by an enabled logger.
    void openReady()
    {
        m_dlg->load();
        m_dlg->presetByOpener();
        m_host->port.feed(parameterBlock(true));
        m_dlg->TimerPara().onTimer();
        QVERIFY(m_dlg->sendEnabled());
        written().clear();
    }
    // The logger acknowledges every step; returns the frames of the run.
    QList<QByteArray> runAcknowledged()
    {
        m_dlg->Command2();
        for (int i = 0; i < StartDevice::kSteps && m_dlg->SendTimer().isRunning(); ++i) {
            m_host->port.feed(frames::acknowledgement());
            m_dlg->SendTimer().onTimer();
        }
        return written();
    }

private Q_SLOTS:
    void initTestCase() { Clock::install(&m_clock); }
    void cleanupTestCase() { Clock::install(nullptr); }
    void init()
    {
        m_clock.set(QDateTime(QDate(2010, 3, 1), QTime(14, 5, 9)));
        m_host = std::make_unique<FakeHost>();
        m_dlg = std::make_unique<StartDevice>(*m_host);
    }
    void cleanup()
    {
        m_dlg.reset();
        m_host.reset();
    }

    void loadingAsksForParameters()
    {
        m_dlg->load();
        QCOMPARE(m_dlg->hrs(), QStringLiteral("0"));
        QCOMPARE(m_dlg->min(), QStringLiteral("1"));
        QVERIFY(!m_host->enabled);
        QCOMPARE(written(), QList<QByteArray>{hex("525000000002")});
        QCOMPARE(m_dlg->TimerPara().timer().interval(), 1000);
        QVERIFY(m_dlg->TimerPara().timer().isActive());
        QCOMPARE(m_host->busy, 1);
        QVERIFY(m_dlg->busy());
        QVERIFY(!m_dlg->sendEnabled());
    }

    // Only exactly 40 bytes are a parameter block; anything else asks again, five times in all.
    void parameterReply_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("requests");
        QTest::addColumn<bool>("ready");
        QTest::newRow("40, enabled") << parameterBlock(true) << 1 << true;
        QTest::newRow("39") << parameterBlock(true).left(39) << 5 << false;
        QTest::newRow("41") << parameterBlock(true) + '\0' << 5 << false;
        QTest::newRow("none") << QByteArray() << 5 << false;
    }
    void parameterReply()
    {
        QFETCH(QByteArray, reply);
        QFETCH(int, requests);
        QFETCH(bool, ready);
        m_dlg->load();
        for (int i = 0; i < 5 && m_dlg->TimerPara().isRunning(); ++i) {
            m_host->port.feed(reply);
            m_dlg->TimerPara().onTimer();
        }
        QCOMPARE(written().size(), requests);
        QVERIFY(!m_dlg->TimerPara().isRunning());
        QCOMPARE(m_dlg->sendEnabled(), ready);
        QCOMPARE(m_host->busy, 0);
        QVERIFY(!m_dlg->isClosed());
        // The commands stay off while the dialog is up, whatever the logger said.
        QVERIFY(!m_host->enabled);
        if (ready) {
            QVERIFY(m_host->prompts.shown.isEmpty());
        } else {
            QCOMPARE(m_host->prompts.messages(), QStringList{msg::kNotResponding});
            QCOMPARE(m_host->prompts.shown.last().title, msg::kTitleWarningDots);
            QCOMPARE(m_host->prompts.shown.last().icon, Icon::None);
        }
    }

    void neverEnabledLoggerClosesTheDialog()
    {
        QSignalSpy closing(m_dlg.get(), &StartDevice::closeRequested);
        m_dlg->load();
        m_host->port.feed(parameterBlock(false));
        m_dlg->TimerPara().onTimer();
        QCOMPARE(m_host->prompts.messages(), QStringList{msg::kNotEnabled});
        QCOMPARE(m_host->prompts.shown.last().title, appinfo::title());
        QCOMPARE(m_host->prompts.shown.last().icon, Icon::Information);
        QCOMPARE(closing.size(), 1);
        QCOMPARE(m_dlg->error(),
                 std::optional(DeviceError{DeviceError::Kind::NotEnabled, msg::kNotEnabled}));
        QVERIFY(m_dlg->isClosed());
        QVERIFY(m_host->enabled);
        QCOMPARE(m_host->busy, 0);
        QCOMPARE(written().size(), 1);
    }

    // The twelve frames byte for byte: digits units first, the year split by 4, the delay high
    // byte first, the location padded with blanks and cut to the low 8 bits of each character.
    void twelveFrames_data()
    {
        QTest::addColumn<QDateTime>("when");
        QTest::addColumn<int>("unit");
        QTest::addColumn<QString>("interval");
        QTest::addColumn<bool>("later");
        QTest::addColumn<QString>("hrs");
        QTest::addColumn<QString>("min");
        QTest::addColumn<QString>("location");
        QTest::addColumn<QByteArray>("expected");

        QTest::newRow("1 March 2010 14:05:09, Minute 15, Start, LAB A")
            << QDateTime(QDate(2010, 3, 1), QTime(14, 5, 9)) << int(Unit::Minute) << "15"
            << false << "0" << "1" << "LAB A"
            << hex("535309000009"
                   "534D0500001B"
                   "53480401001E"
                   "534401000016"
                   "534E0300001E"
                   "53590202000A"
                   "53544D05014E"
                   "415300000012"
                   "454C4142202A"
                   "464120202027"
                   "472020202047"
                   "482020202048");
        QTest::newRow("31 Dec 2063 23:59:58, Second 30, after 1 h 5, 16 Latin-1 characters")
            << QDateTime(QDate(2063, 12, 31), QTime(23, 59, 58)) << int(Unit::Second) << "30"
            << true << "1" << "5" << QStringLiteral("Kühlraum 3/Süd-7")
            << hex("53530805000D"
                   "534D09050012"
                   "53480302001A"
                   "534401030015"
                   "534E0201001E"
                   "5359030F0006"
                   "535453000357"
                   "414C0041004C"
                   "454BFC686CF6"
                   "467261756D4D"
                   "4720332F5328"
                   "48FC642D37CA");
        QTest::newRow("2 Jan 2000 00:00:00, Hour 24, Start, empty location")
            << QDateTime(QDate(2000, 1, 2), QTime(0, 0, 0)) << int(Unit::Hour) << "24" << false
            << "0" << "1" << QString()
            << hex("535300000000"
                   "534D0000001E"
                   "53480000001B"
                   "534402000015"
                   "534E0100001C"
                   "53590000000A"
                   "535448040249"
                   "415300000012"
                   "452020202045"
                   "462020202046"
                   "472020202047"
                   "482020202048");
    }
    void twelveFrames()
    {
        QFETCH(QDateTime, when);
        QFETCH(int, unit);
        QFETCH(QString, interval);
        QFETCH(bool, later);
        QFETCH(QString, hrs);
        QFETCH(QString, min);
        QFETCH(QString, location);
        QFETCH(QByteArray, expected);

        openReady();
        m_dlg->setDate(when.date());
        m_dlg->userChangedTime(when.time());
        m_dlg->setUnit(Unit(unit));
        QVERIFY(m_dlg->setIntervalText(interval));
        m_dlg->setStartLater(later);
        m_dlg->setHrs(hrs);
        m_dlg->setMin(min);
        m_dlg->setLocation(location);

        QSignalSpy progress(m_dlg.get(), &StartDevice::changed);
        const QList<QByteArray> sent = runAcknowledged();
        QCOMPARE(sent.size(), 12);
        for (int i = 0; i < 12; ++i)
            QCOMPARE(sent.at(i).toHex(' '), expected.mid(i * 6, 6).toHex(' '));
        QVERIFY(m_host->prompts.shown.isEmpty());

        // Done: "Send" again, commands back, progress bar away, the dialog still open.
        QVERIFY(m_dlg->sendEnabled());
        QVERIFY(m_host->enabled);
        QVERIFY(!m_dlg->progressVisible());
        QCOMPARE(m_dlg->progressValue(), 12);
        QVERIFY(!m_dlg->isClosed());
        QVERIFY(!m_dlg->SendTimer().isRunning());
        QCOMPARE(m_dlg->statusText(), msg::kAllStepsAcknowledged);

        // What the logger was given, as values.
        const StartDevice::Settings &given = m_dlg->programmed().value();
        QCOMPARE(QDateTime(given.date, given.time), when);
        QCOMPARE(given.interval.count, interval.toInt());
        QCOMPARE(given.interval.unit, "SMH"[unit]);
        QCOMPARE(given.later, later);
        QVERIFY(!m_dlg->error());
    }

    // "Start After": the delay in minutes, high byte first. `edits` are typed in order, "h:" into
    // hrs and "m:" into min, with the fields' own rules applied as they go.
    void startAfter_data()
    {
        QTest::addColumn<QStringList>("edits");
        QTest::addColumn<QByteArray>("frame");
        QTest::newRow("2 h 30") << QStringList{"h:2", "m:30"} << hex("414C0096009B");
        QTest::newRow("24 h 0") << QStringList{"h:24", "m:0"} << hex("414C05A000A8");
        QTest::newRow("hrs 30 gives 24 h 0") << QStringList{"m:45", "h:30"} << hex("414C05A000A8");
        QTest::newRow("both 0 at Send: 1 min")
            << QStringList{"h:3", "m:0", "h:0"} << hex("414C0001000C");
        QTest::newRow("1.5 h") << QStringList{"h:1.5", "m:0"} << hex("414C005A0057");
        QTest::newRow("0.4 min rounds to 0: 1 min") << QStringList{"m:0.4"} << hex("414C0001000C");
        QTest::newRow("0.5 min rounds to even: 1 min") << QStringList{"m:0.5"} << hex("414C0001000C");
        QTest::newRow("2.5 min rounds to even: 2") << QStringList{"m:2.5"} << hex("414C0002000F");
    }
    void startAfter()
    {
        QFETCH(QStringList, edits);
        QFETCH(QByteArray, frame);
        openReady();
        m_dlg->setStartLater(true);
        for (const QString &e : edits) {
            if (e.startsWith(QLatin1String("h:")))
                m_dlg->setHrs(e.mid(2));
            else
                m_dlg->setMin(e.mid(2));
        }
        const QList<QByteArray> sent = runAcknowledged();
        QCOMPARE(sent.size(), 12);
        QCOMPARE(sent.at(7).toHex(' '), frame.toHex(' '));
    }

    // Anything but an acknowledgement of exactly nine bytes sends the same step again a second
    // later, without limit, and the dialog says which step waits.
    void unacknowledgedStepRepeats_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("leftOver"); // the poll leaves the bytes for the next send
        QTest::newRow("nine bytes ending 01 02 04") << hex("000000000000010204") << false;
        QTest::newRow("nothing") << QByteArray() << false;
        QTest::newRow("eight bytes") << hex("0000000000000102") << true;
        QTest::newRow("acknowledgement and one more") << hex("00000000000001020300") << true;
    }
    void unacknowledgedStepRepeats()
    {
        QFETCH(QByteArray, reply);
        openReady();
        m_dlg->Command2();
        for (int i = 0; i < 6; ++i) { // steps 1 to 6 acknowledged
            m_host->port.feed(frames::acknowledgement());
            m_dlg->SendTimer().onTimer();
        }
        QCOMPARE(m_dlg->step(), 7);
        const QByteArray step7 = written().last();
        QVERIFY(m_dlg->statusText().isEmpty());

        for (int attempt = 1; attempt <= 30; ++attempt) {
            m_host->port.feed(reply);
            m_dlg->SendTimer().onTimer();
            QCOMPARE(written().last(), step7);
            QVERIFY(m_dlg->SendTimer().timer().isActive());
        }
        QCOMPARE(written().size(), 7 + 30);
        QCOMPARE(m_dlg->step(), 7);
        QCOMPARE(m_dlg->progressValue(), 7);
        QCOMPARE(m_dlg->statusText(), msg::kWaitingForStep.arg(7).arg("interval").arg(31));
        QVERIFY(m_host->prompts.shown.isEmpty());
        QVERIFY(!m_host->enabled);

        // A late acknowledgement moves on and the waiting text goes.
        m_host->port.discardInput();
        m_host->port.feed(frames::acknowledgement());
        m_dlg->SendTimer().onTimer();
        QCOMPARE(m_dlg->step(), 8);
        QCOMPARE(written().last().left(2), QByteArray("AS"));
        QVERIFY(m_dlg->statusText().isEmpty());
    }

    // Closing while a step waits: nothing more goes out and the commands come back.
    void closingEndsTheRun()
    {
        openReady();
        m_dlg->Command2();
        m_host->port.feed(frames::acknowledgement());
        m_dlg->SendTimer().onTimer();
        QCOMPARE(written().size(), 2);
        m_dlg->close();
        QVERIFY(!m_dlg->SendTimer().timer().isActive());
        QVERIFY(!m_dlg->StartTimer().isActive());
        QVERIFY(m_host->enabled);
        QCOMPARE(m_host->busy, 0);
        m_dlg->SendTimer().onTimer();
        QCOMPARE(written().size(), 2);
    }

    // The settings are taken at "Send": a change during the run belongs to the next run.
    void settingsTakenAtSend()
    {
        openReady();
        m_dlg->setUnit(Unit::Hour);
        QVERIFY(m_dlg->setIntervalText("2"));
        m_dlg->setLocation("North");
        m_dlg->Command2();
        QVERIFY(!m_dlg->settingsEnabled());
        m_dlg->setUnit(Unit::Second);
        m_dlg->setStartLater(true);
        m_dlg->setLocation("South");
        m_host->port.feed(frames::acknowledgement());
        m_dlg->SendTimer().onTimer();
        m_clock.advanceSecs(3600);
        m_dlg->onStartTimer();
        for (int i = 0; i < 11; ++i) {
            m_host->port.feed(frames::acknowledgement());
            m_dlg->SendTimer().onTimer();
        }
        const QList<QByteArray> &sent = written();
        QCOMPARE(sent.size(), 12);
        QCOMPARE(sent.at(1).mid(2, 2), hex("0500")); // minute 05, not the hour later
        QCOMPARE(sent.at(6).mid(2, 3), QByteArray("H\x02\x00", 3));
        QCOMPARE(sent.at(7).left(2), QByteArray("AS"));
        QCOMPARE(sent.at(8).mid(1, 4), QByteArray("Nort"));
        QVERIFY(m_dlg->settingsEnabled());
    }

    // The delay fields put right what cannot be a delay, as the user types.
    void delayFields_data()
    {
        QTest::addColumn<QString>("hrsBefore");
        QTest::addColumn<QString>("minBefore");
        QTest::addColumn<bool>("typingHrs");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("hrsAfter");
        QTest::addColumn<QString>("minAfter");
        QTest::addColumn<bool>("corrected");
        QTest::newRow("hrs 5") << "0" << "1" << true << "5" << "5" << "1" << false;
        QTest::newRow("hrs 24") << "0" << "30" << true << "24" << "24" << "30" << false;
        QTest::newRow("hrs 25: 24 and min 0") << "0" << "30" << true << "25" << "24" << "0"
                                              << true;
        QTest::newRow("hrs 24.5: 24 and min 0") << "3" << "45" << true << "24.5" << "24" << "0"
                                                << true;
        QTest::newRow("hrs empty: 0") << "5" << "10" << true << "" << "0" << "10" << true;
        QTest::newRow("hrs letters: 0") << "5" << "10" << true << "5x" << "0" << "10" << true;
        QTest::newRow("hrs negative: 0") << "5" << "10" << true << "-3" << "0" << "10" << true;
        QTest::newRow("hrs 1.5 kept") << "0" << "1" << true << "1.5" << "1.5" << "1" << false;
        QTest::newRow("min 30") << "0" << "1" << false << "30" << "0" << "30" << false;
        QTest::newRow("min 59") << "0" << "1" << false << "59" << "0" << "59" << false;
        QTest::newRow("min 60: 59") << "0" << "1" << false << "60" << "0" << "59" << true;
        QTest::newRow("min 130: 59") << "2" << "13" << false << "130" << "2" << "59" << true;
        QTest::newRow("min empty: 1") << "2" << "30" << false << "" << "2" << "1" << true;
        QTest::newRow("min letters: 1") << "2" << "30" << false << "ab" << "2" << "1" << true;
        QTest::newRow("min negative: 1") << "2" << "30" << false << "-1" << "2" << "1" << true;
        QTest::newRow("min 0 with hrs 0: 1") << "0" << "5" << false << "0" << "0" << "1" << true;
        QTest::newRow("min 0 with hrs 3 kept") << "3" << "5" << false << "0" << "3" << "0"
                                               << false;
    }
    void delayFields()
    {
        QFETCH(QString, hrsBefore);
        QFETCH(QString, minBefore);
        QFETCH(bool, typingHrs);
        QFETCH(QString, typed);
        QFETCH(QString, hrsAfter);
        QFETCH(QString, minAfter);
        QFETCH(bool, corrected);
        m_dlg->load();
        m_dlg->setHrs(hrsBefore);
        m_dlg->setMin(minBefore);
        QCOMPARE(m_dlg->hrs(), hrsBefore);
        QCOMPARE(m_dlg->min(), minBefore);
        QSignalSpy fixes(m_dlg.get(), &StartDevice::delayCorrected);
        if (typingHrs)
            m_dlg->setHrs(typed);
        else
            m_dlg->setMin(typed);
        QCOMPARE(m_dlg->hrs(), hrsAfter);
        QCOMPARE(m_dlg->min(), minAfter);
        QCOMPARE(!fixes.isEmpty(), corrected);
    }

    void intervalLists_data()
    {
        QTest::addColumn<int>("unit");
        QTest::addColumn<QStringList>("items");
        QStringList minutes, hours;
        for (int i = 1; i <= 59; ++i)
            minutes << QString::number(i);
        for (int i = 1; i <= 24; ++i)
            hours << QString::number(i);
        QTest::newRow("Second") << int(Unit::Second) << QStringList{"5", "10", "15", "30"};
        QTest::newRow("Minute") << int(Unit::Minute) << minutes;
        QTest::newRow("Hour") << int(Unit::Hour) << hours;
    }
    void intervalLists()
    {
        QFETCH(int, unit);
        QFETCH(QStringList, items);
        m_dlg->load();
        m_dlg->setUnit(Unit::Minute);
        m_dlg->setIntervalIndex(20);
        m_dlg->setUnit(Unit(unit));
        QCOMPARE(m_dlg->intervalList(), items);
        QCOMPARE(m_dlg->intervalText(), items.first());
        // Only listed intervals can be picked.
        QVERIFY(!m_dlg->setIntervalText("0"));
        m_dlg->setIntervalIndex(int(items.size()));
        QCOMPARE(m_dlg->intervalText(), items.first());
        QVERIFY(m_dlg->setIntervalText(items.last()));
        QCOMPARE(m_dlg->intervalText(), items.last());
    }

    // The opener's settings, and StartTimer keeping the time at now until the user changes it.
    void clockPickers()
    {
        m_dlg->load();
        m_dlg->presetByOpener();
        QCOMPARE(m_dlg->date(), QDate(2010, 3, 1));
        QCOMPARE(m_dlg->time(), QTime(14, 5, 9));
        QVERIFY(m_dlg->StartTimer().isActive());
        QCOMPARE(m_dlg->StartTimer().interval(), 1000);
        QCOMPARE(m_dlg->unit(), std::optional<Unit>(Unit::Minute));
        QCOMPARE(m_dlg->intervalText(), QStringLiteral("1"));

        m_clock.advanceSecs(7);
        m_dlg->onStartTimer();
        QCOMPARE(m_dlg->time(), QTime(14, 5, 16));

        m_dlg->userChangedTime(QTime(8, 0, 0));
        QVERIFY(!m_dlg->StartTimer().isActive());
        m_clock.advanceSecs(5);
        m_dlg->onStartTimer();
        QCOMPARE(m_dlg->time(), QTime(8, 0, 0));
    }

    // Past midnight the date follows the time, unless the user picked a date.
    void midnight_data()
    {
        QTest::addColumn<QDate>("picked");
        QTest::addColumn<QDate>("after");
        QTest::newRow("today untouched") << QDate() << QDate(2010, 3, 2);
        QTest::newRow("date picked") << QDate(2010, 2, 20) << QDate(2010, 2, 20);
    }
    void midnight()
    {
        QFETCH(QDate, picked);
        QFETCH(QDate, after);
        m_clock.set(QDateTime(QDate(2010, 3, 1), QTime(23, 59, 59)));
        m_dlg->load();
        m_dlg->presetByOpener();
        if (picked.isValid())
            m_dlg->setDate(picked);
        m_clock.advanceSecs(2);
        m_dlg->onStartTimer();
        QCOMPARE(m_dlg->time(), QTime(0, 0, 1));
        QCOMPARE(m_dlg->date(), after);
    }

    void dateRange_data()
    {
        QTest::addColumn<QDate>("set");
        QTest::addColumn<QDate>("kept");
        QTest::newRow("before 2000") << QDate(1999, 12, 31) << QDate(2000, 1, 1);
        QTest::newRow("1 Jan 2000") << QDate(2000, 1, 1) << QDate(2000, 1, 1);
        QTest::newRow("last year the frame carries") << QDate(3023, 12, 31) << QDate(3023, 12, 31);
        QTest::newRow("beyond") << QDate(3024, 1, 1) << QDate(3023, 12, 31);
    }
    void dateRange()
    {
        QFETCH(QDate, set);
        QFETCH(QDate, kept);
        m_dlg->setDate(set);
        QCOMPARE(m_dlg->date(), kept);
    }

    // Characters above code 255 lose their high bits; the user is asked first.
    void locationNotKept_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("named");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("Latin-1 is kept") << QStringLiteral("Café ß") << QString()
                                         << QByteArray("Caf\xE9 \xDF          ", 16);
        QTest::newRow("euro and omega") << QStringLiteral("5€ Ω€") << QStringLiteral("\"€\", \"Ω\"")
                                        << QByteArray("5\xAC \xA9\xAC           ", 16);
        QTest::newRow("outside the BMP")
            << QStringLiteral("A\U0001F600") << QStringLiteral("\"\U0001F600\"")
            << QByteArray("A\x3D\x00             ", 16);
    }
    void locationNotKept()
    {
        QFETCH(QString, text);
        QFETCH(QString, named);
        QFETCH(QByteArray, bytes);
        QCOMPARE(StartDevice::locationBytes(text), bytes);
        QCOMPARE(StartDevice::charactersNotKept(text), named);
        if (named.isEmpty())
            return;

        // No: nothing is sent and the dialog is as before.
        openReady();
        m_dlg->setLocation(text);
        m_dlg->Command2();
        QCOMPARE(m_host->prompts.shown.size(), 1);
        QCOMPARE(m_host->prompts.shown.first().kind, QStringLiteral("question"));
        QCOMPARE(m_host->prompts.shown.first().text, msg::kLocationNotKept.arg(named));
        QCOMPARE(m_host->prompts.shown.first().title, msg::kTitleWarning);
        QVERIFY(written().isEmpty());
        QVERIFY(m_dlg->sendEnabled());
        QCOMPARE(m_host->disables, 1);

        // Yes: the low 8 bits go out.
        m_host->prompts.yesNoAnswers = {true};
        const QList<QByteArray> sent = runAcknowledged();
        QCOMPARE(sent.size(), 12);
        QCOMPARE(sent.at(8).mid(1, 4) + sent.at(9).mid(1, 4) + sent.at(10).mid(1, 4) +
                     sent.at(11).mid(1, 4),
                 bytes);
    }
};

QTEST_MAIN(TestStartDevice)
#include "test_start_device.moc"
