#pragma once

#include "analysis/summary.h"
#include "analysis/summary_output.h"

#include <optional>

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
// The summary for the workbook's Summary sheet: none while the kept limits are refused (the
// table goes out all the same; the caller says why, doc.limitsRefusal()).
std::optional<RunSummary> sheetSummaryOf(const RunDocument &doc);

// The text that marks a listed reading of table row `row` beyond a limit of `s`: "  > high",
// "  < low", or empty.
QString limitMark(const ReadingSet &set, const analysis::Summary &s, int row);

} // namespace report
