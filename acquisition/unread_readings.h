#pragma once

#include <QString>

class ParamReply;

// What erasing a logger would lose, as its parameter block tells it: the readings it holds and
// about how long reading them takes at the line's speed.
struct UnreadReadings
{
    int readings = 0;
    int seconds = 0;

    static UnreadReadings of(const ParamReply &reply);
    // "The logger holds 4,320 readings that will be erased. Read and keep them first (about
    // 1 min 13 s)?"
    QString question() const;
};
