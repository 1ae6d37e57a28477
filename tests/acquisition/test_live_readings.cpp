#include "acquisition/live_readings.h"
#include "acquisition/reading_set.h"
#include "acquisition/readings_table.h"
#include "common/clock.h"
#include "common/datetext.h"
#include "common/messages.h"
#include "common/prompter.h"
#include "tests/support/fake_serial_link.h"

#include <QSignalSpy>
#include <QtTest>

namespace {
QByteArray params(int model, bool enabled = true)
{
    QByteArray p(40, '\0');
    p[18] = char(model);
    p[19] = 7;
    p[20] = 3;
    p[21] = 24;
    p[22] = char(enabled ? 0x00 : 0xFF);
    p[23] = char(enabled ? 0x2D : 0xFF);
    const QByteArray loc("COLD ROOM 2     ");
    for (int i = 0; i < 16; ++i)
        p[24 + i] = loc.at(i);
    return p;
}

QByteArray reading(int w1, int w2 = -1)
{
    QByteArray r = QByteArray::fromHex("525400000006");
    r.append(char(w1 & 0xFF)).append(char(w1 >> 8));
    if (w2 >= 0)
        r.append(char(w2 & 0xFF)).append(char(w2 >> 8));
    return r;
}
} // namespace

class TestLiveReadings : public QObject
{
    Q_OBJECT

    FakeSerialLink m_link;
    ScriptedPrompter m_prompter;
    ReadingSet *m_set = nullptr;
    LiveReadings *m_live = nullptr;
    FixedClock m_clock{QDateTime(QDate(2024, 3, 1), QTime(10, 0, 0))};
    int m_interval = 2;

    // Runs the parameter check with a reply for `model`.
    void checkParameters(int model)
    {
        m_live->start();
        m_link.feed(params(model));
        m_live->onTimerRTC();
    }
    // One request/reply cycle from the countdown to the row.
    void cycle(const QByteArray &reply)
    {
        while (!m_live->TimerRTC2().isActive() && m_live->TimerRTC1().isActive())
            m_live->onTimerRTC1();
        m_link.feed(reply);
        m_live->onTimerRTC2();
    }

private Q_SLOTS:
    void init()
    {
        Clock::install(&m_clock);
        m_link.open("/dev/fake1", 1200);
        m_link.written.clear();
        m_link.rx.clear();
        m_prompter.clear();
        m_set = new ReadingSet;
        m_set->table().setRows(1);
        m_live = new LiveReadings(m_link, *m_set, m_prompter, [this] { return m_interval; });
        m_interval = 2;
    }
    void cleanup()
    {
        delete m_live;
        delete m_set;
        Clock::install(nullptr);
    }

    void firstReadingTiming()
    {
        m_live->start();
        QCOMPARE(m_live->TimerRTC().interval(), 500);
        QVERIFY(m_live->TimerRTC().isActive());
        m_link.feed(params(1));
        m_live->onTimerRTC();
        QCOMPARE(m_set->MODEL, quint8(1));
        QCOMPARE(m_set->SerialText(), QStringLiteral(":     0045 07 03 24"));
        QCOMPARE(m_set->locationCaption(), QStringLiteral(":    COLD ROOM 2     "));
        QVERIFY(m_live->TimerRTC1().isActive());
        QCOMPARE(m_live->TimerRTC1().interval(), 1000);
        m_live->onTimerRTC1(); // RTCinter 1 -> 0: ask
        QCOMPARE(m_link.written.last(), QByteArray::fromHex("525400000006"));
        QVERIFY(m_live->TimerRTC2().isActive());
        QCOMPARE(m_live->TimerRTC2().interval(), 1000);
        m_link.feed(reading(706)); // 0.0 degC
        m_live->onTimerRTC2();
        QCOMPARE(m_set->table().rows(), 2);
        QCOMPARE(m_set->table().text(1, 0), QStringLiteral("1"));
        QCOMPARE(m_set->table().text(1, 1), datetext::dateText(QDate(2024, 3, 1)));
        QCOMPARE(m_set->table().text(1, 2), datetext::timeText(QTime(10, 0, 0)));
        QCOMPARE(m_set->table().text(1, 3), QStringLiteral("00.0"));
        // "2 Seconds": one countdown tick, then the next request.
        QCOMPARE(m_live->RTCinter, 1);
        const int before = m_link.written.size();
        m_live->onTimerRTC1();
        QCOMPARE(m_link.written.size(), before + 1);
    }

    void longerIntervalCountsDown()
    {
        m_interval = 5;
        checkParameters(1);
        cycle(reading(706));
        QCOMPARE(m_live->RTCinter, 4);
        const int before = m_link.written.size();
        for (int i = 0; i < 3; ++i)
            m_live->onTimerRTC1();
        QCOMPARE(m_link.written.size(), before);
        m_live->onTimerRTC1();
        QCOMPARE(m_link.written.size(), before + 1);
    }

    void valuesByModel_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("humidity");
        QTest::newRow("temperature") << 1 << reading(560) << "14.8" << "";
        QTest::newRow("temperature invalid") << 7 << reading(919) << "***" << "";
        QTest::newRow("voltage") << 3 << reading(1023) << "2.500" << "";
        QTest::newRow("co2") << 32 << reading(1) << "2" << "";
        QTest::newRow("humidity") << 2 << reading(6000, 1500) << "20.4" << "49.9";
        // Above 70 degC: both columns invalid.
        QTest::newRow("humidity too hot") << 6 << reading(11000, 1500) << "***" << "***";
        QTest::newRow("humidity word 0") << 2 << reading(6000, 0) << "20.4" << "***";
    }
    void valuesByModel()
    {
        QFETCH(int, model);
        QFETCH(QByteArray, reply);
        QFETCH(QString, value);
        QFETCH(QString, humidity);
        checkParameters(model);
        cycle(reply);
        const ReadingsTable &t = m_set->table();
        QCOMPARE(t.text(1, 3), value);
        QCOMPARE(t.isRed(1, 3), value == "***");
        if (!humidity.isEmpty()) {
            QCOMPARE(t.text(1, 4), humidity);
            QCOMPARE(t.isRed(1, 4), humidity == "***");
        }
    }

    void fahrenheitAffectsLaterRowsOnly()
    {
        checkParameters(1);
        cycle(reading(706));
        m_set->Cels_Faren = 0;
        cycle(reading(706));
        QCOMPARE(m_set->table().text(1, 3), QStringLiteral("00.0"));
        QCOMPARE(m_set->table().text(2, 3), QStringLiteral("32.0"));
    }

    void wrongLengthIsAnError()
    {
        QSignalSpy failed(m_live, &LiveReadings::failed);
        checkParameters(1);
        cycle(reading(706) + "x"); // 9 bytes from a temperature logger
        QCOMPARE(m_prompter.messages(), QStringList{msg::kLiveError});
        QCOMPARE(failed.count(), 1);
        QVERIFY(!m_live->isRunning());
        QCOMPARE(m_set->table().rows(), 1);
    }

    void silentLoggerAfterFiveRequests()
    {
        QSignalSpy failed(m_live, &LiveReadings::failed);
        checkParameters(1);
        m_live->onTimerRTC1();
        const int before = m_link.written.size();
        for (int i = 0; i < 5; ++i)
            m_live->onTimerRTC2();
        QCOMPARE(m_link.written.size() - before, 4); // 5 requests in all
        QCOMPARE(m_prompter.messages(), QStringList{msg::kNotResponding});
        QCOMPARE(m_prompter.shown.last().title, msg::kTitleWarningDots);
        QCOMPARE(failed.count(), 1);
        QCOMPARE(m_live->Loop_Cntr, 0);
    }

    void parameterReplyRules_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("requests"); // requests sent by the data window itself
        QTest::addColumn<QString>("message");
        QTest::newRow("39 bytes") << params(1).left(39) << 4 << msg::kNotResponding;
        QTest::newRow("41 bytes") << params(1) + "x" << 4 << msg::kNotResponding;
        QTest::newRow("never enabled") << params(1, false) << 0 << msg::kNotEnabled;
    }
    void parameterReplyRules()
    {
        QFETCH(QByteArray, reply);
        QFETCH(int, requests);
        QFETCH(QString, message);
        QSignalSpy failed(m_live, &LiveReadings::failed);
        m_live->start();
        for (int i = 0; i < 5 && failed.isEmpty(); ++i) {
            m_link.feed(reply);
            m_live->onTimerRTC();
        }
        QCOMPARE(m_link.written.size(), requests);
        QCOMPARE(m_prompter.messages(), QStringList{message});
        QCOMPARE(failed.count(), 1);
        QVERIFY(!m_live->TimerRTC1().isActive());
    }

    void stopEndsEveryTimer()
    {
        m_live->start();
        m_live->stop();
        QVERIFY(!m_live->isRunning());
    }
};

QTEST_GUILESS_MAIN(TestLiveReadings)
#include "test_live_readings.moc"
