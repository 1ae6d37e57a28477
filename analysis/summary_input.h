#pragma once

#include "analysis/summary.h"

class ReadingSet;

namespace analysis {

// What the summary reads off a reading set: the reading times and the numbers the table shows
// (never its texts parsed back), the model and the unit shown.
SummaryInput summaryInputOf(const ReadingSet &set);

} // namespace analysis
