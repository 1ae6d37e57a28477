#include "tools/bench/figures.h"
#include "tools/bench/inputs.h"

#include "acquisition/reading_set.h"
#include "acquisition/readings_table.h"
#include "output/spreadsheet_export.h"

#include <QTemporaryDir>

#include <memory>

namespace bench {

void writeWorkbook(Stopwatch &sw)
{
    // The table of a full temperature memory, widened to the grid's six columns: the largest
    // table an export can meet (16,001 x 6 cells).
    auto set = std::make_unique<ReadingSet>();
    setFromImage(*set, kTemperatureModel, fullMemoryImage(kTemperatureModel));
    set->Fill_Grid();
    ReadingsTable &t = set->table();
    const int valueCols = t.cols();
    t.setCols(ReadingsTable::kMaxCols);
    for (int r = 0; r < t.rows(); ++r)
        for (int c = valueCols; c < t.cols(); ++c)
            t.setCell(r, c, t.text(r, valueCols - 1), t.isRed(r, valueCols - 1));

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("readings.xlsx"));
    QString error;
    sw.start();
    const bool written = spreadsheet::writeWorkbook(t, path, &error);
    sw.stop();
    if (!written)
        sw.fail(error);
}

} // namespace bench
