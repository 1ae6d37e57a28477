#include "output/run_summary.h"

#include "acquisition/reading_set.h"
#include "run/run_document.h"

namespace report {

namespace {

std::optional<double> sensorValue(const ReadingSet &set, analysis::Quantity q, int row)
{
    return q == analysis::Quantity::Humidity ? set.humidity(row) : set.value(row);
}

} // namespace

RunSummary summaryOf(const RunDocument &doc)
{
    return {doc.summary(), doc.header()};
}

std::optional<RunSummary> sheetSummaryOf(const RunDocument &doc)
{
    if (!doc.limitsRefusal().isEmpty())
        return std::nullopt;
    return summaryOf(doc);
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
