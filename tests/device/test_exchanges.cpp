// The three ways of waiting for a logger's reply, driven by calling the timer handlers directly.

#include "device/command_frame.h"
#include "device/exchanges.h"
#include "tests/support/fake_serial_link.h"

#include <QSignalSpy>
#include <QTest>

namespace {

const QByteArray kFrame = frames::make('R', 'P');

QByteArray bytes(int n, char fill = 0x55) { return QByteArray(n, fill); }

QByteArray ackPlus(int extra) { return frames::acknowledgement() + QByteArray(extra, 0x00); }

} // namespace

class TestExchanges : public QObject
{
    Q_OBJECT

private:
    FakeSerialLink *m_link = nullptr;

private Q_SLOTS:
    void init()
    {
        m_link = new FakeSerialLink(this);
        m_link->open(QStringLiteral("/dev/fake1"), 1200);
    }
    void cleanup() { delete m_link; }

    void frameChecks_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<int>("check");
        QTest::newRow("A L 0 5 0") << frames::make('A', 'L', 0, 5, 0) << 0x08;
        QTest::newRow("R P 0 0 0") << frames::make('R', 'P') << 0x02;
        QTest::newRow("X 27 0F 0 0") << frames::make('X', 0x27, 0x0F) << (0x58 ^ 0x27 ^ 0x0F);
    }
    void frameChecks()
    {
        QFETCH(QByteArray, frame);
        QFETCH(int, check);
        QCOMPARE(frame.size(), 6);
        QCOMPARE(int(quint8(frame.at(5))), check);
    }

    // Style A: the count seen when the timer fires decides; "at least" for the clock query,
    // "exactly" for the dialogs.
    void pollThreshold_data()
    {
        QTest::addColumn<int>("rule");
        QTest::addColumn<int>("threshold");
        QTest::addColumn<int>("arrived");
        QTest::addColumn<bool>("accepted");
        const int atLeast = int(PollExchange::Rule::AtLeast);
        const int exactly = int(PollExchange::Rule::Exactly);
        QTest::newRow("18 of >=19") << atLeast << 19 << 18 << false;
        QTest::newRow("19 of >=19") << atLeast << 19 << 19 << true;
        QTest::newRow("40 of >=19") << atLeast << 19 << 40 << true;
        QTest::newRow("39 of ==40") << exactly << 40 << 39 << false;
        QTest::newRow("40 of ==40") << exactly << 40 << 40 << true;
        QTest::newRow("41 of ==40") << exactly << 40 << 41 << false;
        QTest::newRow("none of ==40") << exactly << 40 << 0 << false;
    }
    void pollThreshold()
    {
        QFETCH(int, rule);
        QFETCH(int, threshold);
        QFETCH(int, arrived);
        QFETCH(bool, accepted);
        PollExchange ex(m_link, 500, PollExchange::Rule(rule), threshold, 5);
        QSignalSpy replied(&ex, &PollExchange::replied);
        ex.start(kFrame);
        const QByteArray reply = bytes(arrived, 0x31);
        m_link->feed(reply);
        ex.onTimer();
        QCOMPARE(replied.count(), accepted ? 1 : 0);
        if (accepted) {
            QCOMPARE(replied.at(0).at(0).toByteArray(), reply);
            QVERIFY(!ex.isRunning());
            QCOMPARE(m_link->written.size(), 1);
        } else {
            // Not a reply: the frame goes out again and the poll is re-armed.
            QVERIFY(ex.isRunning());
            QCOMPARE(m_link->written.size(), 2);
            QCOMPARE(m_link->written.at(1), kFrame);
            QVERIFY(ex.timer().isActive());
        }
        // Whatever was waiting has been taken or discarded.
        QCOMPARE(m_link->bytesWaiting(), 0);
    }

    // The number of frames written before the exchange gives up, and that it then stays quiet.
    void budgets_data()
    {
        QTest::addColumn<QString>("style");
        QTest::addColumn<int>("maxSends");
        QTest::newRow("A, 5 sends") << "A" << 5;
        QTest::newRow("B, 4 sends") << "B" << 4;
        QTest::newRow("C, 5 sends") << "C" << 5;
    }
    void budgets()
    {
        QFETCH(QString, style);
        QFETCH(int, maxSends);
        std::unique_ptr<Exchange> ex;
        std::unique_ptr<QSignalSpy> failed;
        if (style == "A") {
            auto *p = new PollExchange(m_link, 1000, PollExchange::Rule::Exactly, 40, maxSends);
            failed = std::make_unique<QSignalSpy>(p, &PollExchange::failed);
            ex.reset(p);
        } else if (style == "B") {
            auto *p = new AckPollExchange(m_link, 1000, maxSends);
            failed = std::make_unique<QSignalSpy>(p, &AckPollExchange::failed);
            ex.reset(p);
        } else {
            auto *p = new WaitExchange(m_link, 2000, maxSends);
            failed = std::make_unique<QSignalSpy>(p, &WaitExchange::failed);
            ex.reset(p);
        }
        ex->start(kFrame);
        for (int poll = 1; poll <= maxSends + 3; ++poll) {
            m_link->feed(bytes(3)); // always too short
            ex->onTimer();
        }
        QCOMPARE(m_link->written.size(), maxSends);
        QCOMPARE(failed->count(), 1);
        QCOMPARE(ex->retryCount(), maxSends);
        QVERIFY(!ex->isRunning());
        QVERIFY(!ex->timer().isActive());

        // A new start has a fresh budget.
        m_link->written.clear();
        ex->start(kFrame);
        QCOMPARE(ex->retryCount(), 0);
        for (int poll = 1; poll < maxSends; ++poll)
            ex->onTimer();
        QCOMPARE(m_link->written.size(), maxSends);
        QCOMPARE(failed->count(), 1);
    }

    // Bytes of one poll never add up with bytes of the next: each send discards what is
    // waiting, so a reply that straggles in across a resend is not assembled.
    void lateBytesDiscardedByNextSend_data()
    {
        QTest::addColumn<QString>("style");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("second");
        QTest::newRow("A: 20 + 20 is not 40") << "A" << 20 << 20;
        QTest::newRow("B: 5 + 4 is not 9") << "B" << 5 << 4;
        QTest::newRow("C: 4 + 5 is not 9") << "C" << 4 << 5;
    }
    void lateBytesDiscardedByNextSend()
    {
        QFETCH(QString, style);
        QFETCH(int, first);
        QFETCH(int, second);
        std::unique_ptr<Exchange> ex;
        int done = 0;
        if (style == "A") {
            auto *p = new PollExchange(m_link, 1000, PollExchange::Rule::Exactly, 40, 5);
            connect(p, &PollExchange::replied, this, [&done] { ++done; });
            ex.reset(p);
        } else if (style == "B") {
            auto *p = new AckPollExchange(m_link, 1000, 4);
            connect(p, &AckPollExchange::acknowledged, this, [&done] { ++done; });
            ex.reset(p);
        } else {
            auto *p = new WaitExchange(m_link, 2000, 5);
            connect(p, &WaitExchange::acknowledged, this, [&done] { ++done; });
            connect(p, &WaitExchange::failed, this, [&done] { ++done; });
            ex.reset(p);
        }
        // Stale bytes from before the command are gone when the frame is written.
        m_link->feed(bytes(30));
        int waitingAtWrite = -1;
        m_link->onWrite = [&](const QByteArray &) { waitingAtWrite = int(m_link->bytesWaiting()); };
        ex->start(kFrame);
        QCOMPARE(waitingAtWrite, 0);

        // A 40-byte block that starts like an acknowledgement, split over two polls.
        const QByteArray whole = ackPlus(31);
        m_link->feed(whole.left(first));
        ex->onTimer();
        QCOMPARE(m_link->written.size(), 2);
        m_link->feed(whole.mid(first, second));
        ex->onTimer();
        QCOMPARE(done, 0);
        QCOMPARE(m_link->written.size(), 3);
    }

    // Style B: exactly nine bytes, and only an acknowledgement, complete a step.
    void ackPollJudgement_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("9-byte acknowledgement") << QByteArray::fromHex("000000000000010203") << true;
        QTest::newRow("bytes 0-5 not examined") << QByteArray::fromHex("ffeeddccbbaa010203") << true;
        QTest::newRow("10 bytes") << ackPlus(1) << false;
        QTest::newRow("8 bytes") << frames::acknowledgement().left(8) << false;
        QTest::newRow("9 bytes, 1 2 4") << QByteArray::fromHex("000000000000010204") << false;
        QTest::newRow("9 bytes, 3 2 1") << QByteArray::fromHex("000000000000030201") << false;
    }
    void ackPollJudgement()
    {
        QFETCH(QByteArray, reply);
        QFETCH(bool, accepted);
        AckPollExchange ex(m_link, 1000, 4);
        QSignalSpy acked(&ex, &AckPollExchange::acknowledged);
        QSignalSpy retrying(&ex, &AckPollExchange::retrying);
        ex.start(kFrame);
        m_link->feed(reply);
        ex.onTimer();
        QCOMPARE(acked.count(), accepted ? 1 : 0);
        QCOMPARE(retrying.count(), accepted ? 0 : 1);
        QCOMPARE(m_link->written.size(), accepted ? 1 : 2);
        QCOMPARE(m_link->bytesWaiting(), 0);
    }

    // Style B with no limit: the frame repeats until acknowledged, however long that takes.
    void ackPollWithoutLimit()
    {
        AckPollExchange ex(m_link, 1000, 0);
        QSignalSpy acked(&ex, &AckPollExchange::acknowledged);
        QSignalSpy failed(&ex, &AckPollExchange::failed);
        ex.start(kFrame);
        for (int i = 0; i < 60; ++i)
            ex.onTimer();
        QCOMPARE(failed.count(), 0);
        QVERIFY(ex.isRunning());
        QCOMPARE(m_link->written.size(), 61);
        m_link->feed(frames::acknowledgement());
        ex.onTimer();
        QCOMPARE(acked.count(), 1);
        QVERIFY(!ex.isRunning());

        // Cancelling ends the repetition with no signal.
        ex.start(kFrame);
        ex.cancel();
        const qsizetype before = m_link->written.size();
        ex.onTimer();
        QCOMPARE(m_link->written.size(), before);
        QVERIFY(!ex.timer().isActive());
    }

    // Style C: nine or more bytes are judged at once, with no further tries either way.
    void waitJudgement_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("outcome"); // 1 acknowledged, -1 failed, 0 sent again
        QTest::newRow("9-byte acknowledgement") << frames::acknowledgement() << 1;
        QTest::newRow("12 bytes, 1 2 3 at 6-8") << ackPlus(3) << 1;
        QTest::newRow("12 bytes, other at 6-8") << QByteArray::fromHex("000000000000030303000000")
                                                << -1;
        QTest::newRow("9 zero bytes") << QByteArray(9, 0) << -1;
        QTest::newRow("8 bytes") << frames::acknowledgement().left(8) << 0;
    }
    void waitJudgement()
    {
        QFETCH(QByteArray, reply);
        QFETCH(int, outcome);
        WaitExchange ex(m_link, 2000, 5);
        QSignalSpy acked(&ex, &WaitExchange::acknowledged);
        QSignalSpy failed(&ex, &WaitExchange::failed);
        ex.start(kFrame);
        QCOMPARE(ex.timer().interval(), 2000);
        QVERIFY(ex.timer().isSingleShot());
        m_link->feed(reply);
        ex.onTimer();
        QCOMPARE(acked.count(), outcome == 1 ? 1 : 0);
        QCOMPARE(failed.count(), outcome == -1 ? 1 : 0);
        QCOMPARE(m_link->written.size(), outcome == 0 ? 2 : 1);
        QCOMPARE(ex.isRunning(), outcome == 0);
    }

    // A handler may start the same exchange again from its signal (the next step of a
    // command); the new run must not be cut short by the old one finishing.
    void restartFromHandler()
    {
        WaitExchange ex(m_link, 2000, 5);
        const QByteArray second = frames::make('A', 'T');
        connect(&ex, &WaitExchange::acknowledged, this, [&] {
            if (ex.frame() != second)
                ex.start(second);
        });
        ex.start(frames::make('A', 'L', 0, 5, 0));
        m_link->feed(frames::acknowledgement());
        ex.onTimer();
        QVERIFY(ex.isRunning());
        QVERIFY(ex.timer().isActive());
        QCOMPARE(m_link->written.last(), second);
        QCOMPARE(ex.retryCount(), 0);
    }

    // A port that went away swallows the frames; the exchange runs out its budget and
    // reports failure rather than hanging.
    void closedLinkCountsAsSilence()
    {
        PollExchange ex(m_link, 500, PollExchange::Rule::AtLeast, 19, 5);
        QSignalSpy failed(&ex, &PollExchange::failed);
        m_link->close();
        ex.start(kFrame);
        for (int i = 0; i < 5; ++i)
            ex.onTimer();
        QCOMPARE(failed.count(), 1);
        QVERIFY(m_link->written.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestExchanges)
#include "test_exchanges.moc"
