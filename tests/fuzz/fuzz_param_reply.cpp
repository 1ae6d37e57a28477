// The parameter reply decoder fed arbitrary answers to "R","P", through every place that reads
// one: the clock query (19 bytes or more), the Device Details and Start Device dialogs and the
// live readings (exactly 40), and the download's first stage (19 or more). Each either takes
// the reply, or asks again; the clock query then ends in exactly one message with the commands
// enabled again.
#include "tests/support/fake_host.h"
#include "tests/fuzz/fuzz_seeds.h"
#include "tests/fuzz/fuzz_target.h"

#include "acquisition/download.h"
#include "acquisition/live_readings.h"
#include "acquisition/reading_set.h"
#include "common/datetext.h"
#include "common/messages.h"
#include "common/model_codes.h"
#include "common/numfmt.h"
#include "device/device_commands.h"
#include "device/device_details.h"
#include "device/param_reply.h"
#include "device/start_device.h"

namespace {

bool isRequest(const QByteArray &frame) { return frame.left(2) == "RP"; }

void checkAccessors(const ParamReply &r)
{
    FUZZ_CHECK(r.intervalCount() >= 0 && r.intervalCount() <= 255 * 11, "interval count");
    FUZZ_CHECK(r.storedBytes() >= 0 && r.storedBytes() <= 0xFFFF, "stored bytes");
    FUZZ_CHECK(r.location().size() == 16, "location length");
    FUZZ_CHECK(r.serialText().section(QLatin1Char(' '), 0, 0).toInt() == r.serial(), "serial text");

    DeviceDetails::Labels before;
    before.lmodel1 = QStringLiteral("before");
    before.linterval1 = QStringLiteral("before");
    const DeviceDetails::Labels l = DeviceDetails::describe(r, before);
    const bool knownModel = !model::label(r.model()).isEmpty();
    FUZZ_CHECK((l.lmodel1 == before.lmodel1) != knownModel, "model label");
    const bool knownUnit = r.intervalUnit() == 'S' || r.intervalUnit() == 'M' || r.intervalUnit() == 'H';
    FUZZ_CHECK((l.linterval1 == before.linterval1) != knownUnit, "interval label");
    double readings = -1;
    FUZZ_CHECK(l.lno_readings1.startsWith(msg::kDetailPrefix) &&
                   numfmt::parse(l.lno_readings1.mid(msg::kDetailPrefix.size()), &readings) &&
                   readings >= 0,
               "number of readings");
}

// Device Time: one message in the end, whatever the replies, and the commands enabled again.
void checkClockQuery(const QByteArray &reply)
{
    FakeHost host;
    DeviceCommands commands(host);
    commands.Device_Time();
    host.port.feed(reply);
    commands.TimerPara().onTimer();
    if (reply.size() < DeviceCommands::kClockThreshold) {
        FUZZ_CHECK(host.prompts.shown.isEmpty() && !host.enabled, "a short reply ended the query");
        FUZZ_CHECK(host.port.written.size() == 2 && isRequest(host.port.written.last()),
                   "a short reply was not asked for again");
        for (int i = 1; i < DeviceCommands::kClockSends; ++i)
            commands.TimerPara().onTimer();
        FUZZ_CHECK(host.prompts.messages() == QStringList{msg::kNotResponding}, "no answer");
    } else {
        const QStringList m = host.prompts.messages();
        FUZZ_CHECK(m.size() == 1, "not one message");
        if ((ParamReply(reply).status() & 0x06) == 0)
            FUZZ_CHECK(m.first() == msg::kDeviceIsStoppedClock, "stopped logger");
        else
            FUZZ_CHECK(datetext::parseTime(m.first()).isValid(), "clock text is no time");
    }
    FUZZ_CHECK(host.enabled && host.busy == 0 && !commands.isRunning(), "commands left disabled");
}

// The Device Details dialog: exactly 40 bytes show details or the programming panel.
void checkDetails(const QByteArray &reply)
{
    FakeHost host;
    DeviceDetails details(host);
    details.activate();
    host.port.feed(reply);
    details.TimerPara().onTimer();
    FUZZ_CHECK(host.prompts.shown.isEmpty(), "a message on the first reply");
    if (reply.size() != DeviceDetails::kReplyLength) {
        FUZZ_CHECK(details.TimerPara().isRunning() && isRequest(host.port.written.last()),
                   "a reply of the wrong length was taken");
    } else {
        const bool enabled = ParamReply(reply).enabled();
        FUZZ_CHECK(details.frame2Visible() == !enabled && details.frame1Visible() == enabled,
                   "panels");
        FUZZ_CHECK(!details.busy(), "busy after a reply");
    }
    details.close();
    FUZZ_CHECK(host.enabled && host.busy == 0, "closing left the commands disabled");
}

void checkStartDialog(const QByteArray &reply)
{
    FakeHost host;
    StartDevice start(host);
    bool closeRequested = false;
    QObject::connect(&start, &StartDevice::closeRequested, [&] { closeRequested = true; });
    start.load();
    host.port.feed(reply);
    start.TimerPara().onTimer();
    if (reply.size() != StartDevice::kReplyLength) {
        FUZZ_CHECK(!start.sendEnabled() && !closeRequested && host.prompts.shown.isEmpty(),
                   "a reply of the wrong length was taken");
    } else if (ParamReply(reply).enabled()) {
        FUZZ_CHECK(start.sendEnabled() && host.prompts.shown.isEmpty(), "enabled logger");
    } else {
        FUZZ_CHECK(closeRequested && host.prompts.messages() == QStringList{msg::kNotEnabled},
                   "logger not enabled");
    }
    start.close();
    FUZZ_CHECK(host.enabled && host.busy == 0, "closing left the commands disabled");
}

void checkLiveStart(const QByteArray &reply)
{
    FakeHost host;
    ReadingSet set;
    LiveReadings live(host.port, set, host.prompts, [] { return 2; });
    bool header = false;
    QObject::connect(&live, &LiveReadings::headerReady, [&] { header = true; });
    live.start();
    host.port.feed(reply);
    live.onTimerRTC();
    if (reply.size() != 40) {
        FUZZ_CHECK(!header && live.TimerRTC().isActive() && host.prompts.shown.isEmpty(),
                   "a reply of the wrong length was taken");
    } else if (ParamReply(reply).enabled()) {
        FUZZ_CHECK(header && set.MODEL == ParamReply(reply).model() && live.TimerRTC1().isActive(),
                   "enabled logger");
    } else {
        FUZZ_CHECK(!live.isRunning() && host.prompts.messages() == QStringList{msg::kNotEnabled},
                   "logger not enabled");
    }
    live.stop();
}

void checkDownloadStart(const QByteArray &reply)
{
    FakeHost host;
    Downloader d(host.port);
    d.start();
    host.port.feed(reply);
    d.onWaitTimer();
    const QByteArray last = host.port.written.last();
    if (reply.size() < 19) {
        FUZZ_CHECK(last.left(2) == "RP", "a short reply was taken");
    } else {
        const ParamReply r(reply);
        FUZZ_CHECK(last.left(2) == "RR", "a reply was not taken");
        FUZZ_CHECK(d.model() == r.model(), "model");
        FUZZ_CHECK(d.expected() == (r.memoryFull() ? 32000 : r.storedBytes()), "expected bytes");
    }
    d.cancel();
}

} // namespace

namespace fuzz {
QList<QByteArray> seeds()
{
    QList<QByteArray> out;
    for (const Logger &l : loggers())
        out << parameterReply(l);
    Logger full{2, 'S', 5, 8000};
    out << parameterReply(full);
    return out;
}
} // namespace fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::setCurrentInput(data, size);
    // Nothing longer than a few replies fits in one wait; longer inputs say nothing new.
    const QByteArray reply(reinterpret_cast<const char *>(data), qsizetype(std::min<std::size_t>(size, 256)));
    checkAccessors(ParamReply(reply));
    checkClockQuery(reply);
    checkDetails(reply);
    checkStartDialog(reply);
    checkLiveStart(reply);
    checkDownloadStart(reply);
    return 0;
}
