#pragma once

#include <QDate>
#include <QString>
#include <QtGlobal>

#include <optional>

class ReadingsTable;

// Queries other parts run on the readings table: the range extremes that scale the graph's
// axes, and the row of a given date and time. They read the numbers the cells show and skip
// cells without a valid reading ("***").
namespace tablequery {

inline constexpr int kValueColumn = 3;
inline constexpr int kHumidityColumn = 4;

// The number in cell (r, c); false for "***", an empty cell or any text that is not a number.
bool cellNumber(const ReadingsTable &table, int r, int c, double *out);

// The smallest and the largest number in `column` over rows `first` to `last` (a range of one
// row when last <= first); nullopt when the range has no valid cell.
struct Extremes
{
    double smallest = 0;
    double largest = 0;
};
std::optional<Extremes> extremes(const ReadingsTable &table, int column, int first, int last);

enum class Extreme { Largest, Smallest };

// The largest or smallest number in `column` over rows `first` to `last` (a range of one row
// when last <= first), rounded to a whole number with a half going to the even neighbour.
// The running extreme starts from the first valid cell of the range; a range without any valid
// cell gives 0. Ties keep the earlier row.
qint16 rangeExtreme(const ReadingsTable &table, int column, int first, int last, Extreme which);

inline qint16 Max_Val(const ReadingsTable &t, int first, int last)
{
    return rangeExtreme(t, kValueColumn, first, last, Extreme::Largest);
}
inline qint16 Min_Val(const ReadingsTable &t, int first, int last)
{
    return rangeExtreme(t, kValueColumn, first, last, Extreme::Smallest);
}
inline qint16 Max_RH(const ReadingsTable &t, int first, int last)
{
    return rangeExtreme(t, kHumidityColumn, first, last, Extreme::Largest);
}
inline qint16 Min_RH(const ReadingsTable &t, int first, int last)
{
    return rangeExtreme(t, kHumidityColumn, first, last, Extreme::Smallest);
}

// The first reading row whose time cell equals `timeText` exactly, as text, and whose date
// cell shows `date`; 0 when no row matches. A time the table does not hold
// (typed by the user, or formatted differently) therefore finds nothing.
int findRow(const ReadingsTable &table, const QDate &date, const QString &timeText);

// The start and the end of a printed date/time range: the print dialog passes its start (or
// end) date and the text of its start (or end) time list.
inline int Find_StartRow(const ReadingsTable &t, const QDate &startDate, const QString &startTime)
{
    return findRow(t, startDate, startTime);
}
inline int Find_EndRow(const ReadingsTable &t, const QDate &endDate, const QString &endTime)
{
    return findRow(t, endDate, endTime);
}

} // namespace tablequery
