#pragma once

#include "acquisition/readings_table.h"
#include "common/datetext.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <cmath>

namespace graphtest {

// Cell text of a value: "***" for NaN, else one decimal.
inline QString valueText(double v)
{
    return std::isnan(v) ? QStringLiteral("***") : QString::number(v, 'f', 1);
}

// Fills `t` with one reading per value, `step` seconds apart from `first`: column 3 the values,
// column 4 the humidity (when given). NaN becomes "***".
inline void fill(ReadingsTable &t, const QDateTime &first, int step, const QList<double> &values,
                 const QList<double> &humidity = {})
{
    t.beginBatch();
    t.setCols(humidity.isEmpty() ? 4 : 5);
    t.setRows(int(values.size()) + 1);
    for (int i = 0; i < values.size(); ++i) {
        const QDateTime at = first.addSecs(qint64(i) * step);
        const int r = i + 1;
        t.setCell(r, 0, QString::number(r));
        t.setCell(r, 1, datetext::dateText(at.date()));
        t.setCell(r, 2, datetext::timeText(at.time()));
        t.setCell(r, 3, valueText(values[i]), std::isnan(values[i]));
        if (!humidity.isEmpty())
            t.setCell(r, 4, valueText(humidity[i]), std::isnan(humidity[i]));
    }
    t.endBatch();
}

inline QDateTime at(int y, int mo, int d, int h, int mi, int s = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC);
}

} // namespace graphtest
