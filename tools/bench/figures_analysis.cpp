#include "tools/bench/figures.h"
#include "tools/bench/inputs.h"

#include "acquisition/reading_set.h"
#include "analysis/summary.h"
#include "common/datetext.h"
#include "common/numfmt.h"
#include "acquisition/readings_table.h"

#include <memory>

namespace bench {

namespace {

// The summary's input read off the filled table of a full temperature memory: the reading
// times and the numbers the value cells show ("***" has none).
analysis::SummaryInput summaryInput()
{
    auto set = std::make_unique<ReadingSet>();
    setFromImage(*set, kTemperatureModel, fullMemoryImage(kTemperatureModel));
    set->Fill_Grid();
    const ReadingsTable &t = set->table();
    analysis::SummaryInput in;
    in.model = kTemperatureModel;
    for (int r = 1; r < t.rows(); ++r) {
        double v = 0;
        const bool valid = numfmt::parse(t.text(r, tablecol::kValueCol), &v);
        in.rows.push_back(
            {datetext::combine(t.text(r, tablecol::kDateCol), t.text(r, tablecol::kTimeCol)),
             valid ? std::optional<double>(v) : std::nullopt, std::nullopt});
    }
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
