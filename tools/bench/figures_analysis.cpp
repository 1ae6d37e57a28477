#include "tools/bench/figures.h"
#include "tools/bench/inputs.h"

#include "acquisition/reading_set.h"
#include "analysis/summary.h"

#include <memory>

namespace bench {

namespace {

// The summary's input from a filled full temperature memory: the reading times and the
// numbers the value cells show ("***" has none).
analysis::SummaryInput summaryInput()
{
    auto set = std::make_unique<ReadingSet>();
    setFromImage(*set, kTemperatureModel, fullMemoryImage(kTemperatureModel));
    set->Fill_Grid();
    analysis::SummaryInput in;
    in.model = kTemperatureModel;
    for (int i = 1; i <= set->readingCount(); ++i)
        in.rows.push_back({set->readingTime(i), set->value(i), std::nullopt});
    return in;
}

} // namespace

void summarizeReadings(Stopwatch &sw)
{
    static const analysis::SummaryInput in = summaryInput();
    analysis::Limits limits;
    limits[analysis::Quantity::Temperature] = {8.0, 2.0};
    sw.start();
    const analysis::Summary s = analysis::summarize(in, limits);
    sw.stop();
    if (s.readings != kTemperatureReadings || s.invalid == 0 || !s.sensors.at(0).mkt)
        sw.fail(QStringLiteral("%1 readings, %2 invalid").arg(s.readings).arg(s.invalid));
}

} // namespace bench
