#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QString>

#include <optional>

namespace archive {

// One judgement a run was given, as the archive keeps it: the verdict, the limits it was
// judged under, when, and the trail's event that recorded it (a store or a rejudge).
struct Judgement
{
    qint64 seq = 0;
    QDateTime at;                      // UTC
    std::optional<QString> status;     // unset: judged by nothing (refused limits)
    std::optional<QJsonObject> limits; // unset: not known (runs stored before they were kept)
    QString action;                    // action::kStore or action::kRejudge
    QString eventHash;
};

} // namespace archive
