#pragma once

#include "analysis/summary.h"

#include <QFont>
#include <QWidget>

class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

class RunDocument;

// The "Summary" tab: the verdict in large coloured letters above the summary's readable block;
// when the stored limits are refused, their reason in place of both. It shows the run
// document's summary and follows it each time it is worked out again. A run of the archive
// says which judgement it keeps, and when the limits that apply today judge it otherwise, both
// side by side with the command that records the new one. Below them, for a run the archive
// holds, its signatures and the "Sign..." button (what to show is the window's to say).
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
    QLabel *keptLabel() const { return m_kept; }
    QPushButton *judgeAgainButton() const { return m_judgeAgain; }

    // The run's signatures, one line each (none: "Not signed."), and whether it can be signed
    // now; `held` false hides them (a run the archive does not hold has none). `note` is shown
    // below them (a password being checked).
    void showSignatures(bool held, const QStringList &lines, bool canSign,
                        const QString &note = {});
    QGroupBox *signaturesBox() const { return m_signaturesBox; }
    QLabel *signaturesLabel() const { return m_signatures; }
    QPushButton *signButton() const { return m_sign; }

Q_SIGNALS:
    // "Judge again..." was clicked.
    void judgeAgainAsked();
    void signRequested();

private:
    const RunDocument &m_doc;
    analysis::Summary m_shown;
    QFont m_verdictFont;
    QLabel *m_verdict = nullptr;
    QPlainTextEdit *m_figures = nullptr;
    QLabel *m_kept = nullptr;
    QPushButton *m_judgeAgain = nullptr;
    QGroupBox *m_signaturesBox = nullptr;
    QLabel *m_signatures = nullptr;
    QPushButton *m_sign = nullptr;
};
