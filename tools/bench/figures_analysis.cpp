#include "tools/bench/figures.h"
#include "tools/bench/inputs.h"

#include "acquisition/reading_set.h"
#include "analysis/summary.h"
#include "analysis/summary_input.h"

#include <memory>

namespace bench {

namespace {

// The summary's input read off the filled table of a full temperature memory, as the window
// and kestrun-cli read it.
analysis::SummaryInput summaryInput()
{
    auto set = std::make_unique<ReadingSet>();
    setFromImage(*set, kTemperatureModel, fullMemoryImage(kTemperatureModel));
    set->Fill_Grid();
    return analysis::summaryInputOf(*set);
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
