#include "view/graph_series.h"

#include "acquisition/readings_table.h"

#include <array>
#include <cmath>

namespace graph {

namespace {

constexpr int kFirstColumn = 3;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The column's range grown to take in `v`.
void widen(GraphSeries::Column &col, double v)
{
    if (!col.any) {
        col.min = col.max = v;
        col.any = true;
    } else {
        col.min = std::min(col.min, v);
        col.max = std::max(col.max, v);
    }
}

} // namespace

GraphSeries::GraphSeries(const ReadingsTable &table, QObject *parent)
    : QObject(parent), m_table(table)
{
    const auto all = [this] { touch(1); };
    connect(&table, &QAbstractItemModel::modelReset, this, all);
    connect(&table, &QAbstractItemModel::layoutChanged, this, all);
    connect(&table, &QAbstractItemModel::columnsInserted, this, all);
    connect(&table, &QAbstractItemModel::columnsRemoved, this, all);
    connect(&table, &QAbstractItemModel::columnsMoved, this, all);
    connect(&table, &QAbstractItemModel::rowsMoved, this, all);
    // View row i is grid row i + 1.
    connect(&table, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex &, int first, int) { touch(first + 1); });
    connect(&table, &QAbstractItemModel::rowsRemoved, this,
            [this](const QModelIndex &, int first, int) { touch(first + 1); });
    connect(&table, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &topLeft, const QModelIndex &bottomRight) {
                touch(topLeft.row() + 1, topLeft.column(), bottomRight.column());
            });
}

void GraphSeries::touch(int fromRow, int firstCol, int lastCol)
{
    for (int i = 0; i < int(m_slots.size()); ++i) {
        const int c = kFirstColumn + i;
        if (c >= firstCol && c <= lastCol)
            m_slots[i].dirtyFrom = std::min(m_slots[i].dirtyFrom, std::max(1, fromRow));
    }
}

const GraphSeries::Column &GraphSeries::column(int c)
{
    Slot &s = m_slots[std::clamp(c - kFirstColumn, 0, int(m_slots.size()) - 1)];
    Column &col = s.col;
    const int rows = m_table.rows();
    // Rows read before and changed since, or no longer there: the extremes start again.
    bool again = false;
    if (s.dirtyFrom < s.parsed) {
        s.parsed = s.dirtyFrom;
        again = true;
    }
    s.dirtyFrom = std::numeric_limits<int>::max();
    if (s.parsed > rows) {
        s.parsed = std::max(1, rows);
        again = true;
    }
    col.values.resize(std::max(1, rows), kNaN);
    col.values[0] = kNaN;
    for (int r = s.parsed; r < rows; ++r) {
        const double v = m_table.numberOrNaN(r, c);
        col.values[r] = v;
        if (!again && !std::isnan(v))
            widen(col, v);
    }
    s.parsed = rows;
    if (again) {
        col.any = false;
        col.min = col.max = 0;
        for (int r = 1; r < rows; ++r) {
            if (!std::isnan(col.values[r]))
                widen(col, col.values[r]);
        }
    }
    return col;
}

} // namespace graph
