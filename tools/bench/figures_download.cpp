#include "tools/bench/figures.h"
#include "tools/bench/inputs.h"

#include "acquisition/download.h"
#include "device/qt_serial_link.h"
#include "tools/logger-sim/logger_sim.h"

#include <QEventLoop>
#include <QTimer>

namespace bench {

namespace {

// The parameter block the logger sends before its memory image.
constexpr int kParameterReply = 40;

// A logger holding `readings` temperature readings downloaded from the simulator through a real
// serial port, driven by the event loop as the program drives it. The figure is what the
// download takes beyond the time its two replies need on the line at `pace` bytes a second:
// the waits of the protocol and our own work.
void download(Stopwatch &sw, int readings, int pace)
{
    loggersim::LoggerSim sim;
    setUpLogger(sim.core(), kTemperatureModel, readings);
    sim.setSpeed(0);
    sim.setPace(pace);
    QString error;
    if (!sim.open(&error)) {
        sw.fail(QStringLiteral("simulator: ") + error);
        return;
    }
    QtSerialLink link;
    if (link.open(sim.slavePath(), 1200) != SerialLink::OpenResult::Ok) {
        sw.fail(QStringLiteral("cannot open ") + sim.slavePath());
        return;
    }

    Downloader downloader(link);
    QEventLoop loop;
    Downloader::Outcome outcome = Downloader::Outcome::NotResponding;
    bool finished = false;
    QObject::connect(&downloader, &Downloader::finished, &loop, [&](Downloader::Outcome o) {
        outcome = o;
        finished = true;
        loop.quit();
    });
    // Five full attempts at the line rate are the most a download can take.
    const int lineMs = 1000 * 32046 / pace;
    QTimer::singleShot(5 * (lineMs + 10000), &loop, &QEventLoop::quit);

    sw.start();
    downloader.start();
    loop.exec();
    sw.stop();

    if (!finished)
        sw.fail(QStringLiteral("the download did not end"));
    else if (outcome != Downloader::Outcome::Done)
        sw.fail(QStringLiteral("the download failed"));
    else if (downloader.requests() != 2)
        sw.fail(QStringLiteral("%1 requests instead of 2").arg(downloader.requests()));
    else
        sw.discount(double(kParameterReply + downloader.image().size()) / pace);
}

} // namespace

constexpr int kLinePace = loggersim::LoggerSim::kLinePace;

void downloadFullMemory(Stopwatch &sw) { download(sw, kTemperatureReadings, kLinePace); }
void downloadFourHundred(Stopwatch &sw) { download(sw, 400, kLinePace); }
void downloadEmptyMemory(Stopwatch &sw) { download(sw, 0, kLinePace); }
void downloadOverheadFast(Stopwatch &sw) { download(sw, kTemperatureReadings, 10 * kLinePace); }

} // namespace bench
