#include "acquisition/readings_table.h"

#include "common/datetext.h"
#include "common/numfmt.h"

#include <QColor>

#include <algorithm>
#include <cmath>

using namespace tablecol;

namespace {
const QString kEmpty;

} // namespace

ReadingsTable::ReadingsTable(QObject *parent)
    : QAbstractTableModel(parent), m_rows(1), m_facts(1)
{
    m_align.fill(kDefaultAlignment);
}

void ReadingsTable::setRows(int n)
{
    n = std::max(1, n);
    if (n == rows())
        return;
    if (m_batch > 0) {
        resizeRows(n);
        return;
    }
    if (n > rows()) {
        beginInsertRows({}, rows() - 1, n - 2);
        resizeRows(n);
        endInsertRows();
    } else {
        beginRemoveRows({}, n - 1, rows() - 2);
        resizeRows(n);
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
        for (int r = 0; r < rows(); ++r) {
            Row &row = m_rows[r];
            for (int c = n; c < old; ++c) {
                row.cell[c].clear();
                derive(r, c);
            }
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
    if (!inGrid(r, c))
        return kEmpty;
    return m_rows[r].cell[c];
}

void ReadingsTable::setText(int r, int c, const QString &text)
{
    if (!inGrid(r, c))
        return;
    m_rows[r].cell[c] = text;
    derive(r, c);
    announce(r, c);
}

bool ReadingsTable::isRed(int r, int c) const
{
    if (!inGrid(r, c))
        return false;
    return m_rows[r].red & (1u << c);
}

void ReadingsTable::setRed(int r, int c, bool red)
{
    if (!inGrid(r, c))
        return;
    if (red)
        m_rows[r].red |= std::uint8_t(1u << c);
    else
        m_rows[r].red &= std::uint8_t(~(1u << c));
    announce(r, c);
}

void ReadingsTable::setCell(int r, int c, const QString &text, bool red)
{
    if (!inGrid(r, c))
        return;
    Row &row = m_rows[r];
    row.cell[c] = text;
    derive(r, c);
    if (red)
        row.red |= std::uint8_t(1u << c);
    else
        row.red &= std::uint8_t(~(1u << c));
    announce(r, c);
}

int ReadingsTable::numberSlot(int c)
{
    return c == kNumberCol ? 0 : c == kValueCol ? 1 : c == kHumidityCol ? 2 : -1;
}

void ReadingsTable::derive(int r, int c)
{
    if (r == 0)
        return;
    const Row &row = m_rows[r];
    Facts &facts = m_facts[r];
    switch (c) {
    case kDateCol:
        facts.date = row.cell[c].isEmpty() ? QDate() : datetext::parseDate(row.cell[c]);
        break;
    case kTimeCol:
        facts.time = row.cell[c].isEmpty() ? QTime() : datetext::parseTime(row.cell[c]);
        break;
    case kNumberCol:
    case kValueCol:
    case kHumidityCol: {
        double v = kNone;
        if (!numfmt::parse(row.cell[c], &v))
            v = kNone;
        facts.number[numberSlot(c)] = v;
        break;
    }
    default:
        break;
    }
}

std::optional<double> ReadingsTable::number(int r, int c) const
{
    const double v = numberOrNaN(r, c);
    return std::isnan(v) ? std::nullopt : std::optional<double>(v);
}

double ReadingsTable::numberOrNaN(int r, int c) const
{
    const int slot = numberSlot(c);
    if (slot < 0 || r < 1 || !inGrid(r, c))
        return kNone;
    return m_facts[r].number[slot];
}

QDate ReadingsTable::date(int r) const
{
    return r >= 1 && r < rows() ? m_facts[r].date : QDate();
}

QTime ReadingsTable::time(int r) const
{
    return r >= 1 && r < rows() ? m_facts[r].time : QTime();
}

namespace {

QDateTime momentOf(const QDate &d, const QTime &t)
{
    if (!d.isValid() || !t.isValid())
        return QDateTime();
    return QDateTime(d, t, Qt::UTC);
}

} // namespace

QDateTime ReadingsTable::readingTime(int r) const
{
    return momentOf(date(r), time(r));
}

void ReadingsTable::forEachReading(
    const std::function<void(const QDateTime &time, double value, double humidity)> &take) const
{
    const bool humidity = m_cols > kHumidityCol;
    for (auto f = m_facts.begin() + 1; f != m_facts.end(); ++f)
        take(momentOf(f->date, f->time), m_cols > kValueCol ? f->number[1] : kNone,
             humidity ? f->number[2] : kNone);
}

void ReadingsTable::resizeRows(int n)
{
    m_rows.resize(size_t(n));
    m_facts.resize(size_t(n));
}

void ReadingsTable::setValue(int r, int c, const QString &text, double number, bool red)
{
    const int slot = numberSlot(c);
    if (slot < 0 || r < 1 || !inGrid(r, c))
        return;
    Row &row = m_rows[r];
    row.cell[c] = text;
    m_facts[r].number[slot] = number;
    if (red)
        row.red |= std::uint8_t(1u << c);
    else
        row.red &= std::uint8_t(~(1u << c));
    announce(r, c);
}

void ReadingsTable::setMoment(int r, const QDate &date, const QTime &time, const QString &dateText,
                              const QString &timeText)
{
    if (r < 1 || !inGrid(r, kTimeCol))
        return;
    Row &row = m_rows[r];
    row.cell[kDateCol] = dateText;
    row.cell[kTimeCol] = timeText;
    Facts &facts = m_facts[r];
    facts.date = date;
    // The text shows whole seconds, and so does the moment.
    facts.time = time.isValid() ? QTime(time.hour(), time.minute(), time.second()) : QTime();
    announce(r, kDateCol);
    announce(r, kTimeCol);
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
    for (int r = 1; r < rows(); ++r) {
        if (edit(m_rows[r].cell[c])) {
            derive(r, c);
            changed = true;
        }
    }
    if (changed && m_batch == 0)
        Q_EMIT dataChanged(index(0, c), index(rows() - 2, c), {Qt::DisplayRole});
}

void ReadingsTable::convertValues(int c, const std::function<QString(double number)> &convert)
{
    const int slot = numberSlot(c);
    if (slot < 0 || c >= m_cols)
        return;
    bool changed = false;
    for (int r = 1; r < rows(); ++r) {
        const double number = m_facts[r].number[slot];
        if (std::isnan(number))
            continue;
        m_rows[r].cell[c] = convert(number);
        derive(r, c);
        changed = true;
    }
    if (changed && m_batch == 0)
        Q_EMIT dataChanged(index(0, c), index(rows() - 2, c), {Qt::DisplayRole});
}

int ReadingsTable::appendRow()
{
    const int r = rows();
    if (m_batch > 0) {
        resizeRows(r + 1);
        return r;
    }
    beginInsertRows({}, r - 1, r - 1);
    resizeRows(r + 1);
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
    case Qt::BackgroundRole:
        return tint(r, c);
    default:
        return {};
    }
}

QVariant ReadingsTable::tint(int r, int c) const
{
    const int slot = numberSlot(c) - 1;
    if (slot < 0 || r < 1 || r >= rows())
        return {};
    // Comparisons with NaN (no number, no limit) are false: no tint.
    const double v = m_facts[r].number[slot + 1];
    if (v > m_tintHigh[slot])
        return QColor(255, 205, 205);
    if (v < m_tintLow[slot])
        return QColor(205, 225, 255);
    return {};
}

void ReadingsTable::setTintLimits(int c, double high, double low)
{
    const int slot = numberSlot(c) - 1;
    if (slot < 0)
        return;
    const auto same = [](double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); };
    if (same(m_tintHigh[slot], high) && same(m_tintLow[slot], low))
        return;
    m_tintHigh[slot] = high;
    m_tintLow[slot] = low;
    if (m_batch == 0 && rows() > 1 && c < m_cols)
        Q_EMIT dataChanged(index(0, c), index(rows() - 2, c), {Qt::BackgroundRole});
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
