#pragma once

#include "analysis/summary.h"
#include "analysis/summary_output.h"

#include <QString>

class ReadingSet;

// What the summary reads off a reading set: the reading times and the numbers the table shows
// (never its texts parsed back), the model and the unit shown; and whose readings they are.
namespace analysis {

SummaryInput summaryInputOf(const ReadingSet &set);

// The logger's serial number without the caption's colon and padding; empty when none is shown.
QString serialOf(const ReadingSet &set);

RunHeader runHeaderOf(const ReadingSet &set);

} // namespace analysis
