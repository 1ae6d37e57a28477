#include "analysis/summary_input.h"

#include "acquisition/reading_set.h"
#include "analysis/limits_store.h"

#include <algorithm>

namespace analysis {

SummaryInput summaryInputOf(const ReadingSet &set)
{
    SummaryInput in;
    in.model = set.MODEL;
    in.fahrenheit = set.Cels_Faren == 0;
    const int n = set.readingCount();
    in.rows.reserve(size_t(std::max(n, 0)));
    for (int i = 1; i <= n; ++i)
        in.rows.push_back({set.readingTime(i), set.value(i), set.humidity(i)});
    return in;
}

QString serialOf(const ReadingSet &set)
{
    // The caption carries the identification bytes after the number: "1207 01 01 00".
    return set.serialValue().section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty);
}

Validation storedLimits(const ReadingSet &set)
{
    return LimitsStore().lookup(serialOf(set));
}

RunHeader runHeaderOf(const ReadingSet &set)
{
    return {serialOf(set), set.locationValue()};
}

} // namespace analysis
