#pragma once

#include <QDialog>

class Prompter;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// Where the archive lives: this computer's SQLite file, or a site's shared PostgreSQL database
// named by a libpq connection string. OK keeps the choice; a connection string with a password
// in it is refused (libpq's password and service files hold those). Nothing connects here:
// reaching a server can take seconds, and the window reports it when it next stores a run.
class ArchiveSettingsDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ArchiveSettingsDialog(Prompter &prompter, QWidget *parent = nullptr);

    QRadioButton *thisComputerButton() const { return m_here; }
    QRadioButton *sharedButton() const { return m_shared; }
    QLineEdit *connectionEdit() const { return m_connection; }
    QLabel *environmentNote() const { return m_environment; }
    QPushButton *okButton() const { return m_ok; }

public Q_SLOTS:
    // Checks and keeps the choice; the dialog stays open on a refused one.
    void accept() override;

private:
    // Why the connection typed cannot be kept; empty when it can.
    QString refusal(const QString &connection) const;

    Prompter &m_prompter;
    QRadioButton *m_here = nullptr;
    QRadioButton *m_shared = nullptr;
    QLineEdit *m_connection = nullptr;
    QLabel *m_environment = nullptr;
    QPushButton *m_ok = nullptr;
};
