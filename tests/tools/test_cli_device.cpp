// kestrun-cli against a simulated logger on a pseudo-terminal: each device subcommand and what
// its --json prints, its failures (no logger, wrong replies, a logger never enabled, a port that
// leads nowhere), and the argument handling every subcommand shares.

#include "cli_process.h"

#include "common/datetext.h"
#include "common/messages.h"
#include "tools/kestrun-cli/cli_texts.h"
#include "tools/logger-sim/logger_sim.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

constexpr int kPort = 7;
const QString kPortText = QString::number(kPort);

using Setup = std::function<void(loggersim::LoggerSim &)>;

} // namespace

class TestCliDevice : public QObject
{
    Q_OBJECT

    std::unique_ptr<loggersim::LoggerSim> m_sim;
    QTemporaryDir m_dir;
    QTemporaryDir m_linkDir;

    loggersim::LoggerState &logger() { return m_sim->state(); }

    // Opens the simulator and maps port 7 to it (the environment the program inherits) through
    // a link the simulator removes when it closes: a closed pty's number is soon handed to a
    // test running beside this one, so mapping the device itself could reach that test's line.
    void openSim()
    {
        QString why;
        QVERIFY2(m_sim->open(&why), qPrintable(why));
        QVERIFY2(m_sim->createLink(m_linkDir.filePath("ttyKT7"), &why), qPrintable(why));
        qputenv("KESTRUN_COM7", m_sim->linkPath().toLocal8Bit());
    }

private Q_SLOTS:
    void initTestCase()
    {
        QLocale::setDefault(QLocale::system());
        datetext::localeChanged();
    }

    void init()
    {
        m_sim = std::make_unique<loggersim::LoggerSim>();
        m_sim->setPace(0);
        m_sim->setSpeed(0);
        logger().serial = 45;
        logger().idBytes = {6, 5, 13};
        logger().setLocation("LAB A");
        logger().intervalUnit = 'M';
        logger().intervalCount = 15;
        logger().started = true;
    }
    void cleanup()
    {
        m_sim.reset();
        qunsetenv("KESTRUN_COM7");
    }

    void info_data()
    {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("humidity logger, logging")
            << Setup([](loggersim::LoggerSim &s) {
                   s.state().model = loggersim::model::RV210;
                   s.core().fillHistory(120);
               })
            << QStringList{"Serial.No: 0045 06 05 13", "Location: LAB A           ",
                           "Model: RV-210",           "Device Status: Started",
                           "No of Readings: 120",     "Reading Interval: 15  Minutes"};
        QTest::newRow("CO2 logger waiting for a delayed start")
            << Setup([](loggersim::LoggerSim &s) {
                   s.state().model = loggersim::model::RV420;
                   s.state().started = false;
                   s.state().waiting = true;
                   s.state().intervalUnit = 'S';
                   s.state().intervalCount = 30;
                   s.state().serial = 255;
                   s.state().clearReadings();
               })
            << QStringList{"Serial.No: 0255 06 05 13",           "Location: LAB A           ",
                           "Model: RV-420(CO2 0-2000 PPM)",      "Device Status: Start Later",
                           "No of Readings: 0",                  "Reading Interval: 30  Seconds"};
    }
    void info()
    {
        QFETCH(Setup, setup);
        QFETCH(QStringList, lines);
        setup(*m_sim);
        openSim();
        const clitest::Result r = clitest::run({"info", "--port", kPortText});
        QVERIFY2(r.ok(), r.err.constData());
        QCOMPARE(r.outText(), lines.join('\n') + '\n');
        QVERIFY(r.err.isEmpty());
    }

    void time_data()
    {
        QTest::addColumn<bool>("started");
        QTest::addColumn<QString>("shown");
        QTest::newRow("logging") << true << datetext::timeText(QTime(12, 30, 45));
        QTest::newRow("stopped") << false << msg::kDeviceIsStoppedClock;
    }
    void time()
    {
        QFETCH(bool, started);
        QFETCH(QString, shown);
        logger().model = loggersim::model::RV110;
        logger().started = started;
        logger().clock = loggersim::RtcTime{2024, 5, 17, 12, 30, 45};
        openSim();
        const clitest::Result r = clitest::run({"time", "-p", kPortText});
        QVERIFY2(r.ok(), r.err.constData());
        QCOMPARE(r.outText(), shown + '\n');
        QCOMPARE(m_sim->core().framesSeen(), 1);
    }

    // --json: the same values as one object, for scripts.
    void json_data()
    {
        QTest::addColumn<QString>("subcommand");
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<QByteArray>("object");
        QTest::newRow("info: humidity logger, logging")
            << "info" << Setup([](loggersim::LoggerSim &s) {
                   s.state().model = loggersim::model::RV210;
                   s.core().fillHistory(120);
               })
            << QByteArray(R"({"serial": 45, "id_bytes": "06 05 13", "location": "LAB A",
                              "model": "RV-210", "model_code": 2, "status": "started",
                              "memory_full": false, "readings": 120, "interval_seconds": 900})");
        QTest::newRow("info: unknown model, waiting for a delayed start")
            << "info" << Setup([](loggersim::LoggerSim &s) {
                   s.state().model = 9;
                   s.state().started = false;
                   s.state().waiting = true;
                   s.state().intervalUnit = 'H';
                   s.state().intervalCount = 2;
                   s.state().clearReadings();
               })
            << QByteArray(R"({"serial": 45, "id_bytes": "06 05 13", "location": "LAB A",
                              "model": null, "model_code": 9, "status": "start_later",
                              "memory_full": false, "readings": 0, "interval_seconds": 7200})");
        QTest::newRow("time: logging")
            << "time" << Setup([](loggersim::LoggerSim &) {})
            << QByteArray(R"({"stopped": false, "time": "12:30:45"})");
        QTest::newRow("time: stopped")
            << "time" << Setup([](loggersim::LoggerSim &s) { s.state().started = false; })
            << QByteArray(R"({"stopped": true, "time": null})");
    }
    void json()
    {
        QFETCH(QString, subcommand);
        QFETCH(Setup, setup);
        QFETCH(QByteArray, object);
        logger().model = loggersim::model::RV110;
        logger().clock = loggersim::RtcTime{2024, 5, 17, 12, 30, 45};
        setup(*m_sim);
        openSim();
        const clitest::Result r = clitest::run({subcommand, "--json", "--port", kPortText});
        QVERIFY2(r.ok(), r.err.constData());
        QJsonParseError e;
        const QJsonDocument printed = QJsonDocument::fromJson(r.out, &e);
        QVERIFY2(e.error == QJsonParseError::NoError, r.out.constData());
        QCOMPARE(printed.object(), QJsonDocument::fromJson(object).object());
        QVERIFY(r.err.isEmpty());
    }

    void live_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("heading");
        QTest::addColumn<QString>("value"); // pattern of column 3
        QTest::newRow("temperature, sensor failed")
            << int(loggersim::model::RV110) << 2 << "Temp(°C)" << R"(\*\*\*)";
        QTest::newRow("humidity") << int(loggersim::model::RV220) << 1 << "Temp(°C)\tRH (%)"
                                  << R"(\d\d\.\d\t\d+(\.\d)?)";
    }
    void live()
    {
        QFETCH(int, model);
        QFETCH(int, count);
        QFETCH(QString, heading);
        QFETCH(QString, value);
        logger().model = quint8(model);
        m_sim->readings().setInvalidShare(model == loggersim::model::RV110 ? 1.0 : 0.0);
        openSim();
        const clitest::Result r = clitest::run(
            {"live", "--port", kPortText, "--interval", "2", "--count", QString::number(count)});
        QVERIFY2(r.ok(), r.err.constData());
        const QStringList lines = r.outText().split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), count + 1);
        QCOMPARE(lines.at(0), " S.No\t Date\t Time\t" + heading);
        for (int i = 1; i <= count; ++i) {
            const QStringList cells = lines.at(i).split('\t');
            QCOMPARE(cells.at(0), QString::number(i));
            QVERIFY2(datetext::parseDate(cells.at(1)).isValid(), qPrintable(cells.at(1)));
            QVERIFY2(datetext::parseTime(cells.at(2)).isValid(), qPrintable(cells.at(2)));
            const QString rest = cells.mid(3).join('\t');
            QVERIFY2(QRegularExpression('^' + value + '$').match(rest).hasMatch(), qPrintable(rest));
        }
        // One parameter request, then one reading request a row.
        QCOMPARE(m_sim->core().framesSeen(), 1 + count);
    }

    // Ctrl-C or SIGTERM ends a run without a count normally, with every row printed so far.
    void liveEndsOnTerminate()
    {
        logger().model = loggersim::model::RV410;
        openSim();
        QProcess p;
        QByteArray seen;
        connect(&p, &QProcess::readyReadStandardOutput, this,
                [&] { seen += p.readAllStandardOutput(); });
        clitest::start(p, {"live", "-p", kPortText, "-i", "2"});
        QTRY_VERIFY_WITH_TIMEOUT(seen.count('\n') >= 2, 15000); // the heading and a row
        p.terminate();
        const clitest::Result r = clitest::finish(p, 10000);
        QVERIFY2(r.ok(), r.err.constData());
        QVERIFY(r.err.isEmpty());
        seen += r.out;
        QVERIFY(seen.endsWith('\n'));
        const QList<QByteArray> lines = seen.trimmed().split('\n');
        QVERIFY(lines.size() >= 2);
        QVERIFY(lines.at(0).endsWith("\tVoltage(V)"));
    }

    void failures_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("frames");
        const QStringList port{"--port", kPortText};
        QTest::newRow("time: no answer")
            << (QStringList{"time"} + port)
            << Setup([](loggersim::LoggerSim &s) { s.faults().silentFrames = -1; })
            << msg::kNotResponding + ": no valid reply to 5 requests: the last brought nothing, "
                                     "at least 19 wanted"
            << 5;
        QTest::newRow("info: replies of 41 bytes")
            << (QStringList{"info"} + port) << Setup([](loggersim::LoggerSim &s) {
                   s.faults().lengthDelta = 1;
                   s.faults().lengthDeltaReplies = -1;
               })
            << msg::kNotResponding + ": no valid reply to 5 requests: the last brought 41 bytes, "
                                     "40 wanted"
            << 5;
        const Setup neverEnabled = [](loggersim::LoggerSim &s) {
            s.state().serial = loggersim::LoggerState::kNoSerial;
            s.core().fillHistory(10);
        };
        QTest::newRow("info: never enabled")
            << (QStringList{"info"} + port) << neverEnabled << msg::kEnablePanel << 1;
        QTest::newRow("download: never enabled")
            << (QStringList{"download", "-o", "never.brv2"} + port) << neverEnabled
            << msg::kNotEnabled << 2;
        QTest::newRow("live: never enabled")
            << (QStringList{"live", "--interval", "2"} + port) << neverEnabled
            << msg::kNotEnabled << 1;
        // The device the port number names has gone: the window's message, nothing sent.
        const Setup gone = [](loggersim::LoggerSim &s) { s.close(); };
        QTest::newRow("time: port leads nowhere") << (QStringList{"time"} + port) << gone
                                                  << msg::kInvalidPort << 0;
        QTest::newRow("download: port leads nowhere")
            << (QStringList{"download", "-o", "x.brv2"} + port) << gone << msg::kInvalidPort << 0;
        QTest::newRow("time: port 0") << QStringList{"time", "-p", "0"}
                                      << Setup([](loggersim::LoggerSim &) {}) << msg::kInvalidPort
                                      << 0;
    }
    void failures()
    {
        QFETCH(QStringList, args);
        QFETCH(Setup, setup);
        QFETCH(QString, message);
        QFETCH(int, frames);
        logger().model = loggersim::model::RV110;
        openSim();
        setup(*m_sim);
        QProcess p;
        p.setWorkingDirectory(m_dir.path());
        clitest::start(p, args);
        const clitest::Result r = clitest::finish(p, 30000);
        QVERIFY(r.finished);
        QCOMPARE(r.exitCode, 1);
        // Only the message and why: a pipe gets no progress bar.
        QCOMPARE(r.errText(), message + '\n');
        QVERIFY(r.out.isEmpty());
        QCOMPARE(m_sim->core().framesSeen(), frames);
        QVERIFY(QDir(m_dir.path()).entryList(QDir::Files).isEmpty());
    }

    void ports()
    {
        openSim();
        QProcessEnvironment env = clitest::environment();
        env.insert("KESTRUN_COM3", "/dev/kestrun-test-three");
        env.insert("KESTRUN_COM12", m_sim->slavePath());
        const clitest::Result r = clitest::run({"ports"}, 10000, env);
        QVERIFY2(r.ok(), r.err.constData());
        const QStringList lines = r.outText().split('\n', Qt::SkipEmptyParts);
        const qsizetype three = lines.indexOf("3\t/dev/kestrun-test-three");
        const qsizetype twelve = lines.indexOf("12\t" + m_sim->slavePath());
        QVERIFY2(three >= 0 && twelve > three, qPrintable(lines.join('|')));
    }

    // Help goes to standard output with status 0; a usage error to standard error with 1.
    void arguments_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("says");
        QTest::newRow("overview") << QStringList{"--help"} << 0 << "  download  ";
        QTest::newRow("info --help") << QStringList{"info", "--help"} << 0
                                     << "Usage: kestrun-cli info";
        QTest::newRow("help time") << QStringList{"help", "time"} << 0 << "Usage: kestrun-cli time";
        QTest::newRow("export -h") << QStringList{"export", "-h"} << 0
                                   << "Usage: kestrun-cli export";
        QTest::newRow("nothing") << QStringList{} << 1 << "Usage: kestrun-cli <subcommand>";
        QTest::newRow("unknown subcommand") << QStringList{"erase"} << 1 << "no subcommand 'erase'";
        QTest::newRow("no port") << QStringList{"info"} << 1 << "--port is required";
        QTest::newRow("port not a number") << QStringList{"time", "--port", "COM3"} << 1
                                           << "'COM3' is not a port number";
        QTest::newRow("download into a missing folder")
            << QStringList{"download", "-p", "1", "-o", "/no/such/folder/x.brv2"} << 1
            << "could not be saved";
        QTest::newRow("live interval of 1 s") << QStringList{"live", "-p", "1", "-i", "1"} << 1
                                              << "--interval must be a whole number from 2";
        QTest::newRow("live count 0") << QStringList{"live", "-p", "1", "-i", "2", "-n", "0"} << 1
                                      << "--count must be a whole number from 1";
        QTest::newRow("table without file") << QStringList{"table"} << 1 << "missing argument";
        QTest::newRow("export without output") << QStringList{"export", "a.brv2"} << 1
                                               << "give either --csv";
        QTest::newRow("a date followed by more")
            << QStringList{"archive", "list", "--until", "2026-12-01junk"} << 1
            << clitext::kNotADate.arg("until", "2026-12-01junk");
        QTest::newRow("a time that is no time")
            << QStringList{"archive", "list", "--since", "2026-12-01T99:99:99"} << 1
            << clitext::kNotADate.arg("since", "2026-12-01T99:99:99");
        QTest::newRow("ports with an argument") << QStringList{"ports", "1"} << 1
                                                << "unexpected argument '1'";
    }
    void arguments()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, says);
        const clitest::Result r = clitest::run(args, 10000);
        QVERIFY(r.finished);
        QCOMPARE(r.exitCode, status);
        QVERIFY2((status == 0 ? r.outText() : r.errText()).contains(says), r.out + r.err);
        QVERIFY((status == 0 ? r.err : r.out).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCliDevice)
#include "test_cli_device.moc"
