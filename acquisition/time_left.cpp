#include "acquisition/time_left.h"

namespace {
constexpr qint64 kMinSpanMs = 1000; // arrivals watched before the rate is trusted
} // namespace

void TimeLeft::restart(qint64 totalBytes)
{
    m_total = totalBytes;
    m_firstBytes = -1;
    m_firstMs = 0;
}

int TimeLeft::update(qint64 received, qint64 nowMs)
{
    if (received <= 0)
        return kUnknown;
    if (m_firstBytes < 0) {
        m_firstBytes = received;
        m_firstMs = nowMs;
    }
    const qint64 bytes = received - m_firstBytes;
    const qint64 spanMs = nowMs - m_firstMs;
    if (spanMs < kMinSpanMs || bytes <= 0)
        return kUnknown;
    const qint64 rest = m_total - received;
    if (rest <= 0)
        return 0;
    // rest / (bytes / spanMs) milliseconds, rounded up to whole seconds.
    return int((rest * spanMs + bytes * 1000 - 1) / (bytes * 1000));
}

QString TimeLeft::text(int seconds)
{
    if (seconds <= 0)
        return {};
    // Above a minute the figure moves in steps of 10 s.
    return QStringLiteral("about %1 left").arg(duration(seconds < 60 ? seconds
                                                                     : (seconds + 5) / 10 * 10));
}

QString TimeLeft::duration(int seconds)
{
    const int minutes = seconds / 60;
    const int rest = seconds % 60;
    if (minutes == 0)
        return QStringLiteral("%1 s").arg(rest);
    return rest == 0 ? QStringLiteral("%1 min").arg(minutes)
                     : QStringLiteral("%1 min %2 s").arg(minutes).arg(rest);
}
