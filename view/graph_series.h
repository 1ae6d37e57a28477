#pragma once

#include <QObject>
#include <QString>

#include <array>
#include <limits>
#include <vector>

class ReadingsTable;

namespace graph {

// The numbers of the table's value columns (3 and 4) as the graph reads them, kept between
// redraws. The table's change notifications say which rows to read again: a live reading reads
// one row, a refill or unit switch the whole column, a scroll or zoom step nothing.
class GraphSeries : public QObject
{
    Q_OBJECT
public:
    struct Column
    {
        // values[r] is the number grid row r shows; NaN for "***", an empty cell or no number.
        // values[0] (the heading row) is always NaN.
        std::vector<double> values;
        // Extremes of the valid numbers; `any` false when the column has none.
        double min = 0;
        double max = 0;
        bool any = false;
    };

    explicit GraphSeries(const ReadingsTable &table, QObject *parent = nullptr);

    // The column (3 or 4) brought up to date with the table.
    const Column &column(int c);
    const ReadingsTable &table() const { return m_table; }

private:
    struct Slot
    {
        Column col;
        int parsed = 1;                                 // rows 1..parsed-1 are read
        int dirtyFrom = std::numeric_limits<int>::max(); // first row changed since
    };
    void touch(int fromRow, int firstCol = 0, int lastCol = 5);

    const ReadingsTable &m_table;
    std::array<Slot, 2> m_slots; // columns 3 and 4
};

} // namespace graph
