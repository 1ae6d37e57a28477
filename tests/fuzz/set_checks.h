#pragma once

// What every reading set shown in the window must satisfy, whatever its source, and a snapshot
// to prove that a refused input left the set as it was.

#include "acquisition/reading_set.h"
#include "acquisition/readings_table.h"
#include "acquisition/table_texts.h"
#include "common/datetext.h"
#include "common/model_codes.h"
#include "common/numfmt.h"
#include "tests/fuzz/fuzz_target.h"
#include "tests/view/table_cells.h"

#include <QStringList>

#include <algorithm>

namespace fuzz {

struct SetSnapshot
{
    QList<QStringList> cells;
    QList<QList<bool>> red;
    int model = 0;
    int imageLen = 0;
    int readings = 0;
    QString serial, location;

    static SetSnapshot of(const ReadingSet &set)
    {
        SetSnapshot s;
        const ReadingsTable &t = set.table();
        tablecells::copy(t, &s.cells, &s.red);
        s.model = set.MODEL;
        s.imageLen = set.ImageLen;
        s.readings = set.NoOfReadings;
        s.serial = set.SerialText();
        s.location = set.locationCaption();
        return s;
    }
    bool operator==(const SetSnapshot &) const = default;
};

// A value cell: "***" in red, or a number in black; an unknown model leaves it empty.
inline void checkValueCell(const ReadingsTable &t, int r, int c, bool mayBeEmpty)
{
    const QString &text = t.text(r, c);
    const QByteArray where =
        QStringLiteral("row %1 column %2: \"%3\"").arg(r).arg(c).arg(text).toUtf8();
    if (text == tabletext::kInvalid) {
        FUZZ_CHECK(t.isRed(r, c), where);
        return;
    }
    FUZZ_CHECK(!t.isRed(r, c), where);
    if (text.isEmpty() && mayBeEmpty)
        return;
    double v = 0;
    FUZZ_CHECK(numfmt::parse(text, &v), where);
}

// Every reading row: its running number, a date and a time that read back, and value cells.
// Of a long table the first and last rows and a spread between them are looked at.
inline void checkRows(const ReadingSet &set)
{
    const ReadingsTable &t = set.table();
    const bool known = model::family(set.MODEL) != model::Family::Unknown;
    const int rows = t.rows();
    for (int r = 1; r < rows;
         r = (r < 200 || r >= rows - 200) ? r + 1 : std::min(r + 97, rows - 200)) {
        const QByteArray where =
            QStringLiteral("row %1: %2 | %3").arg(r).arg(t.text(r, 1), t.text(r, 2)).toUtf8();
        FUZZ_CHECK(t.text(r, 0) == QString::number(r), where);
        FUZZ_CHECK(datetext::parseDate(t.text(r, 1)).isValid(), where);
        FUZZ_CHECK(datetext::parseTime(t.text(r, 2)).isValid(), where);
        if (t.cols() > 3)
            checkValueCell(t, r, 3, !known);
        if (model::isHumidity(set.MODEL) && t.cols() > 4)
            checkValueCell(t, r, 4, false);
    }
}

} // namespace fuzz
