#include "view/summary_view.h"

#include "acquisition/reading_set.h"
#include "acquisition/readings_table.h"
#include "analysis/limits_store.h"
#include "analysis/summary_input.h"
#include "analysis/summary_output.h"

#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// Verdict colours: dark enough to read on the window's ground.
QColor verdictColour(analysis::Verdict v)
{
    switch (v) {
    case analysis::Verdict::Alarm:
        return QColor(0xc0, 0x10, 0x10);
    case analysis::Verdict::Ok:
        return QColor(0x10, 0x80, 0x20);
    case analysis::Verdict::NoLimits:
    case analysis::Verdict::NoData:
        break;
    }
    return QColor(0x60, 0x60, 0x60);
}

} // namespace

SummaryView::SummaryView(ReadingSet &set, LimitsStore &store, QWidget *parent)
    : QWidget(parent), m_set(set), m_store(store), m_verdict(new QLabel(this)),
      m_figures(new QPlainTextEdit(this)), m_pending(new QTimer(this))
{
    setObjectName(QStringLiteral("SummaryView"));
    m_verdict->setObjectName(QStringLiteral("lblVerdict"));
    QFont big = m_verdict->font();
    big.setPointSizeF(big.pointSizeF() * 2.5);
    big.setBold(true);
    m_verdict->setFont(big);
    m_figures->setObjectName(QStringLiteral("txtSummary"));
    m_figures->setReadOnly(true);
    m_figures->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_verdict);
    layout->addWidget(m_figures, 1);

    m_pending->setSingleShot(true);
    m_pending->setInterval(0);
    connect(m_pending, &QTimer::timeout, this, &SummaryView::refresh);
    const ReadingsTable &t = set.table();
    connect(&t, &QAbstractItemModel::modelReset, this, &SummaryView::scheduleRefresh);
    connect(&t, &QAbstractItemModel::rowsInserted, this, &SummaryView::scheduleRefresh);
    connect(&t, &QAbstractItemModel::headerDataChanged, this, &SummaryView::scheduleRefresh);
    connect(&t, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &, const QModelIndex &, const QList<int> &roles) {
                // The tints follow the summary; their own announcement is no new data.
                if (roles.size() != 1 || roles[0] != Qt::BackgroundRole)
                    scheduleRefresh();
            });
    connect(&set, &ReadingSet::serialTextChanged, this, &SummaryView::scheduleRefresh);
    connect(&set, &ReadingSet::locationCaptionChanged, this, &SummaryView::scheduleRefresh);
    refresh();
}

void SummaryView::scheduleRefresh()
{
    m_pending->start();
}

void SummaryView::refresh()
{
    m_pending->stop();
    m_summary = analysis::summarize(analysis::summaryInputOf(m_set),
                                    m_store.lookup(analysis::serialOf(m_set)));
    m_verdict->setText(analysis::verdictText(m_summary.verdict));
    QPalette p = m_verdict->palette();
    p.setColor(QPalette::WindowText, verdictColour(m_summary.verdict));
    m_verdict->setPalette(p);
    m_figures->setPlainText(analysis::summaryText(m_summary, analysis::runHeaderOf(m_set)));
    Q_EMIT refreshed(m_summary);
}
