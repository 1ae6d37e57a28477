#pragma once

#include "run/run_origin.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QString>

#include <array>
#include <optional>

// One archived run: what identifies it and what a list shows, and the exact ".brv2" bytes Save
// would write for it.
namespace archive {

// A sensor's failed readings as the summary counted them: how many, the longest unbroken run
// of them and when the first was taken.
struct FailedReadings
{
    int readings = 0;
    qint64 longestSeconds = 0;
    QDateTime firstAt; // logger time; invalid when none failed

    bool operator==(const FailedReadings &) const = default;
};

struct RunRecord
{
    QString key;        // what `get` and `withdraw` take: the first 16 hex digits of the hash
    QString sha256;     // hex digits of the SHA-256 of `bytes`
    QDateTime storedAt; // set when stored (UTC)
    QString computer;
    QString user;
    RunOrigin source = RunOrigin::Download; // download, live or import (File)
    int model = 0;
    int serial = -1;  // -1: the set names none
    QString idBytes;  // the identification bytes as the serial caption shows them ("06 05 13")
    QString location; // trimmed
    int readings = 0;
    QDateTime first; // logger times: local, no zone
    QDateTime last;
    // The summary under the logger's limits: "ALARM", "OK", "NO LIMITS" or "NO DATA", and per
    // sensor (0: the model's quantity, 1: humidity) the minimum and maximum, temperatures in
    // degC, and the failed readings (unset for a sensor the model does not have, and for runs
    // stored before they were kept).
    std::optional<QString> status;
    std::array<std::optional<double>, 2> minimum;
    std::array<std::optional<double>, 2> maximum;
    std::array<std::optional<FailedReadings>, 2> failed;
    // The limits `status` was judged under, as the archive keeps them with the judgement
    // (unset: not known, as for runs stored before the limits were kept).
    std::optional<QJsonObject> limits;
    // Taken out of the default list with a reason; its bytes stay.
    bool withdrawn = false;
    QByteArray bytes;
};

// Sets `bytes`, the hash and the key.
void setBytes(RunRecord &record, const QByteArray &bytes);

// The computer's and the user's names, as stored with each run.
QString computerName();
QString userName();

// Logger times as text and back: ISO 8601 without zone ("2024-05-17T12:30:00"). parseTime also
// reads the times of storing ("2024-05-17T10:30:00.123Z"); both come back as Qt::UTC times.
QString timeText(const QDateTime &t);
QDateTime parseTime(QStringView text);

// A time and a serial number as the browser's table shows them ("17/05/2024 12:00:00", "0045");
// empty for an invalid time.
QString shownTime(const QDateTime &t);
QString shownSerial(int serial);

// The verdict as a list shows it: the status, marked when the run was withdrawn
// ("ALARM (WITHDRAWN)", "WITHDRAWN" when it has none).
QString shownVerdict(const RunRecord &run);

// The run in a few words: serial, location and the span of its readings, as the table shows
// them ("0045 FREEZER 2 – 17/05/2024 12:00:00 to 21/05/2024 08:00:00").
QString runName(const RunRecord &run);
// The data window's title for a run opened from the archive: "Archive: " and its name.
QString runTitle(const RunRecord &run);

} // namespace archive
