#include "view/graph_series.h"

#include "common/numfmt.h"
#include "view/readings_table.h"

#include <array>
#include <cmath>

namespace graph {

namespace {

constexpr std::array<double, 16> kPow10{1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
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

bool parseCell(const QString &text, double *out)
{
    const QChar *p = text.constData();
    const QChar *const end = p + text.size();
    bool negative = false;
    if (p < end && (*p == QLatin1Char('-') || *p == QLatin1Char('+'))) {
        negative = *p == QLatin1Char('-');
        ++p;
    }
    unsigned long long mantissa = 0;
    int digits = 0;
    int decimals = 0;
    bool point = false;
    for (; p < end; ++p) {
        const char16_t ch = p->unicode();
        if (ch >= u'0' && ch <= u'9') {
            mantissa = mantissa * 10 + (ch - u'0');
            ++digits;
            decimals += point;
        } else if (ch == u'.' && !point) {
            point = true;
        } else {
            return numfmt::parse(text, out);
        }
    }
    if (digits == 0 || digits > 15)
        return numfmt::parse(text, out);
    // Both operands are exact, so the quotient is the correctly rounded value of the decimal
    // text: the same double a full conversion gives.
    const double v = double(mantissa) / kPow10[decimals];
    *out = negative ? -v : v;
    return true;
}

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
        double v = 0;
        if (!parseCell(m_table.text(r, c), &v)) {
            col.values[r] = kNaN;
            continue;
        }
        col.values[r] = v;
        if (!again)
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
