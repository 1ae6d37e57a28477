#pragma once

#include "analysis/summary.h"

#include <QFont>
#include <QWidget>

class LimitsStore;
class QLabel;
class QPlainTextEdit;
class QTimer;
class ReadingSet;

// The "Summary" tab: the verdict in large coloured letters above the summary's readable block;
// when the stored limits are refused, their reason in place of both.
// It follows its reading set by itself: any change of the table (a fill, a live row, a unit
// switch) or of the serial number schedules one refresh for the next turn of the event loop,
// so a burst of cell changes costs one summary.
class SummaryView : public QWidget
{
    Q_OBJECT
public:
    SummaryView(ReadingSet &set, LimitsStore &store, QWidget *parent = nullptr);

    // Computes the summary now (the limits may have changed) and shows it.
    void refresh();
    void scheduleRefresh();

    const analysis::Summary &summary() const { return m_summary; }
    // Why the stored limits are refused; empty when they are sound.
    const QString &refusal() const { return m_refusal; }
    QLabel *verdictLabel() const { return m_verdict; }
    QPlainTextEdit *figures() const { return m_figures; }

Q_SIGNALS:
    // After every refresh, with the limits that applied (the table tints and limit lines follow).
    void refreshed(const analysis::Summary &summary);

private:
    ReadingSet &m_set;
    LimitsStore &m_store;
    analysis::Summary m_summary;
    QString m_refusal;
    QFont m_verdictFont;
    QLabel *m_verdict = nullptr;
    QPlainTextEdit *m_figures = nullptr;
    QTimer *m_pending = nullptr;
};
