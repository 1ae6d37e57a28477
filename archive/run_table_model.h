#pragma once

#include "archive/browse_worker.h"
#include "archive/run_filter.h"
#include "archive/run_record.h"

#include <QAbstractTableModel>

namespace archive {

// The archive's runs as a table for the browser. The database filters and sorts; the rows
// come a page at a time from the browser's worker, the first page when the list is asked for
// and the next ones as the view scrolls to the end, so 10,000 runs open as quickly as 100.
// A page is a few screens: the first one is what opening the dialog waits for.
// The rows shown stay until the answer of a newer list replaces them; an answer to a list
// asked before the latest is dropped.
class RunTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int kPage = 64;

    // Asks for the newest runs at once. `worker` outlives the model.
    explicit RunTableModel(BrowseWorker &worker, QObject *parent = nullptr, int page = kPage);
    ~RunTableModel() override;

    void setFilter(const RunFilter &filter);
    const RunFilter &filter() const { return m_filter; }
    void sort(int column, Qt::SortOrder order) override;
    // Asks for the list again (after a run was stored or withdrawn).
    void refresh();
    // The latest list was asked for and its first page has not come yet.
    bool isAsking() const { return m_asked != 0; }
    // Why the latest list could not be made; empty when it could.
    const QString &errorText() const { return m_error; }

    int rowCount(const QModelIndex &parent = {}) const override;
    // The browser's columns; the list's further columns are for the command line.
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

    // The run of a row: its list columns, no bytes.
    const RunRecord &runAt(int row) const { return m_runs.at(row); }
    QString keyAt(int row) const { return m_runs.at(row).key; }

Q_SIGNALS:
    // The first page of the latest list came, or the reason it did not (errorText()).
    void listed();

private:
    void onAnswer(const BrowseWorker::Answer &answer);
    BrowseWorker::Ticket askPage(int offset);
    void forget(BrowseWorker::Ticket &ticket);

    BrowseWorker &m_worker;
    const int m_page;
    RunFilter m_filter;
    RunColumn m_sortColumn = RunColumn::StoredAt;
    Qt::SortOrder m_order = Qt::DescendingOrder;
    QList<RunRecord> m_runs;
    bool m_complete = true;           // the last page came short: nothing more to fetch
    QString m_error;
    BrowseWorker::Ticket m_asked = 0; // the first page of the latest list, while it is out
    BrowseWorker::Ticket m_more = 0;  // a further page of the rows shown, while it is out
};

} // namespace archive
