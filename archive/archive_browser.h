#pragma once

#include "archive/run_filter.h"

#include <QDialog>

#include <optional>

class Prompter;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace archive {
class ArchiveDb;
class RunTableModel;
struct RunRecord;
} // namespace archive

// The archive's runs in a table the database filters and sorts, so it opens as quickly on
// 10,000 runs as on ten. A run opens into the data window (runOpened), is saved to a ".brv2"
// file or deleted after a question. Non-modal: the window keeps it open beside the data.
class ArchiveBrowser : public QDialog
{
    Q_OBJECT
public:
    // `db` is open and outlives the dialog.
    ArchiveBrowser(archive::ArchiveDb &db, Prompter &prompter, QWidget *parent = nullptr);

    QLineEdit *serialEdit() const { return m_serial; }
    QLineEdit *locationEdit() const { return m_location; }
    QLineEdit *fromEdit() const { return m_from; }
    QLineEdit *toEdit() const { return m_to; }
    QCheckBox *alarmsOnlyBox() const { return m_alarmsOnly; }
    QTableView *table() const { return m_table; }
    QLabel *countLabel() const { return m_count; }
    QPushButton *openButton() const { return m_open; }
    QPushButton *saveButton() const { return m_save; }
    QPushButton *deleteButton() const { return m_delete; }

public Q_SLOTS:
    // Lists the runs again (after a run was stored while the dialog is open).
    void refresh();

Q_SIGNALS:
    // The exact ".brv2" bytes of the run chosen, and the data window's title for it.
    void runOpened(const QByteArray &bytes, const QString &title);

private:
    void build();
    void applyFilter();
    void showCount();
    void enableButtons();
    // The run of the selected row (list columns only); nullopt when no row is selected.
    std::optional<archive::RunRecord> selectedRun() const;
    // The bytes of the selected run; a failure is told and gives nullopt.
    std::optional<QByteArray> selectedBytes(const archive::RunRecord &run);
    void openRun();
    void saveRun();
    void deleteRun();

    archive::ArchiveDb &m_db;
    Prompter &m_prompter;
    archive::RunTableModel *m_model = nullptr;

    QLineEdit *m_serial = nullptr;
    QLineEdit *m_location = nullptr;
    QLineEdit *m_from = nullptr;
    QLineEdit *m_to = nullptr;
    QCheckBox *m_alarmsOnly = nullptr;
    QTableView *m_table = nullptr;
    QLabel *m_count = nullptr;
    QPushButton *m_open = nullptr;
    QPushButton *m_save = nullptr;
    QPushButton *m_delete = nullptr;
};
