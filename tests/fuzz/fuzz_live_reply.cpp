// The live reply decoder fed arbitrary answers to "R","T". Input: the model code the
// parameter reply gave, a byte that says how many of the counted bytes are still there when they
// are taken (a port that goes away between the count and the read), then the reply. A reply of
// the model's length adds one row (in degC and in degF, the same reading), any other length
// ends the run with "Error", silence asks again.
#include "tests/support/fake_host.h"
#include "tests/fuzz/fuzz_seeds.h"
#include "tests/fuzz/fuzz_target.h"
#include "tests/fuzz/set_checks.h"

#include "acquisition/conversions.h"
#include "acquisition/live_readings.h"
#include "common/clock.h"
#include "common/messages.h"

#include <cmath>
#include <optional>

namespace {

// A port whose bytes can vanish between counting them and taking them.
class VanishingLink final : public SerialLink
{
public:
    OpenResult open(const QString &, int) override { return OpenResult::Ok; }
    void close() override {}
    bool isOpen() const override { return true; }
    QString deviceName() const override { return {}; }
    bool setLineSettings(int) override { return true; }
    void setBreak(bool) override {}
    void discardInput() override { rx.clear(); }
    qint64 bytesWaiting() override { return rx.size(); }
    QByteArray takeAll() override
    {
        const QByteArray out = rx.left(keep);
        rx.clear();
        return out;
    }
    bool write(const QByteArray &bytes) override
    {
        written.append(bytes);
        return true;
    }

    QByteArray rx;
    qsizetype keep = 0;
    QList<QByteArray> written;
};

struct Result
{
    bool row = false;
    QString value, humidity;
};

Result run(int model, bool fahrenheit, const QByteArray &reply, qsizetype keep)
{
    VanishingLink link;
    ScriptedPrompter prompts;
    ReadingSet set;
    set.MODEL = quint8(model);
    set.Cels_Faren = fahrenheit ? 0 : -1;
    set.Format_Grid();
    LiveReadings live(link, set, prompts, [] { return 2; });
    link.rx = reply;
    link.keep = keep;
    live.onTimerRTC2();

    Result r;
    const int rows = set.table().rows();
    if (reply.isEmpty()) {
        FUZZ_CHECK(rows == 1 && prompts.shown.isEmpty() && live.TimerRTC2().isActive() &&
                       link.written.size() == 1 && link.written.first().left(2) == "RT",
                   "silence was not asked again");
        return r;
    }
    if (reply.size() != LiveReadings::replyLength(model) || keep < reply.size()) {
        FUZZ_CHECK(rows == 1 && !live.isRunning(), "a wrong reply was shown or kept the run going");
        FUZZ_CHECK(prompts.messages() == QStringList{msg::kLiveError}, "not one \"Error\"");
        return r;
    }
    FUZZ_CHECK(prompts.shown.isEmpty(), "a message for a good reply");
    FUZZ_CHECK(rows == 2 && live.LiveRowNo == 1 && live.TimerRTC1().isActive(), "no row added");
    fuzz::checkRows(set);
    r.row = true;
    r.value = set.table().text(1, 3);
    if (model::isHumidity(model))
        r.humidity = set.table().text(1, 4);
    return r;
}

} // namespace

namespace fuzz {
QList<QByteArray> seeds()
{
    QList<QByteArray> out;
    for (const Logger &l : loggers()) {
        const QByteArray reply = liveReply(l);
        out << QByteArray(1, char(l.model)) + char(reply.size()) + reply;
    }
    return out;
}
} // namespace fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::setCurrentInput(data, size);
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    if (input.size() < 2)
        return 0;
    static FixedClock clock(QDateTime(QDate(2024, 3, 1), QTime(10, 0, 0)));
    Clock::install(&clock);
    const int model = quint8(input.at(0));
    const qsizetype keep = quint8(input.at(1));
    const QByteArray reply = input.mid(2, 64);
    const bool seed = fuzz::isSeed(input);

    const Result c = run(model, false, reply, keep);
    const Result f = run(model, true, reply, keep);
    if (seed)
        FUZZ_CHECK(c.row, "a logger's own reading was refused");
    FUZZ_CHECK(c.row == f.row, "the unit decided whether a reading is shown");
    if (!c.row)
        return 0;
    FUZZ_CHECK(c.humidity == f.humidity, "the unit changed the humidity");
    if (model::hasTemperature(model)) {
        FUZZ_CHECK((c.value == QLatin1String("***")) == (f.value == QLatin1String("***")),
                   "the unit decided whether a temperature is valid");
        double tc = 0, tf = 0;
        if (numfmt::parse(c.value, &tc) && numfmt::parse(f.value, &tf))
            FUZZ_CHECK(std::fabs(sensor::Conv_Faren(tc) - tf) <= 0.1 + 1e-9,
                       "degF is not the degC reading converted");
    } else {
        FUZZ_CHECK(c.value == f.value, "the unit changed a value that is no temperature");
    }
    return 0;
}
