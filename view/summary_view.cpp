#include "view/summary_view.h"

#include "analysis/analysis_texts.h"
#include "analysis/summary_output.h"
#include "archive/archive_texts.h"
#include "run/run_document.h"

#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
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

SummaryView::SummaryView(const RunDocument &doc, QWidget *parent)
    : QWidget(parent), m_doc(doc), m_verdict(new QLabel(this)), m_figures(new QPlainTextEdit(this)),
      m_kept(new QLabel(this)), m_judgeAgain(new QPushButton(analysistext::kJudgeAgain, this))
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
    m_kept->setObjectName(QStringLiteral("lblKept"));
    m_kept->setWordWrap(true);
    m_judgeAgain->setObjectName(QStringLiteral("cmdJudgeAgain"));
    connect(m_judgeAgain, &QPushButton::clicked, this, &SummaryView::judgeAgainAsked);
    auto *kept = new QHBoxLayout;
    kept->addWidget(m_kept, 1);
    kept->addWidget(m_judgeAgain);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(kept);
    layout->addWidget(m_verdict);
    layout->addWidget(m_figures, 1);
    m_signaturesBox = new QGroupBox(archivetext::kSignaturesHeading, this);
    m_signatures = new QLabel(m_signaturesBox);
    m_signatures->setObjectName(QStringLiteral("lblSignatures"));
    m_signatures->setTextFormat(Qt::PlainText);
    m_signatures->setWordWrap(true);
    m_signatures->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_sign = new QPushButton(archivetext::kSignButton, m_signaturesBox);
    m_sign->setObjectName(QStringLiteral("cmdSign"));
    auto *row = new QHBoxLayout(m_signaturesBox);
    row->addWidget(m_signatures, 1);
    row->addWidget(m_sign, 0, Qt::AlignTop);
    layout->addWidget(m_signaturesBox);
    connect(m_sign, &QPushButton::clicked, this, &SummaryView::signRequested);
    showSignatures(false, {}, false);
    connect(&doc, &RunDocument::summaryChanged, this, &SummaryView::refresh);
    refresh();
}

void SummaryView::refresh()
{
    m_shown = m_doc.summary();
    const analysis::Summary &s = m_shown;
    // Refused limits judge nothing: their reason stands in place of the verdict and of the
    // figures, and the summary shown (tints, limit lines) is one without limits.
    const QString &refusal = m_doc.limitsRefusal();
    const bool judged = refusal.isEmpty();
    m_verdict->setText(judged ? analysis::verdictText(s.verdict) : refusal);
    m_verdict->setFont(judged ? m_verdictFont : font());
    QPalette p = m_verdict->palette();
    p.setColor(QPalette::WindowText,
               verdictColour(judged ? s.verdict : analysis::Verdict::Alarm));
    m_verdict->setPalette(p);
    m_figures->setPlainText(judged ? analysis::summaryText(s, m_doc.header()) : QString());
    const auto &kept = m_doc.kept();
    const auto today = kept ? m_doc.todaysVerdict() : std::nullopt;
    m_kept->setText(kept ? keptText(*kept, today) : QString());
    m_kept->setVisible(kept.has_value());
    m_judgeAgain->setVisible(kept && judgedOtherwise(*kept, today));
}

void SummaryView::showSignatures(bool held, const QStringList &lines, bool canSign,
                                 const QString &note)
{
    m_signaturesBox->setVisible(held);
    QStringList shown = lines.isEmpty() ? QStringList{archivetext::kNotSignedYet} : lines;
    if (!note.isEmpty())
        shown << note;
    m_signatures->setText(shown.join(QLatin1Char('\n')));
    m_sign->setEnabled(held && canSign);
}
