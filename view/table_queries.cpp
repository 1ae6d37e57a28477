#include "view/table_queries.h"

#include "common/datetext.h"
#include "common/numfmt.h"
#include "view/readings_table.h"
#include "view/table_texts.h"

#include <algorithm>

namespace tablequery {

bool cellNumber(const ReadingsTable &table, int r, int c, double *out)
{
    const QString &text = table.text(r, c);
    if (text.isEmpty() || text == tabletext::kInvalid)
        return false;
    return numfmt::parse(text, out);
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
    // Neighbouring rows share their date text, so a date is parsed once per run of rows.
    QString lastDateText;
    QDate lastDate;
    for (int r = 1; r < table.rows(); ++r) {
        if (table.text(r, 2) != timeText)
            continue;
        const QString &dateText = table.text(r, 1);
        if (dateText != lastDateText || lastDateText.isNull()) {
            lastDateText = dateText;
            lastDate = datetext::parseDate(dateText);
        }
        if (lastDate.isValid() && lastDate == date)
            return r;
    }
    return 0;
}

} // namespace tablequery
