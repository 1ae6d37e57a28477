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

std::optional<Extremes> extremes(const ReadingsTable &table, int column, int first, int last)
{
    last = std::max(first, last);
    std::optional<Extremes> out;
    for (int r = first; r <= last; ++r) {
        double v = 0;
        if (!cellNumber(table, r, column, &v))
            continue;
        if (!out)
            out = Extremes{v, v};
        out->smallest = std::min(out->smallest, v);
        out->largest = std::max(out->largest, v);
    }
    return out;
}

qint16 rangeExtreme(const ReadingsTable &table, int column, int first, int last, Extreme which)
{
    const auto e = extremes(table, column, first, last);
    if (!e)
        return 0;
    return numfmt::toInt16HalfEven(which == Extreme::Largest ? e->largest : e->smallest);
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
