#include "archive/run_table_model.h"

#include "archive/archive_texts.h"
#include "common/model_codes.h"
#include "common/text_from_file.h"

#include <QColor>

namespace archive {

RunTableModel::RunTableModel(BrowseWorker &worker, QObject *parent, int page)
    : QAbstractTableModel(parent), m_worker(worker), m_page(page)
{
    connect(&m_worker, &BrowseWorker::answered, this, &RunTableModel::onAnswer);
    refresh();
}

RunTableModel::~RunTableModel()
{
    forget(m_asked);
    forget(m_more);
}

void RunTableModel::forget(BrowseWorker::Ticket &ticket)
{
    if (ticket != 0)
        m_worker.cancel(ticket);
    ticket = 0;
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

BrowseWorker::Ticket RunTableModel::askPage(int offset)
{
    return m_worker.list(listQuery(m_filter, m_sortColumn, m_order, m_page, offset));
}

void RunTableModel::refresh()
{
    // Pages of the list shown are of no use once another is asked for.
    forget(m_asked);
    forget(m_more);
    m_asked = askPage(0);
}

void RunTableModel::onAnswer(const BrowseWorker::Answer &answer)
{
    if (answer.ticket == m_asked) {
        m_asked = 0;
        beginResetModel();
        m_runs = answer.ok ? answer.runs : QList<RunRecord>();
        m_error = answer.ok ? QString() : answer.error;
        m_complete = !answer.ok || answer.runs.size() < m_page;
        endResetModel();
        Q_EMIT listed();
    } else if (answer.ticket == m_more) {
        m_more = 0;
        m_complete = !answer.ok || answer.runs.size() < m_page;
        if (!answer.ok) {
            // The rows already shown stay; the reason is told as for the first page.
            m_error = answer.error;
            Q_EMIT listed();
        } else if (!answer.runs.isEmpty()) {
            beginInsertRows({}, int(m_runs.size()), int(m_runs.size() + answer.runs.size()) - 1);
            m_runs += answer.runs;
            endInsertRows();
        }
    }
}

bool RunTableModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && !m_complete && m_asked == 0 && m_more == 0;
}

void RunTableModel::fetchMore(const QModelIndex &parent)
{
    if (canFetchMore(parent))
        m_more = askPage(int(m_runs.size()));
}

int RunTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_runs.size());
}

int RunTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kRunColumnCount;
}

QVariant RunTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_runs.size())
        return {};
    const RunRecord &run = m_runs.at(index.row());
    // A withdrawn run is greyed as well as marked in its verdict: the mark says what it is,
    // the grey lets the eye pass over it in a long list.
    if (role == Qt::ForegroundRole && run.withdrawn)
        return QColor(Qt::gray);
    if (role != Qt::DisplayRole)
        return {};
    switch (RunColumn(index.column())) {
    case RunColumn::StoredAt:
        return shownTime(run.storedAt.toLocalTime());
    case RunColumn::Serial:
        return run.serial < 0 ? QVariant() : QVariant(shownSerial(run.serial));
    case RunColumn::Location:
        return textfromfile::shown(run.location);
    case RunColumn::Model:
        return model::label(run.model);
    case RunColumn::First:
        return shownTime(run.first);
    case RunColumn::Last:
        return shownTime(run.last);
    case RunColumn::Readings:
        return run.readings;
    case RunColumn::Status:
        return run.status || run.withdrawn ? QVariant(shownVerdict(run)) : QVariant();
    case RunColumn::Source:
        return runOriginName(run.source);
    case RunColumn::StoredBy:
        return run.user;
    case RunColumn::Computer:
        return run.computer;
    case RunColumn::Key:
        return run.key;
    default: // the list's further columns are the command line's, not the browser's
        break;
    }
    return {};
}

QVariant RunTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= kRunColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    return archivetext::kRunHeadings.at(section);
}

} // namespace archive
