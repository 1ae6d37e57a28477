#include "output/run_summary.h"

#include "acquisition/reading_set.h"
#include "analysis/limits_store.h"
#include "common/messages.h"

namespace report {

namespace {

std::optional<double> sensorValue(const ReadingSet &set, analysis::Quantity q, int row)
{
    return q == analysis::Quantity::Humidity ? set.humidity(row) : set.value(row);
}

} // namespace

RunSummary summarizeSet(const ReadingSet &set, const analysis::Limits &limits)
{
    analysis::SummaryInput in;
    in.model = set.MODEL;
    in.fahrenheit = set.Cels_Faren == 0;
    const int n = set.readingCount();
    in.rows.reserve(size_t(std::max(0, n)));
    for (int i = 1; i <= n; ++i)
        in.rows.push_back({set.readingTime(i), set.value(i), set.humidity(i)});

    RunSummary r{analysis::summarize(in, limits), {}};
    // The captions carry the label's colon; the header holds the bare texts.
    QString serial = set.SerialText();
    if (serial.startsWith(QLatin1Char(':')))
        serial.remove(0, 1);
    r.header.serial = serial.trimmed();
    QString location = set.locationCaption();
    if (location.startsWith(msg::kLocationPrefix))
        location = location.mid(msg::kLocationPrefix.size());
    r.header.location = location.trimmed();
    return r;
}

analysis::Limits storedLimits(const ReadingSet &set)
{
    return LimitsStore().lookup(summarizeSet(set, {}).header.serial);
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
