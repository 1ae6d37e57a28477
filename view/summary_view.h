#pragma once

#include "analysis/summary.h"

#include <QWidget>

class QLabel;
class QPlainTextEdit;

class RunDocument;

// The "Summary" tab: the verdict in large coloured letters above the summary's readable block.
// It shows the run document's summary and follows it each time it is worked out again.
class SummaryView : public QWidget
{
    Q_OBJECT
public:
    explicit SummaryView(const RunDocument &doc, QWidget *parent = nullptr);

    // Shows the document's summary as it is now.
    void refresh();

    // The summary shown: the document's as it was last worked out.
    const analysis::Summary &summary() const { return m_shown; }
    QLabel *verdictLabel() const { return m_verdict; }
    QPlainTextEdit *figures() const { return m_figures; }

private:
    const RunDocument &m_doc;
    analysis::Summary m_shown;
    QLabel *m_verdict = nullptr;
    QPlainTextEdit *m_figures = nullptr;
};
