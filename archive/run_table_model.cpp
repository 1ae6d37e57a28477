#include "archive/run_table_model.h"

#include "archive/archive_db.h"
#include "common/model_codes.h"

#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>

namespace archive {

RunTableModel::RunTableModel(ArchiveDb &db, QObject *parent) : QSqlQueryModel(parent), m_db(db)
{
    refresh();
}

void RunTableModel::setFilter(const RunFilter &filter)
{
    m_filter = filter;
    refresh();
}

void RunTableModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= kRunColumnCount)
        return;
    m_sortColumn = RunColumn(column);
    m_order = order;
    refresh();
}

void RunTableModel::refresh()
{
    QSqlQuery q = m_db.prepared(listQuery(m_filter, m_sortColumn, m_order), false);
    q.exec();
    setQuery(std::move(q));
}

int RunTableModel::columnCount(const QModelIndex &parent) const
{
    return std::min(QSqlQueryModel::columnCount(parent), kRunColumnCount);
}

QVariant RunTableModel::data(const QModelIndex &index, int role) const
{
    const QVariant raw = QSqlQueryModel::data(index, role);
    if (role != Qt::DisplayRole || raw.isNull())
        return raw;
    switch (RunColumn(index.column())) {
    case RunColumn::StoredAt:
        return shownTime(parseTime(raw.toString()).toLocalTime());
    case RunColumn::First:
    case RunColumn::Last:
        return shownTime(parseTime(raw.toString()));
    case RunColumn::Serial:
        return shownSerial(raw.toInt());
    case RunColumn::Model:
        return model::label(raw.toInt());
    default:
        return raw;
    }
}

QVariant RunTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const char *const kHeadings[kRunColumnCount] = {
        "Stored at", "Serial", "Location", "Model", "First reading",
        "Last reading", "Readings", "Verdict", "Source", "Key"};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= kRunColumnCount)
        return QSqlQueryModel::headerData(section, orientation, role);
    return QString::fromLatin1(kHeadings[section]);
}

QString RunTableModel::keyAt(int row) const
{
    return QSqlQueryModel::data(index(row, int(RunColumn::Key))).toString();
}

QString RunTableModel::errorText() const
{
    return lastError().isValid() ? lastError().text() : QString();
}

} // namespace archive
