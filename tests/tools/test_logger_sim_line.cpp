// The simulated logger on a real pseudo-terminal, opened with Kestrun's own QSerialPort link.

#include "device/qt_serial_link.h"
#include "tools/logger-sim/logger_sim.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace loggersim;

namespace {

const QByteArray kParams = QByteArray::fromHex("525000000002");
const QByteArray kImage = QByteArray::fromHex("525200000000");
const QByteArray kStop = QByteArray::fromHex("415400000015");

} // namespace

class TestLoggerSimLine : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void answersThroughTheSerialLink();
    void paceHoldsRepliesToTheLineRate();
    void imageInPiecesWithGaps();
    void hangUpDropsTheLine();

private:
    std::unique_ptr<LoggerSim> m_sim;
    std::unique_ptr<QtSerialLink> m_link;
};

void TestLoggerSimLine::init()
{
    m_sim = std::make_unique<LoggerSim>();
    m_sim->setPace(0);
    m_sim->setSpeed(0);
    m_sim->state().model = 6;
    m_sim->state().serial = 4321;
    m_sim->core().fillHistory(25); // 100 data bytes
    QString why;
    QVERIFY2(m_sim->open(&why), qPrintable(why));
    m_link = std::make_unique<QtSerialLink>();
}

void TestLoggerSimLine::cleanup()
{
    m_link.reset();
    m_sim.reset();
}

void TestLoggerSimLine::answersThroughTheSerialLink()
{
    QCOMPARE(m_link->open(m_sim->slavePath(), 1200), SerialLink::OpenResult::Ok);
    QVERIFY(m_link->write(kParams));
    QTRY_COMPARE(m_link->bytesWaiting(), qint64(40));
    const QByteArray p = m_link->takeAll();
    QCOMPARE(quint8(p.at(18)), quint8(6));
    QCOMPARE(quint8(p.at(22)) * 256 + quint8(p.at(23)), 4321);

    // The program closes and reopens its port; through the link name this time. The line must
    // still be up.
    m_link->close();
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("com1"));
    QVERIFY(m_sim->createLink(name));
    QCOMPARE(m_link->open(name, 1200), SerialLink::OpenResult::Ok);
    QVERIFY(m_link->write(kStop));
    QTRY_COMPARE(m_link->bytesWaiting(), qint64(9));
    QCOMPARE(m_link->takeAll().mid(6), QByteArray("\x01\x02\x03", 3));

    m_sim->close();
    QVERIFY(!QFileInfo(name).isSymLink());
}

void TestLoggerSimLine::paceHoldsRepliesToTheLineRate()
{
    m_sim->setPace(400); // 40 bytes take 100 ms
    QCOMPARE(m_link->open(m_sim->slavePath(), 1200), SerialLink::OpenResult::Ok);
    QElapsedTimer t;
    t.start();
    QVERIFY(m_link->write(kParams));
    QTRY_COMPARE(m_link->bytesWaiting(), qint64(40));
    QVERIFY2(t.elapsed() >= 80, qPrintable(QString::number(t.elapsed())));
}

void TestLoggerSimLine::imageInPiecesWithGaps()
{
    m_sim->faults().imagePieceBytes = 60;
    m_sim->faults().imageGapMs = 400;
    QCOMPARE(m_link->open(m_sim->slavePath(), 1200), SerialLink::OpenResult::Ok);
    QVERIFY(m_link->write(kImage));
    QTRY_VERIFY(m_link->bytesWaiting() >= 60);
    QCOMPARE(m_link->bytesWaiting(), qint64(60)); // the rest waits out the gap
    QTRY_COMPARE_WITH_TIMEOUT(m_link->bytesWaiting(), qint64(146), 3000);
    QVERIFY(m_link->takeAll().endsWith("END"));
}

void TestLoggerSimLine::hangUpDropsTheLine()
{
    m_sim->faults().hangUpAfterImageBytes = 20;
    QSignalSpy hungUp(m_sim.get(), &LoggerSim::hungUp);
    QSignalSpy lost(m_link.get(), &SerialLink::lost);
    QCOMPARE(m_link->open(m_sim->slavePath(), 1200), SerialLink::OpenResult::Ok);
    QVERIFY(m_link->write(kImage));
    QTRY_COMPARE(hungUp.count(), 1);
    QVERIFY(!m_sim->isOpen());
    QCOMPARE(m_sim->bytesSent(), qint64(20));
    QTRY_COMPARE(lost.count(), 1);
    QVERIFY(!m_link->isOpen());

    // Opened anew, the simulator answers again, on another device.
    QVERIFY(m_sim->open());
    QCOMPARE(m_link->open(m_sim->slavePath(), 1200), SerialLink::OpenResult::Ok);
    QVERIFY(m_link->write(kImage));
    QTRY_COMPARE(m_link->bytesWaiting(), qint64(146));
}

QTEST_GUILESS_MAIN(TestLoggerSimLine)
#include "test_logger_sim_line.moc"
