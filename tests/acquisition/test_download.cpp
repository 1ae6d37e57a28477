#include "acquisition/download.h"
#include "acquisition/memory_image.h"
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

    void parameterStageThreshold_data()
    {
        QTest::addColumn<int>("bytes");
        QTest::addColumn<bool>("goesOn");
        QTest::newRow("18 is no reply") << 18 << false;
        QTest::newRow("19 is enough") << 19 << true;
        QTest::newRow("40") << 40 << true;
    }
    void parameterStageThreshold()
    {
        QFETCH(int, bytes);
        QFETCH(bool, goesOn);
        FakeSerialLink link;
        link.open("/dev/fake1", 1200);
        Downloader d(link);
        d.start();
        QCOMPARE(link.written.last(), QByteArray::fromHex("525000000002"));
        QCOMPARE(d.TmrData().interval(), 2000);
        link.feed(paramReply(20).left(bytes));
        d.onWaitTimer();
        QCOMPARE(link.written.last(),
                 goesOn ? QByteArray::fromHex("525200000000") : QByteArray::fromHex("525000000002"));
        QCOMPARE(d.TmrData().interval(), goesOn ? 3000 : 2000);
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
        FakeSerialLink link;
        link.open("/dev/fake1", 1200);
        Downloader d(link);
        QSignalSpy done(&d, &Downloader::finished);
        const QByteArray img = makeImage(someWords(10));
        d.start();
        link.feed(paramReply(20));
        d.onWaitTimer();
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

    void gapEndsTheTransfer()
    {
        FakeSerialLink link;
        link.open("/dev/fake1", 1200);
        Downloader d(link);
        const QByteArray img = makeImage(someWords(10));
        d.start();
        link.feed(paramReply(20));
        d.onWaitTimer();
        link.feed(img.left(30));
        d.onWaitTimer();
        d.onWaitTimer(); // a whole period without a byte: the half image is judged and refused
        QCOMPARE(link.written.size(), 3); // the memory is asked for again
        QCOMPARE(link.written.last(), QByteArray::fromHex("525200000000"));
        QCOMPARE(d.Loop_Cntr(), 1);
    }

    void largeTransfersAreDrained()
    {
        FakeSerialLink link;
        link.open("/dev/fake1", 1200);
        Downloader d(link);
        QSignalSpy done(&d, &Downloader::finished);
        const QByteArray img = makeImage(someWords(8000));
        d.start();
        link.feed(paramReply(16000));
        d.onWaitTimer();
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
        FakeSerialLink link;
        link.open("/dev/fake1", 1200);
        Downloader d(link);
        QSignalSpy done(&d, &Downloader::finished);
        d.start();
        link.feed(paramReply(20));
        d.onWaitTimer();
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
        FakeSerialLink link;
        link.open("/dev/fake1", 1200);
        Downloader d(link);
        QSignalSpy done(&d, &Downloader::finished);
        d.start();
        link.feed(paramReply(20));
        d.onWaitTimer();
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
        FakeSerialLink link;
        link.open("/dev/fake1", 1200);
        Downloader d(link);
        QSignalSpy done(&d, &Downloader::finished);
        d.start();
        link.feed(paramReply(20));
        d.onWaitTimer();
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
        FakeSerialLink link;
        link.open("/dev/fake1", 1200);
        Downloader d(link);
        QSignalSpy done(&d, &Downloader::finished);
        d.start();
        link.feed(paramReply(0));
        d.onWaitTimer();
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
        d.onProgressTimer();
        QCOMPARE(progress.last().first().toInt(), 50);
    }
};

QTEST_GUILESS_MAIN(TestDownload)
#include "test_download.moc"
