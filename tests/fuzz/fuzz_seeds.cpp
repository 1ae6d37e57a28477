#include "tests/fuzz/fuzz_seeds.h"

#include "acquisition/image_loader.h"
#include "acquisition/reading_set.h"
#include "datafile/set_io.h"
#include "device/command_frame.h"
#include "tools/logger-sim/logger_core.h"

namespace fuzz {
namespace {

loggersim::LoggerCore core(const Logger &l)
{
    loggersim::LoggerCore c;
    loggersim::LoggerState &s = c.state();
    s.model = quint8(l.model);
    s.intervalUnit = l.unit;
    s.intervalCount = l.count;
    s.serial = l.enabled ? quint16(45 + l.model) : loggersim::LoggerState::kNoSerial;
    s.idBytes = {6, 5, 24};
    s.setLocation("COLD ROOM " + QByteArray::number(l.model));
    c.fillHistory(l.readings);
    s.started = l.started;
    s.waiting = l.waiting;
    return c;
}

QByteArray ask(const Logger &l, char letter)
{
    loggersim::LoggerCore c = core(l);
    return c.handleFrame(frames::make('R', std::uint8_t(letter))).reply;
}

// The image as the program keeps it: the six lead-in bytes are part of it.
void fillSet(ReadingSet &set, const Logger &l)
{
    imageload::showImage(set, memoryImage(l), l.model);
}

} // namespace

QList<Logger> loggers()
{
    QList<Logger> out;
    for (int model : {1, 2, 3, 4, 5, 6, 7, 8, 32})
        out.append(Logger{model, 'M', 15, 40});
    out.append(Logger{1, 'S', 30, 120, true, true});
    out.append(Logger{6, 'H', 2, 25, true, false, true});
    out.append(Logger{2, 'M', 1, 3, false});
    out.append(Logger{3, 'S', 5, 0});
    out.append(Logger{32, 'H', 24, 60, true, true});
    return out;
}

QByteArray parameterReply(const Logger &l) { return ask(l, 'P'); }
QByteArray memoryImage(const Logger &l) { return ask(l, 'R'); }
QByteArray liveReply(const Logger &l) { return ask(l, 'T'); }

QByteArray imageFile(const Logger &l)
{
    ReadingSet set;
    fillSet(set, l);
    return setio::encode(set, setio::kDownloaded);
}

QByteArray rowFile(const Logger &l, bool fahrenheit)
{
    ReadingSet set;
    set.Cels_Faren = fahrenheit ? 0 : -1;
    fillSet(set, l);
    return setio::encode(set, 2);
}

} // namespace fuzz
