#pragma once

#include "archive/browse_worker.h"
#include "archive/run_filter.h"
#include "archive/run_record.h"

#include <QDialog>
#include <QTimer>

#include <optional>

class Prompter;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace archive {
class RunTableModel;
} // namespace archive

// The archive's runs in a table the database filters and sorts, so it opens as quickly on
// 10,000 runs as on ten. A run opens into the data window (runOpened), is saved to a ".brv2"
// file or withdrawn with a reason. Non-modal: the window keeps it open beside the data. As it
// opens it has the archive checked, after the first list, and shows what the check found.
//
// Every question goes to the worker and its answer comes back later: the dialog never waits
// on the database, and its status line says when it is asking. Typing in a filter asks once
// the typing pauses.
class ArchiveBrowser : public QDialog
{
    Q_OBJECT
public:
    // How long typing must pause before the filter is asked for.
    static constexpr int kPauseMs = 300;

    // `worker` outlives the dialog.
    ArchiveBrowser(archive::BrowseWorker &worker, Prompter &prompter, QWidget *parent = nullptr);
    ~ArchiveBrowser() override;

    QLineEdit *serialEdit() const { return m_serial; }
    QLineEdit *locationEdit() const { return m_location; }
    QLineEdit *fromEdit() const { return m_from; }
    QLineEdit *toEdit() const { return m_to; }
    QCheckBox *alarmsOnlyBox() const { return m_alarmsOnly; }
    QCheckBox *showWithdrawnBox() const { return m_showWithdrawn; }
    QTableView *table() const { return m_table; }
    // The status line: the number of runs listed, or why not, or that the archive is asked.
    QLabel *countLabel() const { return m_count; }
    // That the archive is read-only; hidden while it is not.
    QLabel *readOnlyLabel() const { return m_readOnly; }
    QPushButton *openButton() const { return m_open; }
    QPushButton *saveButton() const { return m_save; }
    QPushButton *withdrawButton() const { return m_withdraw; }
    // What the archive's check found, or that it is under way.
    QLabel *checkLabel() const { return m_check; }
    const QTimer &pauseTimer() const { return m_pause; }
    // A question of this dialog is out to the archive.
    bool isAsking() const;

public Q_SLOTS:
    // Lists the runs again (after a run was stored while the dialog is open).
    void refresh();
    // Asks for the runs the filter fields describe; where typing pauses lands.
    void applyFilter();

Q_SIGNALS:
    // The exact ".brv2" bytes of the run chosen, and the data window's title for it.
    void runOpened(const QByteArray &bytes, const QString &title);
    // Every answer the dialog waited for has come (the status line shows it).
    void settled();
    // The archive's check answered (checkLabel() shows what it found).
    void checked();

private:
    enum class Action { Open, Save, Withdraw };
    // A button's question out to the archive, and what to do with its answer.
    struct Pending
    {
        archive::BrowseWorker::Ticket ticket = 0;
        Action action = Action::Open;
        archive::RunRecord run;
        QString path; // Save: where to
    };

    void build();
    void recount();
    void showStatus();
    void enableButtons();
    void onListed();
    void onAnswer(const archive::BrowseWorker::Answer &answer);
    void finish(const Pending &done, const archive::BrowseWorker::Answer &answer);
    void ask(Action action, archive::BrowseWorker::Ticket ticket, const archive::RunRecord &run,
             const QString &path = {});
    // The run of the selected row (list columns only); nullopt when no row is selected.
    std::optional<archive::RunRecord> selectedRun() const;
    void openRun();
    void saveRun();
    void withdrawRun();
    void showCheck(const archive::BrowseWorker::Answer &answer);

    archive::BrowseWorker &m_worker;
    Prompter &m_prompter;
    archive::RunTableModel *m_model = nullptr;
    QTimer m_pause;
    bool m_refused = false; // a date field does not read
    archive::BrowseWorker::Ticket m_counting = 0;
    archive::BrowseWorker::Ticket m_checking = 0;
    std::optional<int> m_runCount;
    QString m_countError;
    std::optional<Pending> m_pending;
    bool m_sized = false;    // columns fitted to the first rows that came
    bool m_wasAsking = false; // what the status line showed last

    QLineEdit *m_serial = nullptr;
    QLineEdit *m_location = nullptr;
    QLineEdit *m_from = nullptr;
    QLineEdit *m_to = nullptr;
    QCheckBox *m_alarmsOnly = nullptr;
    QCheckBox *m_showWithdrawn = nullptr;
    QTableView *m_table = nullptr;
    QLabel *m_count = nullptr;
    QLabel *m_readOnly = nullptr;
    QLabel *m_check = nullptr;
    QPushButton *m_open = nullptr;
    QPushButton *m_save = nullptr;
    QPushButton *m_withdraw = nullptr;
};
