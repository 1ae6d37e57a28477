#pragma once

#include "archive/audit_trail.h"
#include "archive/browse_worker.h"

#include <QDialog>
#include <QString>
#include <QList>
#include <QTimer>

#include <functional>

class Prompter;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

// The archive's audit trail, oldest event first: its time as the recording computer read it
// (with the offset), user, computer, action, run, details and reason; filtered by run, user,
// action and dates (typed in this computer's local time); exported as shown to a CSV file or a
// PDF. Read-only: the trail is never changed from here. The events are asked of the worker, so
// a shared database that is slow to answer never freezes the window.
class AuditTrailDialog : public QDialog
{
    Q_OBJECT
public:
    // How long typing must pause before the filter is asked for.
    static constexpr int kPauseMs = 300;

    // `worker` outlives the dialog; `archiveName` names the archive on the printed trail.
    AuditTrailDialog(archive::BrowseWorker &worker, Prompter &prompter, const QString &archiveName,
                     QWidget *parent = nullptr);
    ~AuditTrailDialog() override;

    QLineEdit *runEdit() const { return m_run; }
    QLineEdit *userEdit() const { return m_user; }
    QComboBox *actionBox() const { return m_action; }
    QLineEdit *fromEdit() const { return m_from; }
    QLineEdit *toEdit() const { return m_to; }
    QTableWidget *table() const { return m_table; }
    QLabel *countLabel() const { return m_count; }
    QPushButton *csvButton() const { return m_csv; }
    QPushButton *pdfButton() const { return m_pdf; }
    const QTimer &pauseTimer() const { return m_pause; }
    bool isAsking() const { return m_asking != 0; }
    // The events shown.
    const QList<archive::AuditEvent> &events() const { return m_events; }

public Q_SLOTS:
    // Asks for the events the filter fields describe; where typing pauses lands.
    void applyFilter();
    void exportCsv();
    void exportPdf();

Q_SIGNALS:
    // The answer asked for last has come and is shown.
    void settled();

private:
    void build();
    void onAnswer(const archive::BrowseWorker::Answer &answer);
    void display(const QList<archive::AuditEvent> &events);
    // Asks where to write the events shown, then writes them there; a failure is one message.
    // `suffix` is added to a name given without one.
    void writeOut(const QString &filter, const QString &suffix,
                  const std::function<bool(const QString &, QString *)> &write);

    archive::BrowseWorker &m_worker;
    Prompter &m_prompter;
    const QString m_archiveName;
    QTimer m_pause;
    archive::BrowseWorker::Ticket m_asking = 0;
    archive::AuditFilter m_filter; // of the events shown
    archive::AuditFilter m_asked;
    QList<archive::AuditEvent> m_events;

    QLineEdit *m_run = nullptr;
    QLineEdit *m_user = nullptr;
    QComboBox *m_action = nullptr;
    QLineEdit *m_from = nullptr;
    QLineEdit *m_to = nullptr;
    QTableWidget *m_table = nullptr;
    QLabel *m_count = nullptr;
    QPushButton *m_csv = nullptr;
    QPushButton *m_pdf = nullptr;
};
