#pragma once

#include "analysis/limits.h"
#include "analysis/quantity.h"

#include <QDateTime>
#include <QString>

#include <cmath>
#include <optional>
#include <vector>

// The summary of a reading set: figures of the run, statistics per sensor, excursions beyond
// the limits and the verdict. Computed from the numbers the table shows, in the table's unit,
// so it agrees with what the user reads.
namespace analysis {

// `v` when it is a finite number, otherwise none: no sensor reads inf or NaN, and no JSON,
// workbook or text shows one.
inline std::optional<double> finite(const std::optional<double> &v)
{
    if (v && std::isfinite(*v))
        return *v;
    return std::nullopt;
}

// One row of the table: its reading time and the numbers of its value cell and its humidity
// cell; a cell showing "***" (or a column the model does not have) has no number.
struct SummaryRow
{
    QDateTime time;
    std::optional<double> value;
    std::optional<double> humidity;
};

struct SummaryInput
{
    int model = 0;                // model code (common/model_codes.h)
    bool fahrenheit = false;      // the table shows temperatures in °F
    std::vector<SummaryRow> rows; // oldest first
};

// A maximal run of readings each beyond a limit or failed ("***") that starts and ends with a
// valid reading beyond it. A failed reading inside neither ends nor shortens it: nothing shows
// the goods came back. Failed readings that end the recording stay in the excursion before
// them. Each reading stands for one interval, so it lasts readings × interval; `start` and
// `end` are the earliest and the latest time of its readings.
struct Excursion
{
    QDateTime start;
    QDateTime end;
    int readings = 0; // failed ones included
    int failed = 0;   // failed readings inside it
    qint64 seconds = 0;
    double extreme = 0; // the highest reading above a high limit, the lowest below a low one
};

// What happened beyond one limit.
struct LimitOutcome
{
    double limit = 0; // in the table's unit
    std::vector<Excursion> excursions;
    qint64 seconds = 0;        // all excursions together
    qint64 longestSeconds = 0; // the longest excursion
    bool alarm = false;        // under the delay and the alarm type
    // The sensor has no valid reading: nothing shows the goods were within the limit, so the
    // limit is in alarm.
    bool noValidReading = false;

    int events() const { return int(excursions.size()); }
    QDateTime firstAt() const;  // the earliest start
    int failedIncluded() const; // failed readings inside the excursions
};

// An unbroken run of a sensor's failed readings: its earliest time, how many, and how long
// (readings × interval).
struct FailedRun
{
    QDateTime start;
    int readings = 0;
    qint64 seconds = 0;
};

struct SensorSummary
{
    Quantity quantity = Quantity::Temperature;
    QString unit;
    int valid = 0;
    int invalid = 0;         // failed readings ("***")
    QDateTime firstFailedAt; // the earliest of them
    FailedRun longestFailed; // the first of the longest runs of them
    // Unset when the sensor has no valid reading (mkt: also for every quantity but temperature).
    std::optional<double> min;
    QDateTime minAt; // the first reading at the minimum
    std::optional<double> max;
    QDateTime maxAt;
    std::optional<double> mean;
    std::optional<double> sd; // sample standard deviation; 0 for a single reading
    std::optional<double> mkt;
    Bounds limits; // in the table's unit
    std::optional<LimitOutcome> above;
    std::optional<LimitOutcome> below;
};

// A reading whose time lies before the time of the reading above it (a clock put back, an
// edited file).
struct TimeStepBack
{
    int row = 0; // its table row: 1 is the first reading
    QDateTime at;
    QDateTime after; // the time of the row above
};

enum class Verdict { Alarm, Ok, NoLimits, NoData };
QString verdictText(Verdict v); // "ALARM", "OK", "NO LIMITS", "NO DATA"

struct Summary
{
    int model = 0;
    bool fahrenheit = false;
    int readings = 0;
    int invalid = 0; // readings with at least one "***"
    QDateTime first; // the earliest reading time
    QDateTime last;  // the latest
    qint64 durationSeconds = 0; // last - first, never negative
    // The median length of the steps between consecutive readings that move the time (back
    // or forward); unset when no step does.
    std::optional<qint64> intervalSeconds;
    std::vector<TimeStepBack> stepsBack;
    int delayMinutes = 0;
    AlarmType alarmType = AlarmType::Single;
    std::vector<SensorSummary> sensors; // the model's own, in the table's column order
    Verdict verdict = Verdict::NoLimits;
};

// The verdict: NO DATA for a run without readings; ALARM when a sensor is in alarm beyond one
// of its limits or has limits and no valid reading; OK when some sensor has limits; otherwise
// NO LIMITS. A value that is not a finite number counts as a failed reading.
Summary summarize(const SummaryInput &input, const Limits &limits);

} // namespace analysis
