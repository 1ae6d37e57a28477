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
    m_verdictFont = m_verdict->font();
    m_verdictFont.setPointSizeF(m_verdictFont.pointSizeF() * 2.5);
    m_verdictFont.setBold(true);
    m_verdict->setFont(m_verdictFont);
    m_verdict->setWordWrap(true);
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
    const analysis::Validation limits = m_store.lookup(analysis::serialOf(m_set));
    // Refused limits judge nothing: their reason stands in place of the verdict, and no
    // figure, tint or limit line speaks of limits.
    m_refusal = limits.error;
    m_summary = analysis::summarize(analysis::summaryInputOf(m_set),
                                    limits.limits.value_or(analysis::Limits{}));
    m_verdict->setText(limits.limits ? analysis::verdictText(m_summary.verdict) : m_refusal);
    m_verdict->setFont(limits.limits ? m_verdictFont : font());
    QPalette p = m_verdict->palette();
    p.setColor(QPalette::WindowText, limits.limits ? verdictColour(m_summary.verdict)
                                                   : verdictColour(analysis::Verdict::Alarm));
    m_verdict->setPalette(p);
    m_figures->setPlainText(limits.limits
                                ? analysis::summaryText(m_summary, analysis::runHeaderOf(m_set))
                                : QString());
    Q_EMIT refreshed(m_summary);
}
