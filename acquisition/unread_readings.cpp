#include "acquisition/unread_readings.h"

#include "acquisition/time_left.h"
#include "common/messages.h"
#include "common/model_codes.h"
#include "device/param_reply.h"

#include <QLocale>

namespace {
// 1200 baud with a start and a stop bit around each byte.
constexpr int kLineBytesPerSecond = 120;
constexpr int kFrameBytes = 6;
constexpr int kParameterBlock = 40;
constexpr int kImageFrame = 46; // lead-in and trailer around the reading words
} // namespace

UnreadReadings UnreadReadings::of(const ParamReply &reply)
{
    // A logger that never was set up holds nothing a download would keep.
    if (!reply.enabled())
        return {};
    const int dataBytes = reply.memoryFull() ? model::kMaxDataBytes : reply.storedBytes();
    UnreadReadings u;
    u.readings = dataBytes / model::bytesPerReading(reply.model());
    if (u.readings == 0)
        return {};
    // Both requests, the parameter block and the memory image cross the line.
    const int lineBytes = 2 * kFrameBytes + kParameterBlock + dataBytes + kImageFrame;
    u.seconds = (lineBytes + kLineBytesPerSecond - 1) / kLineBytesPerSecond;
    return u;
}

QString UnreadReadings::question() const
{
    // The sentence is English, and so is its number: "4,320" on every machine.
    return msg::kReadBeforeErase.arg(QLocale(QLocale::English).toString(readings),
                                     TimeLeft::duration(seconds));
}
