// logger-sim: a data logger on a pseudo-terminal, for trying Kestrun without hardware and for
// end-to-end tests.

#include "tools/logger-sim/logger_sim.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTextStream>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

using namespace loggersim;

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char c = 1;
    [[maybe_unused]] const auto n = ::write(g_signalPipe[0], &c, 1);
}

QTextStream &err()
{
    static QTextStream s(stderr);
    return s;
}

[[noreturn]] void die(const QString &message)
{
    err() << "logger-sim: " << message << Qt::endl;
    std::exit(2);
}

int intOption(const QCommandLineParser &p, const QString &name, int lo, int hi)
{
    bool ok = false;
    const int v = p.value(name).toInt(&ok);
    if (!ok || v < lo || v > hi)
        die(QStringLiteral("--%1 wants a whole number from %2 to %3").arg(name).arg(lo).arg(hi));
    return v;
}

double doubleOption(const QCommandLineParser &p, const QString &name, double lo, double hi)
{
    bool ok = false;
    const double v = p.value(name).toDouble(&ok);
    if (!ok || v < lo || v > hi)
        die(QStringLiteral("--%1 wants a number from %2 to %3").arg(name).arg(lo).arg(hi));
    return v;
}

void parseInterval(const QString &text, LoggerState &s)
{
    const QString t = text.trimmed().toUpper();
    bool ok = false;
    const int n = t.left(t.size() - 1).toInt(&ok);
    const QChar unit = t.isEmpty() ? QChar() : t.back();
    if (!ok || n < 1 || n > 99 || (unit != u'S' && unit != u'M' && unit != u'H'))
        die(QStringLiteral("--interval wants a count 1..99 and a unit S, M or H, e.g. 15M"));
    s.intervalCount = n;
    s.intervalUnit = char(unit.toLatin1());
}

QString describe(const LoggerState &s, int readings)
{
    const QString status = s.waiting ? QStringLiteral("waiting for a delayed start")
                           : s.started ? QStringLiteral("logging")
                                       : QStringLiteral("stopped");
    const QString serial = s.serial == LoggerState::kNoSerial ? QStringLiteral("never enabled")
                                                              : QStringLiteral("serial %1").arg(s.serial);
    return QStringLiteral("%1 (model %2), %3, %4 readings, every %5%6, %7, clock %8")
        .arg(model::label(s.model))
        .arg(s.model)
        .arg(serial)
        .arg(readings)
        .arg(s.intervalCount)
        .arg(QLatin1Char(s.intervalUnit))
        .arg(status, s.clock.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("logger-sim"));

    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral(
        "Plays a data logger on a pseudo-terminal.\n"
        "The first line of output is the device to open; the second is a shell line that points\n"
        "Kestrun's port number at it. With --link the device also has a fixed name:\n"
        "  logger-sim --model 2 --days 3 --link /tmp/kestrun-com1 &\n"
        "  export KESTRUN_COM1=/tmp/kestrun-com1\n"
        "Runs until interrupted (SIGINT or SIGTERM), then removes the link."));
    p.addHelpOption();
    const QList<QCommandLineOption> options = {
        // The logger
        {QStringLiteral("model"), QStringLiteral("Model code: 1 RV-110, 2 RV-210, 3 RV-410, 4/5 RV-120, "
                                                 "6 RV-220, 7 RV-310, 8 RV-320, 32 RV-420 (default 2)."),
         QStringLiteral("code"), QStringLiteral("2")},
        {QStringLiteral("serial"), QStringLiteral("Serial number 0..9999 (default 1234)."), QStringLiteral("n"),
         QStringLiteral("1234")},
        {QStringLiteral("never-enabled"), QStringLiteral("The logger has no serial number yet (bytes FF FF).")},
        {QStringLiteral("id"), QStringLiteral("Identification bytes day,month,year-2000 (default today)."),
         QStringLiteral("d,m,y")},
        {QStringLiteral("location"), QStringLiteral("Location text, up to 16 characters (default \"SIM LAB\")."),
         QStringLiteral("text"), QStringLiteral("SIM LAB")},
        {QStringLiteral("interval"), QStringLiteral("Logging interval: count 1..99 and unit S, M or H (default 10M)."),
         QStringLiteral("nU"), QStringLiteral("10M")},
        {QStringLiteral("clock"), QStringLiteral("Logger clock at start, yyyy-MM-ddTHH:mm:ss (default: now)."),
         QStringLiteral("time")},
        {QStringLiteral("readings"), QStringLiteral("Stored readings, the newest taken now."), QStringLiteral("n")},
        {QStringLiteral("days"), QStringLiteral("Days of stored readings (default 3)."), QStringLiteral("d")},
        {QStringLiteral("full"), QStringLiteral("Memory full (32000 bytes).")},
        {QStringLiteral("empty"), QStringLiteral("No stored readings.")},
        {QStringLiteral("stopped"), QStringLiteral("Not logging (default: logging at the interval).")},
        {QStringLiteral("start-after"), QStringLiteral("Armed to start logging after this many minutes."),
         QStringLiteral("min")},
        {QStringLiteral("invalid-share"), QStringLiteral("Share 0..1 of readings with failed-sensor words "
                                                         "(temperature and humidity models; default 0.01)."),
         QStringLiteral("f"), QStringLiteral("0.01")},
        {QStringLiteral("fail-readings"), QStringLiteral("Readings stored with failed-sensor words, by their place "
                                                         "in memory (0: the oldest), e.g. 5,10-20 (temperature "
                                                         "and humidity models)."),
         QStringLiteral("list")},
        {QStringLiteral("seed"), QStringLiteral("Seed of the reading noise (default 1)."), QStringLiteral("n"),
         QStringLiteral("1")},
        {QStringLiteral("state"), QStringLiteral("State file (JSON). Loaded if it exists, in place of the logger "
                                                 "options above; written on every change."),
         QStringLiteral("file")},
        // The line
        {QStringLiteral("speed"), QStringLiteral("Logger seconds per real second (default 1; 60 = an hour a minute)."),
         QStringLiteral("f"), QStringLiteral("1")},
        {QStringLiteral("pace"), QStringLiteral("Bytes per second sent; 120 is 1200 baud (default), 0 as fast as "
                                                "possible."),
         QStringLiteral("bps"), QStringLiteral("120")},
        {QStringLiteral("link"), QStringLiteral("Also make a symbolic link to the device at this path."),
         QStringLiteral("path")},
        {QStringLiteral("port-number"), QStringLiteral("Port number in the printed export line (default 1)."),
         QStringLiteral("n"), QStringLiteral("1")},
        {QStringLiteral("verbose"), QStringLiteral("Log every frame and reply on standard error.")},
        // Faults
        {QStringLiteral("silent"), QStringLiteral("Fault: ignore the first N frames."), QStringLiteral("n")},
        {QStringLiteral("length-delta"), QStringLiteral("Fault: cut (negative) or pad (positive) replies by K bytes."),
         QStringLiteral("k")},
        {QStringLiteral("length-delta-count"), QStringLiteral("How many replies --length-delta affects (default all)."),
         QStringLiteral("n")},
        {QStringLiteral("bad-ack"), QStringLiteral("Fault: the first N acknowledgements have wrong bytes."),
         QStringLiteral("n")},
        {QStringLiteral("bad-checksum"), QStringLiteral("Fault: the first N memory images have a wrong checksum."),
         QStringLiteral("n")},
        {QStringLiteral("no-end"), QStringLiteral("Fault: the first N memory images lack \"END\"."), QStringLiteral("n")},
        {QStringLiteral("garbage"), QStringLiteral("Fault: the first N replies are noise (-1: all)."), QStringLiteral("n")},
        {QStringLiteral("pieces"), QStringLiteral("Fault: send memory images in pieces of this many bytes ..."),
         QStringLiteral("bytes")},
        {QStringLiteral("gap"), QStringLiteral("... with a pause of this many milliseconds between them."),
         QStringLiteral("ms")},
        {QStringLiteral("hang-up-after"), QStringLiteral("Fault: drop the line after K bytes of the next memory "
                                                         "image (the pty is then opened anew)."),
         QStringLiteral("k")},
    };
    p.addOptions(options);
    p.process(app);

    LoggerSim sim;
    LoggerState &s = sim.state();
    sim.readings().setSeed(quint32(intOption(p, QStringLiteral("seed"), 0, INT_MAX)));
    sim.readings().setInvalidShare(doubleOption(p, QStringLiteral("invalid-share"), 0.0, 1.0));

    const QString statePath = p.value(QStringLiteral("state"));
    bool loaded = false;
    if (!statePath.isEmpty() && QFileInfo::exists(statePath)) {
        QString why;
        qint64 away = 0;
        auto st = loadStateFile(statePath, &away, &why);
        if (!st)
            die(QStringLiteral("cannot read %1: %2").arg(statePath, why));
        s = *st;
        sim.advanceClock(away); // the logger kept running while the simulator was not
        loaded = true;
        for (const char *o : {"model", "serial", "never-enabled", "id", "location", "interval", "clock",
                              "readings", "days", "full", "empty", "stopped", "start-after",
                              "fail-readings"})
            if (p.isSet(QLatin1String(o)))
                err() << "logger-sim: --" << o << " ignored: the logger comes from " << statePath << Qt::endl;
    }

    if (!loaded) {
        const int code = intOption(p, QStringLiteral("model"), 0, 255);
        if (!model::isKnown(quint8(code)))
            die(QStringLiteral("unknown model code %1").arg(code));
        s.model = quint8(code);
        s.serial = p.isSet(QStringLiteral("never-enabled"))
                       ? LoggerState::kNoSerial
                       : quint16(intOption(p, QStringLiteral("serial"), 0, 9999));
        const QDate today = QDate::currentDate();
        s.idBytes = {quint8(today.day()), quint8(today.month()), quint8(today.year() - 2000)};
        if (p.isSet(QStringLiteral("id"))) {
            const QStringList parts = p.value(QStringLiteral("id")).split(u',');
            bool ok = parts.size() == 3;
            for (int i = 0; ok && i < 3; ++i) {
                const int v = parts[i].toInt(&ok);
                ok = ok && v >= 0 && v <= 255;
                if (ok)
                    s.idBytes[size_t(i)] = quint8(v);
            }
            if (!ok)
                die(QStringLiteral("--id wants three numbers 0..255, e.g. 6,5,13"));
        }
        s.setLocation(p.value(QStringLiteral("location")).toLatin1());
        parseInterval(p.value(QStringLiteral("interval")), s);
        QDateTime clock = QDateTime::currentDateTime();
        if (p.isSet(QStringLiteral("clock"))) {
            clock = QDateTime::fromString(p.value(QStringLiteral("clock")), Qt::ISODate);
            if (!clock.isValid())
                die(QStringLiteral("--clock wants yyyy-MM-ddTHH:mm:ss"));
        }
        s.clock = RtcTime::fromDateTime(clock);

        int count = 3 * int(86400 / s.intervalSeconds());
        if (p.isSet(QStringLiteral("readings")))
            count = intOption(p, QStringLiteral("readings"), 0, 16000);
        if (p.isSet(QStringLiteral("days")))
            count = int(doubleOption(p, QStringLiteral("days"), 0, 1000) * 86400 / double(s.intervalSeconds()));
        if (p.isSet(QStringLiteral("full")))
            count = 16000;
        if (p.isSet(QStringLiteral("empty")))
            count = 0;
        if (p.isSet(QStringLiteral("fail-readings"))) {
            const auto places = parseReadingList(p.value(QStringLiteral("fail-readings")));
            if (!places)
                die(QStringLiteral("--fail-readings wants reading places such as 5 or 3,10-20"));
            s.failedReadings = *places;
        }
        sim.core().fillHistory(count);
        s.started = !p.isSet(QStringLiteral("stopped"));
        if (p.isSet(QStringLiteral("start-after"))) {
            s.started = false;
            s.waiting = true;
            s.secondsToStart = qint64(intOption(p, QStringLiteral("start-after"), 0, 1440)) * 60;
        }
    }

    Faults &f = sim.faults();
    auto countOpt = [&](const char *name, int &field) {
        if (p.isSet(QLatin1String(name)))
            field = intOption(p, QLatin1String(name), -1, 1000000);
    };
    countOpt("silent", f.silentFrames);
    countOpt("bad-ack", f.badAcks);
    countOpt("bad-checksum", f.badChecksumImages);
    countOpt("no-end", f.imagesWithoutEnd);
    countOpt("garbage", f.garbageReplies);
    countOpt("length-delta-count", f.lengthDeltaReplies);
    if (p.isSet(QStringLiteral("length-delta")))
        f.lengthDelta = intOption(p, QStringLiteral("length-delta"), -40000, 40000);
    if (p.isSet(QStringLiteral("pieces")))
        f.imagePieceBytes = intOption(p, QStringLiteral("pieces"), 1, 40000);
    if (p.isSet(QStringLiteral("gap")))
        f.imageGapMs = intOption(p, QStringLiteral("gap"), 0, 600000);
    if (p.isSet(QStringLiteral("hang-up-after")))
        f.hangUpAfterImageBytes = intOption(p, QStringLiteral("hang-up-after"), 0, 40000);

    sim.setPace(intOption(p, QStringLiteral("pace"), 0, 1000000));
    sim.setSpeed(doubleOption(p, QStringLiteral("speed"), 0, 100000));
    const int portNumber = intOption(p, QStringLiteral("port-number"), 1, 255);
    const bool verbose = p.isSet(QStringLiteral("verbose"));

    // State file: written shortly after each change (a fast logger changes many times a second).
    QTimer saveTimer;
    saveTimer.setSingleShot(true);
    saveTimer.setInterval(300);
    auto save = [&] {
        QString why;
        if (!statePath.isEmpty() && !saveStateFile(statePath, sim.state(), &why))
            err() << "logger-sim: cannot write " << statePath << ": " << why << Qt::endl;
    };
    QObject::connect(&saveTimer, &QTimer::timeout, save);
    QObject::connect(&sim, &LoggerSim::stateChanged, &saveTimer, qOverload<>(&QTimer::start));
    save();

    QString why;
    if (!sim.open(&why))
        die(QStringLiteral("cannot open a pseudo-terminal: %1").arg(why));
    const QString link = p.value(QStringLiteral("link"));
    if (!link.isEmpty() && !sim.createLink(link, &why))
        die(QStringLiteral("cannot make the link: %1").arg(why));

    {
        QTextStream out(stdout);
        out << sim.slavePath() << '\n';
        out << "export KESTRUN_COM" << portNumber << '=' << (link.isEmpty() ? sim.slavePath() : link) << '\n';
        out.flush();
    }
    std::fflush(stdout);
    err() << "logger-sim: " << describe(s, sim.core().readingCount()) << Qt::endl;

    if (verbose) {
        QObject::connect(&sim, &LoggerSim::frameReceived, [&](const QByteArray &frame, ReplyKind kind) {
            err() << "frame " << frame.toHex(' ')
                  << (kind == ReplyKind::None ? " (no reply)" : "") << Qt::endl;
        });
        QObject::connect(&sim, &LoggerSim::replySent, [&](ReplyKind) {
            err() << "reply sent, " << sim.bytesSent() << " bytes so far" << Qt::endl;
        });
    }
    QObject::connect(&sim, &LoggerSim::hungUp, [&] {
        err() << "logger-sim: line dropped" << Qt::endl;
        QTimer::singleShot(1000, &sim, [&] {
            QString e;
            if (!sim.open(&e))
                die(QStringLiteral("cannot reopen: %1").arg(e));
            err() << "logger-sim: reopened as " << sim.slavePath() << Qt::endl;
        });
    });

    // SIGINT/SIGTERM end the event loop so the link is removed and the state saved.
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        die(QStringLiteral("socketpair failed"));
    QSocketNotifier sigNotifier(g_signalPipe[1], QSocketNotifier::Read);
    QObject::connect(&sigNotifier, &QSocketNotifier::activated, &app, [&] {
        char c;
        [[maybe_unused]] const auto n = ::read(g_signalPipe[1], &c, 1);
        QCoreApplication::quit();
    });
    struct sigaction sa = {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGTERM, &sa, nullptr);

    const int rc = app.exec();
    saveTimer.stop();
    save();
    sim.close();
    return rc;
}
