#pragma once

#include "analysis/limits.h"
#include "analysis/quantity.h"

#include <QDateTime>
#include <QString>

#include <optional>
#include <vector>

// The summary of a reading set: figures of the run, statistics per sensor, excursions beyond
// the limits and the verdict. Computed from the numbers the table shows, in the table's unit,
// so it agrees with what the user reads.
namespace analysis {

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

// A maximal run of consecutive valid readings strictly beyond a limit. Each reading stands
// for one interval, so the run lasts readings × interval; `end` is its last reading's time.
struct Excursion
{
    QDateTime start;
    QDateTime end;
    int readings = 0;
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

    int events() const { return int(excursions.size()); }
    QDateTime firstAt() const { return excursions.empty() ? QDateTime() : excursions[0].start; }
};

struct SensorSummary
{
    Quantity quantity = Quantity::Temperature;
    QString unit;
    int valid = 0;
    int invalid = 0;
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

enum class Verdict { Alarm, Ok, NoLimits };
QString verdictText(Verdict v); // "ALARM", "OK", "NO LIMITS"

struct Summary
{
    int model = 0;
    bool fahrenheit = false;
    int readings = 0;
    int invalid = 0; // readings with at least one "***"
    QDateTime first;
    QDateTime last;
    qint64 durationSeconds = 0;
    std::optional<qint64> intervalSeconds; // the median step; unset below two readings
    int delayMinutes = 0;
    AlarmType alarmType = AlarmType::Single;
    std::vector<SensorSummary> sensors; // the model's own, in the table's column order
    Verdict verdict = Verdict::NoLimits;
};

Summary summarize(const SummaryInput &input, const Limits &limits);

} // namespace analysis
