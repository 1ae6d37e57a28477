#pragma once

#include <QString>

struct lxw_workbook;
namespace report {
struct RunSummary;
}

// The workbook's "Summary" sheet: the figures of the run summary as typed cells (numbers as
// numbers, times as dates), and a native line chart of the readings of the readings sheet.
namespace spreadsheet {

inline constexpr char kSummarySheet[] = "Summary";

// Adds the sheet to `book`, whose readings sheet `readingsSheet` holds `readings` readings of
// the table laid out as the export lays it out. False (and why) when it could not be added.
bool addSummarySheet(lxw_workbook *book, const char *readingsSheet, int readings,
                     const report::RunSummary &run, QString *error);

} // namespace spreadsheet
