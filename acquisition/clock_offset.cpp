#include "acquisition/clock_offset.h"

#include "acquisition/clock_texts.h"
#include "acquisition/time_left.h"
#include "device/param_reply.h"

#include <algorithm>
#include <cstdlib>

namespace clockoffset {
namespace {
constexpr qint64 kDay = 24 * 3600;
constexpr qint64 kHalfDay = kDay / 2;
// The clock's registers end with the hours at byte 14.
constexpr int kClockBytes = 15;
} // namespace

qint64 between(QTime logger, QTime computer)
{
    qint64 d = computer.secsTo(logger) % kDay;
    if (d <= -kHalfDay)
        d += kDay;
    else if (d > kHalfDay)
        d -= kDay;
    return d;
}

std::optional<qint64> ofReply(const ParamReply &reply, const QDateTime &completeAt)
{
    if (reply.size() < kClockBytes || !completeAt.isValid())
        return std::nullopt;
    const QTime logger(reply.clockHours(), reply.clockMinutes(), reply.clockSeconds());
    if (!logger.isValid())
        return std::nullopt;
    return between(logger, completeAt.toLocalTime().time());
}

QString shown(qint64 offsetSeconds)
{
    if (offsetSeconds == 0)
        return clocktext::kRight;
    const QString span = TimeLeft::duration(int(std::min<qint64>(std::abs(offsetSeconds), kHalfDay)));
    return (offsetSeconds > 0 ? clocktext::kFast : clocktext::kSlow).arg(span);
}

} // namespace clockoffset
