#include "tools/bench/inputs.h"

#include "acquisition/memory_image.h"
#include "acquisition/reading_set.h"
#include "device/command_frame.h"
#include "tools/logger-sim/logger_core.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace bench {

void setUpLogger(loggersim::LoggerCore &core, int model, int readings)
{
    loggersim::LoggerState &s = core.state();
    s.model = quint8(model);
    s.serial = 1234;
    s.idBytes = {15, 6, 24};
    s.setLocation("Cold store 3");
    s.intervalUnit = 'M';
    s.intervalCount = 5;
    s.clock = loggersim::RtcTime{2024, 6, 15, 12, 0, 0};
    core.readings().setInvalidShare(0.02);
    core.fillHistory(readings);
}

const QByteArray &fullMemoryImage(int model)
{
    static std::map<int, QByteArray> made;
    QByteArray &image = made[model];
    if (image.isEmpty()) {
        loggersim::LoggerCore core;
        setUpLogger(core, model,
                    model == kHumidityModel ? kHumidityReadings : kTemperatureReadings);
        image = core.memoryImage(frames::make('R', 'R'));
    }
    return image;
}

void setFromImage(ReadingSet &set, int model, const QByteArray &image)
{
    const std::vector<std::int32_t> words = memimage::words(image);
    const memimage::Trailer t = memimage::readTrailer(image);
    set.MODEL = quint8(model);
    set.NoOfReadings = std::min<qint32>(qint32(words.size()), ReadingSet::kRawDataSize);
    std::copy_n(words.begin(), set.NoOfReadings, set.RawData.begin());
    set.ImageLen = std::min<qint32>(qint32(image.size()), ReadingSet::kMemImageSize);
    std::memcpy(set.MemImage.data(), image.constData(), size_t(set.ImageLen));
    set.IntvUnit = quint8(t.intervalUnit);
    set.IntvValue = qint16(t.intervalValue);
    set.setNewestReading(t.day, t.month, t.year, t.hour, t.minute);
    set.setLoggerIdentity(t.identity(), t.location);
}

} // namespace bench
