#include "device/device_results.h"

#include "common/datetext.h"
#include "common/messages.h"
#include "common/model_codes.h"
#include "common/numfmt.h"
#include "device/param_reply.h"

int LoggerDetails::Interval::seconds() const
{
    switch (unit) {
    case 'H':
        return count * 3600;
    case 'M':
        return count * 60;
    default:
        return count;
    }
}

LoggerDetails LoggerDetails::fromReply(const ParamReply &r)
{
    LoggerDetails d;
    d.identity = r.identity();
    d.location = r.location();
    d.model = r.model();
    // A delayed start still waiting is what the logger is doing, whatever the started flag says.
    if (r.waitingForDelayedStart())
        d.status = Status::StartLater;
    else if (r.started())
        d.status = Status::Started;
    d.memoryFull = r.memoryFull();
    d.readings = d.memoryFull ? double(model::capacity(d.model))
                              : double(r.storedBytes()) / model::bytesPerReading(d.model);
    const char unit = r.intervalUnit();
    if (unit == 'S' || unit == 'M' || unit == 'H')
        d.interval = Interval{r.intervalCount(), unit};
    return d;
}

QString LoggerDetails::modelName() const
{
    return model::label(model);
}

QString LoggerDetails::statusText() const
{
    switch (status) {
    case Status::StartLater:
        return msg::kStatusStartLater;
    case Status::Started:
        return msg::kStatusStarted;
    case Status::Stopped:
        break;
    }
    return msg::kStatusStopped;
}

QString LoggerDetails::readingsText() const
{
    return numfmt::plain(readings);
}

QString LoggerDetails::intervalText() const
{
    if (!interval)
        return QString();
    const QString &unit = interval->unit == 'S'   ? msg::kUnitSeconds
                          : interval->unit == 'M' ? msg::kUnitMinutes
                                                  : msg::kUnitHours;
    return QString::number(interval->count) + unit;
}

ClockReading ClockReading::fromReply(const ParamReply &r)
{
    ClockReading c;
    c.stopped = (r.status() & 0x06) == 0;
    if (!c.stopped) {
        const int secs = r.clockHours() * 3600 + r.clockMinutes() * 60 + r.clockSeconds();
        c.time = QTime(0, 0).addSecs(secs);
    }
    return c;
}

QString ClockReading::text() const
{
    return stopped ? msg::kDeviceIsStoppedClock : datetext::timeText(time);
}
