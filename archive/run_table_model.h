#pragma once

#include "archive/run_filter.h"

#include <QSqlQueryModel>

namespace archive {

class ArchiveDb;

// The archive's runs as a table for the browser: a model over the database that fetches rows
// as the view needs them, so 10,000 runs open as quickly as 100. Filtering and sorting are
// done by the database.
class RunTableModel : public QSqlQueryModel
{
    Q_OBJECT
public:
    // `db` must be open and outlive the model.
    explicit RunTableModel(ArchiveDb &db, QObject *parent = nullptr);

    void setFilter(const RunFilter &filter);
    const RunFilter &filter() const { return m_filter; }
    void sort(int column, Qt::SortOrder order) override;
    // Runs the query again (after a run was stored or deleted).
    void refresh();

    // The browser's columns; the list's further columns are for the command line.
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    QString keyAt(int row) const;
    // Why the last query failed; empty when it did not.
    QString errorText() const;

private:
    ArchiveDb &m_db;
    RunFilter m_filter;
    RunColumn m_sortColumn = RunColumn::StoredAt;
    Qt::SortOrder m_order = Qt::DescendingOrder;
};

} // namespace archive
