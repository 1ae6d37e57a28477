#include "analysis/summary_input.h"

#include "acquisition/reading_set.h"

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

} // namespace analysis
