// The simulated logger's protocol, checked against an independent reading of the wire format:
// every decoder here is written from the frame and image layouts, not taken from the simulator.

#include "tools/logger-sim/logger_core.h"

#include <QTest>

#include <cmath>

using namespace loggersim;

namespace {

QByteArray frame(std::initializer_list<int> b04)
{
    QByteArray f;
    quint8 x = 0;
    for (int b : b04) {
        f.append(char(b));
        x ^= quint8(b);
    }
    f.append(char(x));
    return f;
}

QByteArray hexFrame(const char *hex) { return QByteArray::fromHex(hex); }

int u8(const QByteArray &b, qsizetype i) { return quint8(b.at(i)); }
int bcd(int b) { return (b >> 4) * 10 + (b & 0x0F); }

// Sum over bytes 6 .. n-41; nullopt when the last addition leaves 24 bits.
std::optional<quint32> imageSum(const QByteArray &img)
{
    quint64 s = 0;
    for (qsizetype i = 6; i <= img.size() - 41; ++i)
        s = ((s * 2) & 0xFFFFFF) + u8(img, i);
    if (s > 0xFFFFFF)
        return std::nullopt;
    return quint32(s);
}

quint32 storedSum(const QByteArray &img)
{
    const qsizetype n = img.size();
    return quint32(u8(img, n - 40) | u8(img, n - 39) << 8 | u8(img, n - 38) << 16);
}

bool isAck(const QByteArray &r) { return r.size() == 9 && r.mid(6) == QByteArray("\x01\x02\x03", 3); }

QByteArray ask(LoggerCore &core, const QByteArray &f)
{
    const auto ex = core.receive(f);
    return ex.isEmpty() ? QByteArray() : ex.first().reply;
}

QByteArray params(LoggerCore &c) { return ask(c, frame({'R', 'P', 0, 0, 0})); }
QByteArray image(LoggerCore &c) { return ask(c, frame({'R', 'R', 0, 0, 0})); }

// Sensor conversions as the program applies them.
double thermistor(int raw)
{
    static const int seg[][5] = {
        {893, 918, 918, 26, -30}, {864, 892, 892, 29, -25}, {829, 863, 863, 35, -20},
        {792, 828, 828, 37, -15}, {750, 791, 791, 42, -10}, {707, 749, 749, 43, -5},
        {657, 706, 706, 50, 0},   {609, 656, 656, 48, 5},   {559, 608, 608, 50, 10},
        {505, 558, 558, 54, 15},  {461, 504, 504, 44, 20},  {419, 460, 460, 42, 25},
        {370, 418, 418, 49, 30},  {332, 369, 369, 38, 35},  {296, 331, 331, 36, 40},
        {255, 295, 295, 41, 45},  {233, 254, 254, 22, 50},  {209, 232, 232, 24, 55},
        {181, 208, 208, 28, 60},  {158, 180, 180, 23, 65}};
    if (raw == 157)
        return 70.0;
    for (const auto &s : seg)
        if (raw >= s[0] && raw <= s[1])
            return s[4] + 5.0 * (s[2] - raw) / s[3];
    return 9999.0;
}

double rhTemp(int raw)
{
    const double t = raw * 0.01 - 39.6;
    return t >= -30 && t <= 70 ? t : 9999.0;
}

double rh(int so, double t)
{
    if (t > 70 || so == 0)
        return 9999.0;
    const double v = (t - 25) * (0.01 + 0.00008 * so) - 4.0 + 0.0405 * so - 0.0000028 * so * so;
    return v > 99.9 ? 99.9 : v < 1.0 ? 9999.0 : v;
}

} // namespace

class TestLoggerSim : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void imagePassesChecksAndTrailerDecodes_data();
    void imagePassesChecksAndTrailerDecodes();
    void checksumNeverCarriesPast24Bits();
    void startSequenceProgramsTheLogger();
    void delayedStartWaitsThenLogs_data();
    void delayedStartWaitsThenLogs();
    void framesLineUpInNoise_data();
    void framesLineUpInNoise();
    void faults_data();
    void faults();
    void readingsAreRealistic_data();
    void readingsAreRealistic();
    void failedReadingsOnCue_data();
    void failedReadingsOnCue();
};

void TestLoggerSim::imagePassesChecksAndTrailerDecodes_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<int>("readings");
    QTest::addColumn<char>("unit");
    QTest::addColumn<int>("count");
    QTest::addColumn<QDateTime>("clock");
    QTest::addColumn<int>("serial");
    QTest::addColumn<bool>("full");

    const auto at = [](int y, int mo, int d, int h, int mi, int s) {
        return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC);
    };
    QTest::newRow("RV-110 few") << 1 << 5 << 'M' << 1 << at(2010, 3, 1, 14, 5, 9) << 45 << false;
    QTest::newRow("RV-210 three days, year 23 splits 3+4*5")
        << 2 << 432 << 'M' << 10 << at(2023, 12, 31, 23, 59, 30) << 9999 << false;
    QTest::newRow("RV-410 seconds") << 3 << 700 << 'S' << 30 << at(2024, 2, 29, 0, 0, 0) << 255 << false;
    QTest::newRow("RV-420 hours") << 32 << 48 << 'H' << 2 << at(2031, 7, 19, 8, 41, 0) << 1 << false;
    QTest::newRow("RV-220 empty") << 6 << 0 << 'M' << 15 << at(2012, 10, 9, 17, 30, 0) << 7 << false;
    QTest::newRow("RV-120 full") << 4 << 20000 << 'S' << 5 << at(2019, 5, 6, 12, 0, 0) << 12 << true;
    QTest::newRow("RV-220 full") << 6 << 8000 << 'M' << 1 << at(2020, 1, 1, 0, 1, 0) << 300 << true;
    QTest::newRow("never enabled") << 8 << 10 << 'H' << 1 << at(2000, 1, 1, 1, 1, 1) << 0xFFFF << false;
}

void TestLoggerSim::imagePassesChecksAndTrailerDecodes()
{
    QFETCH(int, model);
    QFETCH(int, readings);
    QFETCH(char, unit);
    QFETCH(int, count);
    QFETCH(QDateTime, clock);
    QFETCH(int, serial);
    QFETCH(bool, full);

    LoggerCore core;
    LoggerState &s = core.state();
    s.model = quint8(model);
    s.intervalUnit = unit;
    s.intervalCount = count;
    s.clock = RtcTime::fromDateTime(clock);
    s.serial = quint16(serial);
    s.idBytes = {6, 5, 13};
    s.setLocation("Cold room 2");
    core.readings().setInvalidShare(0.2);
    core.fillHistory(readings);

    const QByteArray p = params(core);
    QCOMPARE(p.size(), 40);
    QCOMPARE(u8(p, 18), model);
    QCOMPARE(bool(u8(p, 6) & 1), full);
    const int perReading = (model == 2 || model == 6) ? 4 : 2;
    const int expected = full ? 32000 : u8(p, 16) | u8(p, 17) << 8;
    QCOMPARE(expected, std::min(readings * perReading, 32000));

    const QByteArray img = image(core);
    const qsizetype n = img.size();
    QVERIFY(img.endsWith("END"));
    QCOMPARE(n, qsizetype(expected + 46));
    QCOMPARE((n - 46) % 2, 0);
    const auto sum = imageSum(img);
    QVERIFY(sum.has_value());
    QCOMPARE(*sum, storedSum(img));

    QCOMPARE(u8(img, n - 36), int(unit));
    QCOMPARE(10 * u8(img, n - 35) + u8(img, n - 34), count);
    QCOMPARE(bcd(u8(img, n - 33)), clock.time().minute()); // newest reading: taken "now"
    QCOMPARE(bcd(u8(img, n - 32)), clock.time().hour());
    QCOMPARE(bcd(u8(img, n - 31)), clock.date().month());
    QCOMPARE(bcd(u8(img, n - 30) & 63), clock.date().day());
    QCOMPARE((u8(img, n - 30) >> 6) + 4 * u8(img, n - 26), clock.date().year() - 2000);
    QCOMPARE(img.mid(n - 24, 3), QByteArray("\x06\x05\x0d", 3));
    QCOMPARE(u8(img, n - 21) * 256 + u8(img, n - 20), serial);
    QCOMPARE(img.mid(n - 19, 16), QByteArray("Cold room 2     "));
    // The words on the wire are the stored ones, low byte first, oldest first.
    if (readings > 0)
        QCOMPARE(u8(img, 6) | u8(img, 7) << 8, int(s.words.first()));
}

void TestLoggerSim::checksumNeverCarriesPast24Bits()
{
    // Bytes 0/1 spelling 0x7FFF80 in binary bring the sum to the edge; a last word 0x03FF then
    // pushes the final addition past 24 bits.
    QByteArray data(1, '\0');
    for (int bit = 22; bit >= 0; --bit)
        data.append(char((0x7FFF80 >> bit) & 1));
    data.append("\xFF\x03", 2);
    LoggerCore core;
    for (qsizetype i = 0; i < data.size(); i += 2)
        core.state().words.append(quint16(u8(data, i) | u8(data, i + 1) << 8));
    QVERIFY2(!imageSum(QByteArray(6, 0) + data + QByteArray(40, 0)).has_value(),
             "the crafted words must make the plain sum carry");

    const QByteArray img = image(core);
    const auto sum = imageSum(img);
    QVERIFY(sum.has_value());
    QCOMPARE(*sum, storedSum(img));
    // Only the newest word's low byte may move, and only a little.
    QCOMPARE(img.mid(6, data.size() - 2), data.left(data.size() - 2));
    QCOMPARE(u8(img, 6 + data.size() - 1), 0x03);
    QVERIFY(std::abs(u8(img, 6 + data.size() - 2) - 0xFF) <= 4);
}

void TestLoggerSim::startSequenceProgramsTheLogger()
{
    LoggerCore core;
    LoggerState &s = core.state();
    s.model = 1;
    s.serial = 45;
    s.clock = RtcTime::fromDateTime(QDateTime(QDate(2024, 6, 15), QTime(8, 0), Qt::UTC));
    core.fillHistory(300);

    // 1 March 2010 14:05:09, every 15 minutes, start now, location "LAB A".
    const char *steps[] = {"535309000009", "534D0500001B", "53480401001E", "534401000016",
                           "534E0300001E", "53590202000A", "53544D05014E", "415300000012",
                           "454C4142202A", "464120202027", "472020202047", "482020202048"};
    for (const char *hex : steps) {
        QVERIFY2(isAck(ask(core, hexFrame(hex))), hex);
    }
    QByteArray p = params(core);
    QCOMPARE(u8(p, 6), 2); // started, not waiting, not full
    QCOMPARE(p.mid(7, 3), QByteArray("M\x01\x05", 3));
    QCOMPARE(p.mid(10, 5), QByteArray("\x09\x00\x05\x00\x14", 5));
    QCOMPARE(u8(p, 16) | u8(p, 17) << 8, 2); // old readings gone; the first is taken at the start
    QCOMPARE(p.mid(24, 16), QByteArray("LAB A           "));
    QCOMPARE(u8(p, 22) * 256 + u8(p, 23), 45);

    // The clock runs on from there, and the logger keeps its interval.
    core.advance(30 * 60 + 51);
    p = params(core);
    QCOMPARE(p.mid(10, 5), QByteArray("\x00\x00\x36\x00\x14", 5));
    QCOMPARE(u8(p, 16) | u8(p, 17) << 8, 3 * 2);
    const QByteArray img = image(core);
    const qsizetype n = img.size();
    QCOMPARE(img.mid(n - 33, 4), QByteArray("\x35\x14\x03\x81", 4)); // 14:35, 1 March, year 10
    QCOMPARE(u8(img, n - 26), 2);
}

void TestLoggerSim::delayedStartWaitsThenLogs_data()
{
    QTest::addColumn<QByteArray>("startFrame");
    QTest::addColumn<int>("minutes");
    QTest::newRow("2 h 30 min") << hexFrame("414C0096009B") << 150;
    QTest::newRow("24 h") << frame({'A', 'L', 0x05, 0xA0, 0}) << 1440;
    QTest::newRow("clear-and-stop's first frame") << hexFrame("414C00050008") << 5;
}

void TestLoggerSim::delayedStartWaitsThenLogs()
{
    QFETCH(QByteArray, startFrame);
    QFETCH(int, minutes);
    LoggerCore core;
    core.state().model = 2;
    core.state().intervalUnit = 'M';
    core.state().intervalCount = 1;
    core.state().started = true;
    core.fillHistory(500);

    QVERIFY(isAck(ask(core, startFrame)));
    QByteArray p = params(core);
    QCOMPARE(u8(p, 6), 4);
    QCOMPARE(u8(p, 16) | u8(p, 17) << 8, 0);

    core.advance(qint64(minutes) * 60 - 1);
    QCOMPARE(u8(params(core), 6), 4);
    QCOMPARE(core.readingCount(), 0);
    core.advance(1);
    QCOMPARE(u8(params(core), 6), 2);
    core.advance(60);
    QCOMPARE(core.readingCount(), 2);

    // "A","T" stops the run and keeps what was logged.
    QVERIFY(isAck(ask(core, hexFrame("415400000015"))));
    core.advance(3600);
    p = params(core);
    QCOMPARE(u8(p, 6), 0);
    QCOMPARE(u8(p, 16) | u8(p, 17) << 8, 8);
}

void TestLoggerSim::framesLineUpInNoise_data()
{
    QTest::addColumn<QList<QByteArray>>("chunks");
    QTest::addColumn<QByteArray>("answered"); // first letters of the frames acted on

    const QByteArray stop = hexFrame("415400000015");
    const QByteArray rp = hexFrame("525000000002");
    QByteArray badCheck = rp;
    badCheck[5] = 0x03;
    QTest::newRow("clean") << QList<QByteArray>{rp} << QByteArray("R");
    QTest::newRow("noise before") << QList<QByteArray>{QByteArray("\xFF\x00\x13", 3) + stop} << QByteArray("A");
    QTest::newRow("wrong check byte ignored") << QList<QByteArray>{badCheck} << QByteArray();
    QTest::newRow("wrong check byte, then a good frame")
        << QList<QByteArray>{badCheck + stop} << QByteArray("A");
    QTest::newRow("split over reads") << QList<QByteArray>{stop.left(2), stop.mid(2, 3), stop.mid(5)}
                                      << QByteArray("A");
    QTest::newRow("back to back") << QList<QByteArray>{stop + rp} << QByteArray("AR");
    QTest::newRow("parameter request with leftover bytes")
        << QList<QByteArray>{frame({'R', 'P', 0x05, 0x4C, 0x00})} << QByteArray("R");
    QTest::newRow("unknown letter") << QList<QByteArray>{frame({'Q', 'Q', 0, 0, 0})} << QByteArray();
}

void TestLoggerSim::framesLineUpInNoise()
{
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(QByteArray, answered);
    LoggerCore core;
    QByteArray got;
    for (const QByteArray &c : chunks)
        for (const Exchange &ex : core.receive(c))
            if (!ex.reply.isEmpty())
                got.append(ex.frame.at(0));
    QCOMPARE(got, answered);
}

void TestLoggerSim::faults_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QByteArray>("requests"); // P parameters, R image, T stop
    QTest::addColumn<QStringList>("replies");

    QTest::newRow("silent 2") << "silent" << QByteArray("PPP") << QStringList{"none", "none", "40"};
    QTest::newRow("short") << "short" << QByteArray("PT") << QStringList{"39", "8"};
    QTest::newRow("long once") << "long-once" << QByteArray("PP") << QStringList{"41", "40"};
    QTest::newRow("bad ack") << "bad-ack" << QByteArray("TT") << QStringList{"not-ack", "ack"};
    QTest::newRow("bad checksum") << "bad-checksum" << QByteArray("RR") << QStringList{"bad-sum", "image"};
    QTest::newRow("no END") << "no-end" << QByteArray("RR") << QStringList{"no-end", "image"};
    QTest::newRow("garbage") << "garbage" << QByteArray("TPT") << QStringList{"not-ack", "40", "ack"};
}

void TestLoggerSim::faults()
{
    QFETCH(QString, fault);
    QFETCH(QByteArray, requests);
    QFETCH(QStringList, replies);
    LoggerCore core;
    core.state().model = 1;
    core.fillHistory(50);
    Faults &f = core.faults();
    if (fault == u"silent")
        f.silentFrames = 2;
    else if (fault == u"short")
        f.lengthDelta = -1;
    else if (fault == u"long-once")
        f.lengthDelta = 1, f.lengthDeltaReplies = 1;
    else if (fault == u"bad-ack")
        f.badAcks = 1;
    else if (fault == u"bad-checksum")
        f.badChecksumImages = 1;
    else if (fault == u"no-end")
        f.imagesWithoutEnd = 1;
    else if (fault == u"garbage")
        f.garbageReplies = 2;

    for (int i = 0; i < requests.size(); ++i) {
        const char r = requests.at(i);
        const QByteArray reply = ask(core, r == 'P' ? frame({'R', 'P', 0, 0, 0})
                                          : r == 'R' ? frame({'R', 'R', 0, 0, 0})
                                                     : frame({'A', 'T', 0, 0, 0}));
        const QString &want = replies.at(i);
        const QString at = QStringLiteral("reply %1").arg(i);
        if (want == u"none")
            QVERIFY2(reply.isEmpty(), qPrintable(at));
        else if (want == u"ack" || want == u"not-ack")
            QVERIFY2(isAck(reply) == (want == u"ack"), qPrintable(at));
        else if (want == u"image" || want == u"bad-sum") {
            QVERIFY2(reply.endsWith("END"), qPrintable(at));
            QVERIFY2((imageSum(reply) == storedSum(reply)) == (want == u"image"), qPrintable(at));
        } else if (want == u"no-end") {
            QVERIFY2(!reply.endsWith("END") && reply.size() == 50 * 2 + 46, qPrintable(at));
            QCOMPARE(imageSum(reply).value_or(0), storedSum(reply));
        } else
            QCOMPARE(reply.size(), want.toInt());
    }
}

void TestLoggerSim::readingsAreRealistic_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<double>("lo");   // plausible range of the main value
    QTest::addColumn<double>("hi");
    QTest::addColumn<double>("swing"); // least difference between 15:00 and 03:00 (or 11:00 and 03:00)
    for (int m : {1, 4, 5})
        QTest::addRow("office, model %d", m) << m << 10.0 << 30.0 << 4.0;
    QTest::newRow("cold store") << 7 << -2.0 << 10.0 << 1.5;
    QTest::newRow("freezer") << 8 << -25.0 << -10.0 << 1.0;
    QTest::newRow("RV-210") << 2 << 10.0 << 35.0 << 5.0;
    QTest::newRow("RV-220") << 6 << 10.0 << 35.0 << 5.0;
    QTest::newRow("battery") << 3 << 1.0 << 1.6 << 0.0;
    QTest::newRow("CO2") << 32 << 380.0 << 1300.0 << 300.0;
}

void TestLoggerSim::readingsAreRealistic()
{
    QFETCH(int, model);
    QFETCH(double, lo);
    QFETCH(double, hi);
    QFETCH(double, swing);
    const bool humid = model == 2 || model == 6;
    auto value = [&](const QList<quint16> &w) {
        if (humid)
            return rhTemp(w[0]);
        if (model == 3)
            return w[0] * 2.5 / 1023;
        if (model == 32)
            return std::round(2000.0 * w[0] / 1023);
        return thermistor(w[0]);
    };

    ReadingSource src(7);
    const QDate wednesday(2024, 3, 13);
    double night = 0, day = 0;
    for (int d = 0; d < 2; ++d) {
        for (int minute = 0; minute < 24 * 60; minute += 10) {
            const QDateTime t(wednesday.addDays(d), QTime(0, 0).addSecs(minute * 60), Qt::UTC);
            const QList<quint16> w = src.reading(quint8(model), t);
            QCOMPARE(w.size(), humid ? 2 : 1);
            const double v = value(w);
            QVERIFY2(v >= lo && v <= hi, qPrintable(QStringLiteral("%1 at %2").arg(v).arg(t.toString())));
            if (humid) {
                const double h = rh(w[1], std::round(v * 10) / 10);
                QVERIFY2(h >= 20 && h <= 90, qPrintable(QString::number(h)));
            }
            if (minute == 3 * 60)
                night += v;
            if (minute == (model == 32 ? 11 : 15) * 60)
                day += v;
        }
    }
    QVERIFY2((day - night) / 2 >= swing, qPrintable(QStringLiteral("day %1 night %2").arg(day).arg(night)));

    // A share of failed-sensor words, which the program must show as invalid.
    src.setInvalidShare(0.3);
    int invalid = 0;
    const int n = 2000;
    for (int i = 0; i < n; ++i) {
        const QList<quint16> w = src.reading(quint8(model), QDateTime(wednesday, QTime(12, 0), Qt::UTC));
        const double v = value(w);
        if (v == 9999.0 || (humid && rh(w[1], v) == 9999.0))
            ++invalid;
    }
    const bool canFail = model != 3 && model != 32; // no failure word for these sensors
    QVERIFY2(canFail ? (invalid > n / 5 && invalid < n * 2 / 5) : invalid == 0,
             qPrintable(QString::number(invalid)));
}

void TestLoggerSim::failedReadingsOnCue_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<QString>("places");  // as --fail-readings takes them
    QTest::addColumn<int>("filled");      // readings in memory at once
    QTest::addColumn<int>("logged");      // then taken while logging
    QTest::addColumn<QString>("invalid"); // the readings the program shows as "***"; "refused"
    QTest::newRow("places and a range") << 1 << "0,3-5" << 8 << 0 << "0,3,4,5";
    QTest::newRow("humidity logger: the whole probe") << 6 << "2" << 4 << 0 << "2";
    QTest::newRow("taken while logging") << 7 << "1,5,6" << 5 << 2 << "1,5,6";
    QTest::newRow("beyond the readings stored") << 1 << "10" << 3 << 0 << "";
    QTest::newRow("the voltage sensor has no failure word") << 3 << "0" << 2 << 0 << "";
    QTest::newRow("a range backwards") << 1 << "3-1" << 0 << 0 << "refused";
    QTest::newRow("not a number") << 1 << "two" << 0 << 0 << "refused";
}

void TestLoggerSim::failedReadingsOnCue()
{
    QFETCH(int, model);
    QFETCH(QString, places);
    QFETCH(int, filled);
    QFETCH(int, logged);
    QFETCH(QString, invalid);
    const std::optional<QSet<int>> cue = parseReadingList(places);
    QCOMPARE(!cue, invalid == QLatin1String("refused"));
    if (!cue)
        return;
    LoggerCore core;
    LoggerState &s = core.state();
    s.model = quint8(model);
    s.intervalUnit = 'M';
    s.intervalCount = 10;
    s.started = true;
    s.failedReadings = *cue;
    core.fillHistory(filled);
    core.advance(600 * logged);
    QCOMPARE(LoggerState::fromJson(s.toJson())->failedReadings, s.failedReadings);

    const QByteArray img = image(core);
    const bool humid = model == 2 || model == 6;
    const int perReading = humid ? 4 : 2;
    const int readings = int(img.size() - 46) / perReading;
    QCOMPARE(readings, filled + logged);
    QStringList shown;
    for (int i = 0; i < readings; ++i) {
        const qsizetype at = 6 + i * perReading;
        const int w0 = u8(img, at) | u8(img, at + 1) << 8;
        const bool failed = humid ? rhTemp(w0) == 9999.0 &&
                                        rh(u8(img, at + 2) | u8(img, at + 3) << 8, 25.0) == 9999.0
                            : model == 3 ? false
                                         : thermistor(w0) == 9999.0;
        if (failed)
            shown << QString::number(i);
    }
    QCOMPARE(shown.join(QLatin1Char(',')), invalid);
}

QTEST_GUILESS_MAIN(TestLoggerSim)
#include "test_logger_sim.moc"
