#include "acquisition/table_queries.h"

#include "acquisition/readings_table.h"
#include "common/numfmt.h"

#include <algorithm>

namespace tablequery {

bool cellNumber(const ReadingsTable &table, int r, int c, double *out)
{
    const std::optional<double> v = table.number(r, c);
    if (v)
        *out = *v;
    return v.has_value();
}

qint16 rangeExtreme(const ReadingsTable &table, int column, int first, int last, Extreme which)
{
    last = std::max(first, last);
    bool found = false;
    double best = 0;
    for (int r = first; r <= last; ++r) {
        double v = 0;
        if (!cellNumber(table, r, column, &v))
            continue;
        if (!found) {
            best = v;
            found = true;
        } else if (which == Extreme::Largest ? v > best : v < best) {
            best = v;
        }
    }
    return found ? numfmt::toInt16HalfEven(best) : qint16(0);
}

int findRow(const ReadingsTable &table, const QDate &date, const QString &timeText)
{
    for (int r = 1; r < table.rows(); ++r) {
        if (table.text(r, 2) == timeText && table.date(r).isValid() && table.date(r) == date)
            return r;
    }
    return 0;
}

} // namespace tablequery
