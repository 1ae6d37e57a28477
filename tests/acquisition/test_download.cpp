#include "acquisition/download.h"
#include "acquisition/memory_image.h"
#include "acquisition/time_left.h"
#include "acquisition/unread_readings.h"
#include "common/messages.h"
#include "device/param_reply.h"
#include "tests/support/fake_serial_link.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

// A memory image built the way a logger builds it, independently of the program's decoder.
QByteArray makeImage(const QList<int> &words, int serial = 45, bool corruptSum = false)
{
    QByteArray img(6, '\x55');
    for (int w : words) {
        img.append(char(w & 0xFF));
        img.append(char(w >> 8));
    }
    quint32 s = 0;
    for (qsizetype i = 6; i < img.size(); ++i)
        s = ((s * 2) & 0xFFFFFF) + quint8(img.at(i));
    if (corruptSum)
        s ^= 1;
    QByteArray trailer(40, '\0');
    trailer[0] = char(s & 0xFF);
    trailer[1] = char((s >> 8) & 0xFF);
    trailer[2] = char((s >> 16) & 0xFF);
    trailer[4] = 'M';  // interval unit
    trailer[5] = 1;    // tens
    trailer[6] = 5;    // units
    trailer[7] = 0x30; // minute 30
    trailer[8] = 0x14; // hour 14
    trailer[9] = 0x03; // month 3
    trailer[10] = char(0x01 | (2 << 6)); // day 1, year mod 4 = 2
    trailer[14] = 2;   // year div 4: year 10
    trailer[16] = 6;   // identification bytes
    trailer[17] = 5;
    trailer[18] = 13;
    trailer[19] = char(serial >> 8);
    trailer[20] = char(serial & 0xFF);
    const QByteArray loc("LAB A           ");
    for (int i = 0; i < 16; ++i)
        trailer[21 + i] = loc.at(i);
    trailer[37] = 'E';
    trailer[38] = 'N';
    trailer[39] = 'D';
    return img + trailer;
}

QByteArray paramReply(int storedBytes, int model = 1, bool full = false, int count = 40)
{
    QByteArray p(40, '\0');
    p[6] = char(full ? 0x03 : 0x02);
    p[16] = char(storedBytes & 0xFF);
    p[17] = char(storedBytes >> 8);
    p[18] = char(model);
    return p.left(count);
}

QList<int> someWords(int n)
{
    QList<int> w;
    for (int i = 0; i < n; ++i)
        w << 500 + (i % 50);
    return w;
}

// A download past its parameter stage: the logger announced `announced` data bytes and the
// memory request has gone out.
struct InMemoryStage
{
    FakeSerialLink link;
    Downloader d{link};
    QSignalSpy done{&d, &Downloader::finished};

    explicit InMemoryStage(int announced)
    {
        link.open("/dev/fake1", 1200);
        d.start();
        link.feed(paramReply(announced));
        d.onWaitTimer();
    }
};

} // namespace

class TestDownload : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void checksumAndShape_data()
    {
        QTest::addColumn<QByteArray>("image");
        QTest::addColumn<int>("expected");
        QTest::addColumn<int>("result");
        const QByteArray good = makeImage(someWords(10));
        QTest::newRow("exact length") << good << 20 << int(memimage::Check::Ok);
        QTest::newRow("longer than expected") << good << 10 << int(memimage::Check::Ok);
        QTest::newRow("one byte short") << good << 21 << int(memimage::Check::TooShort);
        QByteArray odd = good;
        odd.insert(6, 'x');
        QTest::newRow("odd data") << odd << 0 << int(memimage::Check::OddData);
        QTest::newRow("no END") << good.left(good.size() - 1) + "X" << 20
                                << int(memimage::Check::NoEnd);
        QTest::newRow("bad checksum") << makeImage(someWords(10), 45, true) << 20
                                      << int(memimage::Check::BadChecksum);
        QTest::newRow("no readings") << makeImage({}) << 0 << int(memimage::Check::Ok);
        QTest::newRow("one byte") << QByteArray("E") << 0 << int(memimage::Check::TooShort);
        QTest::newRow("too long") << QByteArray(memimage::kMaxImage + 1, 'x') + "END" << 0
                                  << int(memimage::Check::TooLong);
    }
    void checksumAndShape()
    {
        QFETCH(QByteArray, image);
        QFETCH(int, expected);
        QFETCH(int, result);
        QCOMPARE(int(memimage::check(image, expected)), result);
    }

    void checksumThatCarriesPastItsBytesNeverMatches()
    {
        // 23 bytes of 1 make 0x7FFFFF; doubling and adding 0xFF then carries past 24 bits.
        QList<int> w(11, 0x0101);
        w << 0xFF01;
        QByteArray img = makeImage(w);
        QCOMPARE(memimage::checksum(img), 0x10000FDu);
        QCOMPARE(memimage::check(img, 24), memimage::Check::BadChecksum);
    }

    void trailerDecodes()
    {
        const memimage::Trailer t = memimage::readTrailer(makeImage(someWords(3)));
        QCOMPARE(t.intervalUnit, 'M');
        QCOMPARE(t.intervalValue, 15);
        QCOMPARE(t.minute, 30);
        QCOMPARE(t.hour, 14);
        QCOMPARE(t.day, 1);
        QCOMPARE(t.month, 3);
        QCOMPARE(t.year, 10);
        QCOMPARE(t.serial, 45);
        QCOMPARE(t.serialText, QStringLiteral("0045 06 05 13"));
        QCOMPARE(t.location, QStringLiteral("LAB A           "));
        QVERIFY(t.enabled);
        QVERIFY(!memimage::readTrailer(makeImage({}, 0xFFFF)).enabled);
        QCOMPARE(memimage::words(makeImage({0x1234, 7})), (std::vector<std::int32_t>{0x1234, 7}));
    }

    // 19 bytes or more go on to the memory stage when the 2 s wait ends; a whole 40-byte block
    // goes on as soon as the line has been quiet for the guard after it.
    void parameterStageThreshold_data()
    {
        QTest::addColumn<int>("bytes");
        QTest::addColumn<bool>("goesOn");
        QTest::addColumn<bool>("early");
        QTest::newRow("18 is no reply") << 18 << false << false;
        QTest::newRow("19 is enough") << 19 << true << false;
        QTest::newRow("39 waits for the 2 s") << 39 << true << false;
        QTest::newRow("40 goes on at once") << 40 << true << true;
    }
    void parameterStageThreshold()
    {
        QFETCH(int, bytes);
        QFETCH(bool, goesOn);
        QFETCH(bool, early);
        FakeSerialLink link;
        link.open("/dev/fake1", 1200);
        Downloader d(link);
        d.start();
        QCOMPARE(link.written.last(), QByteArray::fromHex("525000000002"));
        QCOMPARE(d.TmrData().interval(), 2000);
        link.feed(paramReply(20).left(bytes));
        d.onPollTimer();
        QCOMPARE(d.guardTimer().isActive(), early);
        if (early)
            d.onGuardTimer();
        else
            d.onWaitTimer();
        QCOMPARE(link.written.last(),
                 goesOn ? QByteArray::fromHex("525200000000") : QByteArray::fromHex("525000000002"));
        QCOMPARE(d.TmrData().interval(), goesOn ? 3000 : 2000);
        QCOMPARE(d.waitsRunOut(), early ? 0 : 1);
    }

    // The logger's clock in the parameter reply against the computer's at the moment the reply
    // was complete, taken within ±12 hours.
    void clockOffsetOfTheReply_data()
    {
        QTest::addColumn<QTime>("logger");
        QTest::addColumn<QTime>("computer");
        QTest::addColumn<QVariant>("offset"); // qint64 seconds, or invalid: none
        QTest::newRow("5 min slow") << QTime(9, 55, 0) << QTime(10, 0, 0) << QVariant(-300LL);
        QTest::newRow("2 min 13 s fast") << QTime(10, 2, 13) << QTime(10, 0, 0) << QVariant(133LL);
        QTest::newRow("11 h 59 min fast") << QTime(23, 59, 0) << QTime(12, 0, 0) << QVariant(43140LL);
        QTest::newRow("fast across midnight") << QTime(0, 10, 0) << QTime(12, 11, 0) << QVariant(43140LL);
        QTest::newRow("slow across midnight") << QTime(23, 58, 0) << QTime(0, 3, 0) << QVariant(-300LL);
        QTest::newRow("registers not a time") << QTime() << QTime(12, 0, 0) << QVariant();
    }
    void clockOffsetOfTheReply()
    {
        QFETCH(QTime, logger);
        QFETCH(QTime, computer);
        QFETCH(QVariant, offset);
        FakeSerialLink link;
        link.open("/dev/fake1", 1200);
        Downloader d(link);
        const QDateTime seenAt(QDate(2026, 12, 8), computer);
        QDateTime now = seenAt;
        d.setClock([&now] { return now; });
        d.start();
        QByteArray reply = paramReply(20, 1, false, 19);
        const auto bcd = [](int v) { return char(((v / 10) << 4) | (v % 10)); };
        reply[10] = logger.isValid() ? bcd(logger.second()) : char(0x61);
        reply[12] = bcd(logger.minute());
        reply[14] = bcd(logger.hour());
        link.feed(reply);
        d.onPollTimer();
        now = seenAt.addSecs(2); // the wait ends later: the reply's moment counts
        d.onWaitTimer();
        QCOMPARE(d.clockOffset().has_value(), offset.isValid());
        if (offset.isValid())
            QCOMPARE(*d.clockOffset(), offset.toLongLong());
    }

    void fiveParameterRequestsAtMost()
    {
        FakeSerialLink link;
        link.open("/dev/fake1", 1200);
        Downloader d(link);
        QSignalSpy done(&d, &Downloader::finished);
        d.start();
        for (int i = 0; i < 5; ++i)
            d.onWaitTimer();
        QCOMPARE(link.written.size(), 5);
        QCOMPARE(done.count(), 1);
        QCOMPARE(done.first().first().value<Downloader::Outcome>(), Downloader::Outcome::NotResponding);
        QVERIFY(!d.isRunning());
    }

    void memoryFullExpects32000()
    {
        FakeSerialLink link;
        link.open("/dev/fake1", 1200);
        Downloader d(link);
        d.start();
        link.feed(paramReply(100, 1, true));
        d.onWaitTimer();
        QCOMPARE(d.expected(), 32000);
    }

    void imageInPiecesIsOneImage()
    {
        const QByteArray img = makeImage(someWords(10));
        InMemoryStage m(20);
        auto &[link, d, done] = m;
        // Pieces arrive in consecutive wait periods; a period with no byte ends the transfer.
        link.feed(img.left(30));
        d.onWaitTimer();
        link.feed(img.mid(30, 20));
        d.onWaitTimer();
        link.feed(img.mid(50));
        d.onWaitTimer();
        QCOMPARE(done.count(), 0);
        d.onWaitTimer(); // nothing new
        QCOMPARE(done.count(), 1);
        QCOMPARE(done.first().first().value<Downloader::Outcome>(), Downloader::Outcome::Done);
        QCOMPARE(d.image(), img);
        QCOMPARE(d.model(), 1);
    }

    // The line is looked at after each piece: a complete image, followed by a quiet guard, ends
    // the transfer without the 3 s silence; anything else still ends through the silence and
    // is asked for again.
    void completeImageEndsTheTransfer_data()
    {
        QTest::addColumn<int>("announced"); // data bytes the parameter reply announces
        QTest::addColumn<QList<QByteArray>>("pieces");
        QTest::addColumn<bool>("complete");
        const QByteArray img = makeImage(someWords(10));
        QTest::newRow("whole image") << 20 << QList<QByteArray>{img} << true;
        QTest::newRow("in pieces")
            << 20 << QList<QByteArray>{img.left(30), img.mid(30, 20), img.mid(50)} << true;
        // A reading logged between the two requests: the first 20 + 46 bytes are no image yet.
        const QByteArray longer = makeImage(someWords(11));
        QTest::newRow("one reading more than announced")
            << 20 << QList<QByteArray>{longer.left(66), longer.mid(66)} << true;
        QTest::newRow("bad checksum") << 20 << QList<QByteArray>{makeImage(someWords(10), 45, true)}
                                      << false;
        QTest::newRow("no END") << 18 << QList<QByteArray>{img.chopped(1)} << false;
        QTest::newRow("a byte after the image")
            << 20 << QList<QByteArray>{img, QByteArray(1, '\0')} << false;
    }
    void completeImageEndsTheTransfer()
    {
        QFETCH(int, announced);
        QFETCH(QList<QByteArray>, pieces);
        QFETCH(bool, complete);
        InMemoryStage m(announced);
        auto &[link, d, done] = m;
        for (const QByteArray &piece : pieces) {
            link.feed(piece);
            d.onPollTimer();
        }
        QCOMPARE(d.guardTimer().isActive(), complete);
        if (complete) {
            d.onGuardTimer();
            QCOMPARE(done.count(), 1);
            QCOMPARE(done.first().first().value<Downloader::Outcome>(), Downloader::Outcome::Done);
            QCOMPARE(d.image(), pieces.join());
            QCOMPARE(d.waitsRunOut(), 1); // the parameter stage's, driven above
            return;
        }
        d.onWaitTimer();
        d.onWaitTimer(); // a whole period without a byte: judged and refused
        QCOMPARE(done.count(), 0);
        QCOMPARE(link.written.size(), 3);
        QCOMPARE(link.written.last(), QByteArray::fromHex("525200000000"));
    }

    void timeLeft_data()
    {
        QTest::addColumn<int>("total");
        QTest::addColumn<QList<QPoint>>("arrivals"); // bytes received by a time in ms
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("nothing yet") << 846 << QList<QPoint>{{0, 900}} << -1 << "";
        QTest::newRow("under a second of arrivals")
            << 846 << QList<QPoint>{{10, 300}, {100, 1200}} << -1 << "";
        // 120 bytes a second from the first byte seen; the logger's pause before it is not
        // counted.
        QTest::newRow("400 readings") << 846 << QList<QPoint>{{6, 2000}, {126, 3000}} << 6
                                      << "about 6 s left";
        QTest::newRow("rounded up") << 846 << QList<QPoint>{{6, 2000}, {125, 3000}} << 7
                                    << "about 7 s left";
        QTest::newRow("over a minute") << 8446 << QList<QPoint>{{10, 500}, {130, 1500}} << 70
                                       << "about 1 min 10 s left";
        QTest::newRow("whole minutes") << 14406 << QList<QPoint>{{6, 0}, {126, 1000}} << 119
                                       << "about 2 min left";
        QTest::newRow("all there") << 846 << QList<QPoint>{{6, 0}, {846, 7000}} << 0 << "";
    }
    void timeLeft()
    {
        QFETCH(int, total);
        QFETCH(QList<QPoint>, arrivals);
        QFETCH(int, seconds);
        QFETCH(QString, text);
        TimeLeft t;
        t.restart(total);
        int left = TimeLeft::kUnknown;
        for (const QPoint &a : arrivals)
            left = t.update(a.x(), a.y());
        QCOMPARE(left, seconds);
        QCOMPARE(TimeLeft::text(left), text);
    }

    // What erasing would lose, from the parameter block: readings by the model's words, and
    // the time both requests, the block and the image take at 120 bytes a second.
    void unreadBeforeErase_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("serial");
        QTest::addColumn<QString>("question");
        const auto ask = [](const char *n, const char *t) {
            return msg::kReadBeforeErase.arg(QLatin1String(n), QLatin1String(t));
        };
        QTest::newRow("4,320 temperatures") << 1 << 0x02 << 8640 << 45 << ask("4,320", "1 min 13 s");
        QTest::newRow("humidity pairs") << 2 << 0x02 << 8640 << 45 << ask("2,160", "1 min 13 s");
        QTest::newRow("full memory") << 1 << 0x03 << 10 << 45 << ask("16,000", "4 min 28 s");
        QTest::newRow("one reading") << 7 << 0x00 << 2 << 45 << ask("1", "1 s");
        QTest::newRow("empty") << 1 << 0x02 << 0 << 45 << QString();
        QTest::newRow("never enabled") << 1 << 0x02 << 8640 << 0xFFFF << QString();
    }
    void unreadBeforeErase()
    {
        QFETCH(int, model);
        QFETCH(int, status);
        QFETCH(int, stored);
        QFETCH(int, serial);
        QFETCH(QString, question);
        QByteArray block(40, '\0');
        block[6] = char(status);
        block[16] = char(stored & 0xFF);
        block[17] = char(stored >> 8);
        block[18] = char(model);
        block[22] = char(serial >> 8);
        block[23] = char(serial & 0xFF);
        const UnreadReadings u = UnreadReadings::of(ParamReply(block));
        QCOMPARE(u.readings == 0 ? QString() : u.question(), question);
    }

    void gapEndsTheTransfer()
    {
        const QByteArray img = makeImage(someWords(10));
        InMemoryStage m(20);
        auto &[link, d, done] = m;
        link.feed(img.left(30));
        d.onWaitTimer();
        d.onWaitTimer(); // a whole period without a byte: the half image is judged and refused
        QCOMPARE(link.written.size(), 3); // the memory is asked for again
        QCOMPARE(link.written.last(), QByteArray::fromHex("525200000000"));
        QCOMPARE(d.Loop_Cntr(), 1);
    }

    void largeTransfersAreDrained()
    {
        const QByteArray img = makeImage(someWords(8000));
        InMemoryStage m(16000);
        auto &[link, d, done] = m;
        link.feed(img.left(12000));
        d.onWaitTimer();
        QCOMPARE(link.bytesWaiting(), 0); // more than 10000 waiting: drained into the buffer
        link.feed(img.mid(12000));
        d.onWaitTimer();
        QCOMPARE(link.bytesWaiting(), img.size() - 12000); // not over 10000: left waiting
        d.onWaitTimer();
        QCOMPARE(done.count(), 1);
        QCOMPARE(d.image(), img);
    }

    void badImagesAreRetriedFiveTimes_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("bad checksum") << makeImage(someWords(10), 45, true);
        QTest::newRow("no END") << makeImage(someWords(10)).chopped(1);
        QTest::newRow("short") << makeImage(someWords(9));
    }
    void badImagesAreRetriedFiveTimes()
    {
        QFETCH(QByteArray, reply);
        InMemoryStage m(20);
        auto &[link, d, done] = m;
        for (int attempt = 0; attempt < 5; ++attempt) {
            link.feed(reply);
            d.onWaitTimer();
            d.onWaitTimer();
        }
        QCOMPARE(done.count(), 1);
        QCOMPARE(done.first().first().value<Downloader::Outcome>(), Downloader::Outcome::NotResponding);
        QCOMPARE(link.written.size(), 6); // one parameter request, five memory requests
    }

    void replyLargerThanTheBufferIsRefused()
    {
        InMemoryStage m(20);
        auto &[link, d, done] = m;
        for (int i = 0; i < 10 && done.isEmpty(); ++i) {
            link.feed(QByteArray(40000, 'x'));
            d.onWaitTimer();
        }
        QCOMPARE(done.count(), 1);
        QCOMPARE(done.first().first().value<Downloader::Outcome>(), Downloader::Outcome::NotResponding);
        QVERIFY(d.image().isEmpty());
    }

    void damagedFirstImageThenGood()
    {
        InMemoryStage m(20);
        auto &[link, d, done] = m;
        link.feed(makeImage(someWords(10), 45, true));
        d.onWaitTimer();
        d.onWaitTimer();
        link.feed(makeImage(someWords(10)));
        d.onWaitTimer();
        d.onWaitTimer();
        QCOMPARE(done.count(), 1);
        QCOMPARE(done.first().first().value<Downloader::Outcome>(), Downloader::Outcome::Done);
    }

    void neverEnabledLogger()
    {
        InMemoryStage m(0);
        auto &[link, d, done] = m;
        link.feed(makeImage({}, 0xFFFF));
        d.onWaitTimer();
        d.onWaitTimer();
        QCOMPARE(done.first().first().value<Downloader::Outcome>(), Downloader::Outcome::NotEnabled);
        QCOMPARE(d.image().size(), 46);
    }

    void labelAppearsAfterTheLabelTimer()
    {
        FakeSerialLink link;
        link.open("/dev/fake1", 1200);
        Downloader d(link);
        QSignalSpy shown(&d, &Downloader::labelShown);
        QSignalSpy progress(&d, &Downloader::progress);
        d.start();
        QCOMPARE(d.TmrLbl().interval(), 100);
        QVERIFY(d.TmrLbl().isActive());
        QCOMPARE(shown.count(), 0);
        d.onLabelTimer();
        QCOMPARE(shown.count(), 1);
        QCOMPARE(progress.last().first().toInt(), 0);
        link.feed(paramReply(94));
        d.onWaitTimer();
        link.feed(QByteArray(50, 'x')); // half of 100 expected bytes
        d.onPollTimer();
        QCOMPARE(progress.last().first().toInt(), 50);
    }
};

QTEST_GUILESS_MAIN(TestDownload)
#include "test_download.moc"
