#pragma once

#include <QDateTime>
#include <QTime>

#include <optional>

class ParamReply;

// How far the logger's clock is from the computer's. The parameter reply carries only the
// logger's time of day, so the offset is taken within ±12 hours: a logger 11 h 59 min fast
// reads 23:59 when the computer says 12:00, and one that reads 00:10 at the computer's 12:11
// is 11 h 59 min fast too, a day having gone by on its clock.
namespace clockoffset {

// Logger minus computer in seconds, in (-12 h, +12 h].
qint64 between(QTime logger, QTime computer);

// The offset of the clock a parameter reply carries against the computer's local time at the
// moment the reply was complete; nullopt when the reply is too short to hold the clock or its
// registers do not read as a time of day.
std::optional<qint64> ofReply(const ParamReply &reply, const QDateTime &completeAt);

// "2 min 13 s fast", "5 min slow", "right to the second": for people.
QString shown(qint64 offsetSeconds);

} // namespace clockoffset
