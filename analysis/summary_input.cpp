#include "analysis/summary_input.h"

#include "acquisition/reading_set.h"
#include "acquisition/readings_table.h"

#include <algorithm>
#include <cmath>

namespace analysis {

SummaryInput summaryInputOf(const ReadingSet &set)
{
    SummaryInput in;
    in.model = set.MODEL;
    in.fahrenheit = set.Cels_Faren == 0;
    const int n = set.readingCount();
    in.rows.reserve(size_t(std::max(n, 0)));
    const auto number = [](double v) {
        return std::isnan(v) ? std::nullopt : std::optional<double>(v);
    };
    set.table().forEachReading([&](const QDateTime &time, double value, double humidity) {
        in.rows.push_back({time, number(value), number(humidity)});
    });
    return in;
}

} // namespace analysis
