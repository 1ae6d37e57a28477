#pragma once

#include "analysis/summary.h"
#include "analysis/summary_output.h"

#include <QString>

class ReadingSet;

// What the summary reads off a reading set: the reading times and the numbers the table shows
// (never its texts parsed back), the model and the unit shown; and whose readings they are.
namespace analysis {

SummaryInput summaryInputOf(const ReadingSet &set);

// The logger's serial number ("1207" of the caption ":     1207 01 01 00"); empty when none
// is shown. Limits are kept under it.
QString serialOf(const ReadingSet &set);

RunHeader runHeaderOf(const ReadingSet &set);

// The limits kept in the per-user settings for the set's logger (or the default), or why the
// stored set is refused.
Validation storedLimits(const ReadingSet &set);

} // namespace analysis
