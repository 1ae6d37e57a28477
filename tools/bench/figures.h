#pragma once

#include "tools/bench/bench.h"

// The figure functions, one group per file; figures.cpp lists them in its table.
namespace bench {

// figures_table.cpp
void fillTemperatureTable(Stopwatch &sw);
void fillHumidityTable(Stopwatch &sw);
void appendLiveRow(Stopwatch &sw);

// figures_file.cpp
void openTemperatureFile(Stopwatch &sw);
void openHumidityFile(Stopwatch &sw);
void saveTemperatureFile(Stopwatch &sw);
void saveHumidityFile(Stopwatch &sw);

// figures_export.cpp
void writeWorkbook(Stopwatch &sw);

// figures_graph.cpp
void drawGraphAfterFill(Stopwatch &sw);
void redrawGraphFull(Stopwatch &sw);
void redrawGraphZoomed(Stopwatch &sw);
void redrawGraphLive300k(Stopwatch &sw);

// figures_print.cpp
void printListing(Stopwatch &sw);
void writeReport(Stopwatch &sw);
void attachToReport(Stopwatch &sw);
void reportArchivedRun(Stopwatch &sw);

// figures_analysis.cpp
void summarizeReadings(Stopwatch &sw);

// figures_download.cpp
void downloadFullMemory(Stopwatch &sw);
void downloadFourHundred(Stopwatch &sw);
void downloadEmptyMemory(Stopwatch &sw);
void downloadOverheadFast(Stopwatch &sw);

// figures_rows.cpp
void openWeekOfRows(Stopwatch &sw);
void summarizeWeekOfRows(Stopwatch &sw);
void reportWeekOfRows(Stopwatch &sw);
void peakOfTable(Stopwatch &sw);
void peakOfSummary(Stopwatch &sw);
void importBigFile(Stopwatch &sw);
void peakOfImport(Stopwatch &sw);

// figures_archive.cpp
void storeFullMemoryRun(Stopwatch &sw);
void listFilteredRuns(Stopwatch &sw);
void openRunTable(Stopwatch &sw);
void openArchiveDialog(Stopwatch &sw);
void paintWhileAsking(Stopwatch &sw);

// figures_records.cpp
void verifyArchive(Stopwatch &sw);
// figures_trail.cpp
void appendAuditEvents(Stopwatch &sw);
void syncToDisk(Stopwatch &sw);

} // namespace bench
