#include "view/readings_table.h"

#include <QColor>

#include <algorithm>

namespace {
const QString kEmpty;
}

ReadingsTable::ReadingsTable(QObject *parent) : QAbstractTableModel(parent), m_rows(1)
{
    m_align.fill(kDefaultAlignment);
}

void ReadingsTable::setRows(int n)
{
    n = std::max(1, n);
    if (n == rows())
        return;
    if (m_batch > 0) {
        m_rows.resize(n);
        return;
    }
    if (n > rows()) {
        beginInsertRows({}, rows() - 1, n - 2);
        m_rows.resize(n);
        endInsertRows();
    } else {
        beginRemoveRows({}, n - 1, rows() - 2);
        m_rows.resize(n);
        endRemoveRows();
    }
}

void ReadingsTable::setCols(int n)
{
    n = std::clamp(n, 0, kMaxCols);
    if (n == m_cols)
        return;
    const bool announce = m_batch == 0;
    if (announce) {
        if (n > m_cols)
            beginInsertColumns({}, m_cols, n - 1);
        else
            beginRemoveColumns({}, n, m_cols - 1);
    }
    const int old = m_cols;
    m_cols = n;
    if (n < old) {
        for (Row &row : m_rows) {
            for (int c = n; c < old; ++c)
                row.cell[c].clear();
            row.red &= std::uint8_t((1u << n) - 1);
        }
        for (int c = n; c < old; ++c)
            m_align[c] = kDefaultAlignment;
    }
    if (announce) {
        if (n > old)
            endInsertColumns();
        else
            endRemoveColumns();
    }
}

const QString &ReadingsTable::text(int r, int c) const
{
    if (r < 0 || r >= rows() || c < 0 || c >= m_cols)
        return kEmpty;
    return m_rows[r].cell[c];
}

void ReadingsTable::setText(int r, int c, const QString &text)
{
    if (r < 0 || r >= rows() || c < 0 || c >= m_cols)
        return;
    m_rows[r].cell[c] = text;
    announce(r, c);
}

bool ReadingsTable::isRed(int r, int c) const
{
    if (r < 0 || r >= rows() || c < 0 || c >= m_cols)
        return false;
    return m_rows[r].red & (1u << c);
}

void ReadingsTable::setRed(int r, int c, bool red)
{
    if (r < 0 || r >= rows() || c < 0 || c >= m_cols)
        return;
    if (red)
        m_rows[r].red |= std::uint8_t(1u << c);
    else
        m_rows[r].red &= std::uint8_t(~(1u << c));
    announce(r, c);
}

void ReadingsTable::setCell(int r, int c, const QString &text, bool red)
{
    if (r < 0 || r >= rows() || c < 0 || c >= m_cols)
        return;
    Row &row = m_rows[r];
    row.cell[c] = text;
    if (red)
        row.red |= std::uint8_t(1u << c);
    else
        row.red &= std::uint8_t(~(1u << c));
    announce(r, c);
}

Qt::Alignment ReadingsTable::columnAlignment(int c) const
{
    return c >= 0 && c < kMaxCols ? m_align[c] : kDefaultAlignment;
}

void ReadingsTable::setColumnAlignment(int c, Qt::Alignment alignment)
{
    if (c < 0 || c >= m_cols || m_align[c] == alignment)
        return;
    m_align[c] = alignment;
    if (m_batch == 0 && rows() > 1)
        Q_EMIT dataChanged(index(0, c), index(rows() - 2, c), {Qt::TextAlignmentRole});
}

void ReadingsTable::editColumn(int c, const std::function<bool(QString &text)> &edit)
{
    if (c < 0 || c >= m_cols)
        return;
    bool changed = false;
    for (int r = 1; r < rows(); ++r)
        changed |= edit(m_rows[r].cell[c]);
    if (changed && m_batch == 0)
        Q_EMIT dataChanged(index(0, c), index(rows() - 2, c), {Qt::DisplayRole});
}

int ReadingsTable::appendRow()
{
    const int r = rows();
    if (m_batch > 0) {
        m_rows.emplace_back();
        return r;
    }
    beginInsertRows({}, r - 1, r - 1);
    m_rows.emplace_back();
    endInsertRows();
    return r;
}

void ReadingsTable::beginBatch()
{
    if (m_batch++ == 0)
        beginResetModel();
}

void ReadingsTable::endBatch()
{
    if (m_batch > 0 && --m_batch == 0)
        endResetModel();
}

void ReadingsTable::announce(int r, int c)
{
    if (m_batch > 0)
        return;
    if (r == 0) {
        Q_EMIT headerDataChanged(Qt::Horizontal, c, c);
    } else {
        const QModelIndex i = index(r - 1, c);
        Q_EMIT dataChanged(i, i);
    }
}

int ReadingsTable::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : rows() - 1;
}

int ReadingsTable::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_cols;
}

QVariant ReadingsTable::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const int r = index.row() + 1;
    const int c = index.column();
    switch (role) {
    case Qt::DisplayRole:
        return text(r, c);
    case Qt::ForegroundRole:
        return isRed(r, c) ? QVariant(QColor(255, 0, 0)) : QVariant();
    case Qt::TextAlignmentRole:
        return QVariant(int(columnAlignment(c)));
    default:
        return {};
    }
}

QVariant ReadingsTable::headerData(int section, Qt::Orientation o, int role) const
{
    if (o == Qt::Horizontal) {
        if (role == Qt::DisplayRole)
            return text(0, section);
        if (role == Qt::TextAlignmentRole)
            return QVariant(int(Qt::AlignHCenter | Qt::AlignVCenter));
        return {};
    }
    if (role == Qt::DisplayRole)
        return QVariant(); // no row header: column 0 carries the running number
    return {};
}
