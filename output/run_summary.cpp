#include "output/run_summary.h"

#include "acquisition/reading_set.h"
#include "analysis/summary_input.h"

namespace report {

namespace {

std::optional<double> sensorValue(const ReadingSet &set, analysis::Quantity q, int row)
{
    return q == analysis::Quantity::Humidity ? set.humidity(row) : set.value(row);
}

} // namespace

RunSummary summarizeSet(const ReadingSet &set, const analysis::Limits &limits)
{
    return {analysis::summarize(analysis::summaryInputOf(set), limits),
            analysis::runHeaderOf(set)};
}

QString limitMark(const ReadingSet &set, const analysis::Summary &s, int row)
{
    for (const analysis::SensorSummary &sensor : s.sensors) {
        const std::optional<double> v = sensorValue(set, sensor.quantity, row);
        if (!v)
            continue;
        if (sensor.limits.high && *v > *sensor.limits.high)
            return QStringLiteral("  > high");
        if (sensor.limits.low && *v < *sensor.limits.low)
            return QStringLiteral("  < low");
    }
    return QString();
}

} // namespace report
