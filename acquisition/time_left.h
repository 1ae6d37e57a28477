#pragma once

#include <QString>
#include <QtGlobal>

// How long a transfer still takes, from the bytes it is to bring and the rate at which they
// have been arriving. The rate is measured from the first byte seen, so the logger's pause
// before it answers does not count, and there is no estimate until a second of arrivals has
// been seen.
class TimeLeft
{
public:
    static constexpr int kUnknown = -1;

    // A new transfer of `totalBytes` bytes.
    void restart(qint64 totalBytes);
    // `received` bytes have arrived by `nowMs` (any steady millisecond clock): the whole
    // seconds still to go, rounded up, or kUnknown while no rate has been seen.
    int update(qint64 received, qint64 nowMs);

    // "about 1 min 10 s left", "about 40 s left"; empty when nothing is left or nothing known.
    // Above a minute the figure is rounded to 10 s, so it does not flicker.
    static QString text(int seconds);
    // "1 min 14 s", "40 s", "2 min": a span of whole seconds as users read it.
    static QString duration(int seconds);

private:
    qint64 m_total = 0;
    qint64 m_firstBytes = -1; // bytes received when the first ones were seen
    qint64 m_firstMs = 0;
};
