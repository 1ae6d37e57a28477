#include "tools/bench/figures.h"

#include <array>

namespace bench {

namespace {

using enum Unit;
using enum Group;

// Every figure the program measures, in the order it prints them.
//
// To add a figure: write `void myFigure(Stopwatch &sw)` in a figures_*.cpp file (prepare the
// input untimed, wrap the measured work in sw.start() / sw.stop()), declare it in figures.h and
// add one line here. Link what it needs to kestrun-bench in CMakeLists.txt.
constexpr std::array kFigures{
    // name                    unit          target runs group  function
    Figure{"fill.temp16000", Milliseconds, 10, 15, Default, fillTemperatureTable,
           "Fill_Grid of a full memory: 16,000 temperature readings, 2 % invalid"},
    Figure{"fill.rh8000", Milliseconds, 10, 15, Default, fillHumidityTable,
           "Fill_Grid of a full memory: 8,000 humidity readings (two columns), 2 % invalid"},
    Figure{"live.append300k", Microseconds, 10, 9, Default, appendLiveRow,
           "one live row appended to a 300,000-row table: texts, row, 5 cells, red flag"},
    Figure{"open.temp16000", Milliseconds, 20, 11, Default, openTemperatureFile,
           "open the image file of 16,000 temperature readings: read, decode, fill the table"},
    Figure{"open.rh8000", Milliseconds, 20, 11, Default, openHumidityFile,
           "open the image file of 8,000 humidity readings: read, decode, fill the table"},
    Figure{"save.temp16000", Milliseconds, 20, 11, Default, saveTemperatureFile,
           "save the image file of 16,000 temperature readings: encode, write atomically"},
    Figure{"save.rh8000", Milliseconds, 20, 11, Default, saveHumidityFile,
           "save the image file of 8,000 humidity readings: encode, write atomically"},
    Figure{"workbook.16001x6", Milliseconds, 300, 7, Default, writeWorkbook,
           "write the .xlsx of a full-memory table widened to 16,001 x 6 cells"},
    Figure{"graph.first16000", Milliseconds, 5, 11, Default, drawGraphAfterFill,
           "DRAW_GRAPH right after Fill_Grid of 16,000 readings: reads the table, 1600 x 800"},
    Figure{"graph.full16000", Milliseconds, 5, 21, Default, redrawGraphFull,
           "redraw of 16,000 readings at full view, 1600 x 800 plot area"},
    Figure{"graph.zoom16000", Milliseconds, 5, 21, Default, redrawGraphZoomed,
           "one scroll step of 16,000 readings zoomed 12 x: redraw and labels"},
    Figure{"graph.live300k", Milliseconds, 10, 11, Default, redrawGraphLive300k,
           "redraw after one live row of a 300,000-row humidity table, 1600 x 800"},
    Figure{"print.listing16000", Milliseconds, 500, 5, Default, printListing,
           "print the listing of 16,000 temperature readings (about 250 A4 pages) to PDF"},
    Figure{"report.temp16000", Seconds, 1, 5, Default, writeReport,
           "the whole report of 16,000 temperature readings with limits to PDF, the run attached, "
           "written atomically"},
    Figure{"report.archived16000", Seconds, 1, 5, Default, reportArchivedRun,
           "that report of a run kept in the SQLite archive: who stored it looked up, written, "
           "its event appended"},
    Figure{"report.attach16000", Milliseconds, 250, 5, Default, attachToReport,
           "attach the .brv2 of 16,000 readings and the figures to the report's PDF, written atomically"},
    Figure{"summary.temp16000", Milliseconds, 1, 21, Default, summarizeReadings,
           "summary of 16,000 temperature readings: statistics, MKT, excursions, verdict"},
    Figure{"open.rows321300", Milliseconds, 500, 5, Default, openWeekOfRows,
           "open a row file of a week of live readings every 2 s (321,300 humidity rows): "
           "read, check, fill the table"},
    Figure{"summary.rows321300", Milliseconds, 30, 11, Default, summarizeWeekOfRows,
           "the summary of those 321,300 rows with limits, on top of opening them"},
    Figure{"report.rows321300", Seconds, 5, 3, Default, reportWeekOfRows,
           "the whole report of those rows with limits to PDF, written atomically"},
    Figure{"open.rows321300.peak", Megabytes, 150, 1, Default, peakOfTable,
           "the most memory `kestrun-cli table` of those rows holds (ru_maxrss)"},
    Figure{"summary.rows321300.peak", Megabytes, 150, 1, Default, peakOfSummary,
           "the most memory `kestrun-cli summary` of those rows holds (ru_maxrss)"},
    Figure{"import.rows200mb", Seconds, 10, 1, Huge, importBigFile,
           "`kestrun-cli archive import` of a 200 MB row file (6.5 million rows), new archive"},
    Figure{"import.rows200mb.peak", Megabytes, 600, 1, Huge, peakOfImport,
           "the most memory that import holds (ru_maxrss): 3 x the file's size at most"},
    Figure{"archive.store16000", Milliseconds, 20, 11, Default, storeFullMemoryRun,
           "keep a full memory of 16,000 readings in the SQLite archive: encode, hash, store"},
    Figure{"archive.list10000", Milliseconds, 50, 11, Default, listFilteredRuns,
           "list the 1,000 runs of one location out of 10,000 in the SQLite archive"},
    Figure{"archive.model10000", Milliseconds, 200, 11, Default, openRunTable,
           "the browser's table over 10,000 runs: query, first 40 rows' texts"},
    Figure{"archive.dialog10000", Milliseconds, 200, 11, Default, openArchiveDialog,
           "the Archive dialog over 10,000 runs: built, shown and painted with its first rows"},
    Figure{"archive.slow200", Milliseconds, 50, 5, Default, paintWhileAsking,
           "the longest the Archive dialog goes unpainted while a filter is asked, 200 ms a question"},
    Figure{"archive.verify10000", Ratio, 2, 1, Verify, verifyArchive,
           "`archive verify` of 10,000 runs of 1,000 readings over sha256sum of their files, "
           "side by side"},
    Figure{"trail.append2000", Milliseconds, 2, 5, Default, appendAuditEvents,
           "append one audit event to the SQLite archive's trail, each in its own transaction "
           "(2,000 in a row)"},
    Figure{"trail.fdatasync500", Milliseconds, 2, 5, Default, syncToDisk,
           "the disk alone, side by side: one 4 KiB page written and flushed (fdatasync), 500 in a row"},
    Figure{"download.overhead.full", Seconds, 0.5, 1, Download, downloadFullMemory,
           "download a full memory (32,000 data bytes) at 1200 baud, minus its line time"},
    Figure{"download.overhead.r400", Seconds, 0.5, 3, Download, downloadFourHundred,
           "download 400 readings (800 data bytes) at 1200 baud, minus their line time"},
    Figure{"download.overhead.empty", Seconds, 0.5, 3, Download, downloadEmptyMemory,
           "download an empty memory (the 46-byte image) at 1200 baud, minus its line time"},
    Figure{"download.overhead.fast", Seconds, 0.5, 1, DownloadFast, downloadOverheadFast,
           "the same at 1200 bytes a second (checks the harness in ~30 s)"},
};

} // namespace

std::span<const Figure> figures() { return kFigures; }

} // namespace bench
