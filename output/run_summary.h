#pragma once

#include "analysis/limits.h"
#include "analysis/summary.h"
#include "analysis/summary_output.h"

class ReadingSet;

// The summary of a reading set as the report and the workbook show it: the figures in the
// table's unit under the given limits, and whose readings they are.
namespace report {

struct RunSummary
{
    analysis::Summary summary;
    analysis::RunHeader header;
};

RunSummary summarizeSet(const ReadingSet &set, const analysis::Limits &limits);

// The text that marks a listed reading of table row `row` beyond a limit of `s`: "  > high",
// "  < low", or empty.
QString limitMark(const ReadingSet &set, const analysis::Summary &s, int row);

} // namespace report
