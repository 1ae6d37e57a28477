#include "acquisition/image_loader.h"

#include "acquisition/memory_image.h"
#include "acquisition/reading_set.h"

#include <algorithm>
#include <cstring>

namespace imageload {

void storeImage(ReadingSet &set, const QByteArray &image)
{
    const int len = int(std::min<qsizetype>(image.size(), ReadingSet::kMemImageSize));
    std::memcpy(set.MemImage.data(), image.constData(), size_t(len));
    set.ImageLen = len;
    const int words = len >= memimage::kOverhead ? (len - memimage::kOverhead) / 2 : 0;
    set.NoOfReadings = std::min(words, ReadingSet::kRawDataSize);
    for (int i = 0; i < set.NoOfReadings; ++i)
        set.RawData[i] = set.MemImage[2 * i + 6] + 256 * set.MemImage[2 * i + 7];
}

void Read_Trailer(ReadingSet &set)
{
    const QByteArray image(reinterpret_cast<const char *>(set.MemImage.data()), set.ImageLen);
    const memimage::Trailer t = memimage::readTrailer(image);
    set.setLoggerIdentity(t.identity(), t.location);
    set.IntvUnit = quint8(t.intervalUnit);
    set.IntvValue = qint16(t.intervalValue);
    set.setNewestReading(t.day, t.month, t.year, t.hour, t.minute, 0);
}

void showImage(ReadingSet &set, const QByteArray &image, int model)
{
    set.MODEL = quint8(model);
    storeImage(set, image);
    Read_Trailer(set);
    set.Format_Grid();
    set.Fill_Grid();
}

} // namespace imageload
