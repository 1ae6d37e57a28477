#include "view/summary_view.h"

#include "analysis/summary_output.h"
#include "run/run_document.h"

#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
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

SummaryView::SummaryView(const RunDocument &doc, QWidget *parent)
    : QWidget(parent), m_doc(doc), m_verdict(new QLabel(this)), m_figures(new QPlainTextEdit(this))
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
    connect(&doc, &RunDocument::summaryChanged, this, &SummaryView::refresh);
    refresh();
}

void SummaryView::refresh()
{
    m_shown = m_doc.summary();
    const analysis::Summary &s = m_shown;
    m_verdict->setText(analysis::verdictText(s.verdict));
    QPalette p = m_verdict->palette();
    p.setColor(QPalette::WindowText, verdictColour(s.verdict));
    m_verdict->setPalette(p);
    m_figures->setPlainText(analysis::summaryText(s, m_doc.header()));
}
