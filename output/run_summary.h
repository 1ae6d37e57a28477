#pragma once

#include "analysis/summary.h"
#include "analysis/summary_output.h"

class ReadingSet;

class RunDocument;

// The summary of a run as the report and the workbook show it: the document's figures in the
// table's unit, and whose readings they are.
namespace report {

struct RunSummary
{
    analysis::Summary summary;
    analysis::RunHeader header;
};

RunSummary summaryOf(const RunDocument &doc);

// The text that marks a listed reading of table row `row` beyond a limit of `s`: "  > high",
// "  < low", or empty.
QString limitMark(const ReadingSet &set, const analysis::Summary &s, int row);

} // namespace report
