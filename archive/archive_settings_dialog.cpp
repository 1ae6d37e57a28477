#include "archive/archive_settings_dialog.h"

#include "archive/archive_location.h"
#include "archive/archive_texts.h"
#include "common/prompter.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace archive;

ArchiveSettingsDialog::ArchiveSettingsDialog(Prompter &prompter, QWidget *parent)
    : QDialog(parent), m_prompter(prompter)
{
    setWindowTitle(archivetext::kArchiveTitle);
    setMinimumWidth(480);
    auto *root = new QVBoxLayout(this);

    m_here = new QRadioButton(archivetext::kThisComputer, this);
    root->addWidget(m_here);
    auto *file = new QLabel(describe(localLocation()), this);
    file->setTextInteractionFlags(Qt::TextSelectableByMouse);
    file->setContentsMargins(20, 0, 0, 0);
    root->addWidget(file);

    m_shared = new QRadioButton(archivetext::kSharedDatabase, this);
    root->addWidget(m_shared);
    m_connection = new QLineEdit(storedChoice(), this);
    m_connection->setPlaceholderText(archivetext::kConnectionPlaceholder);
    root->addWidget(m_connection);
    auto *note = new QLabel(archivetext::kPasswordNote, this);
    note->setWordWrap(true);
    root->addWidget(note);

    const QString env = qEnvironmentVariable(kEnvironment);
    m_environment = new QLabel(this);
    m_environment->setWordWrap(true);
    m_environment->setVisible(!env.isEmpty());
    if (!env.isEmpty())
        m_environment->setText(archivetext::kEnvironmentOverrides.arg(
            QLatin1String(kEnvironment), describe(locationFrom(env))));
    root->addWidget(m_environment);

    (m_connection->text().isEmpty() ? m_here : m_shared)->setChecked(true);
    m_connection->setEnabled(m_shared->isChecked());
    connect(m_shared, &QRadioButton::toggled, m_connection, &QLineEdit::setEnabled);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &ArchiveSettingsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ArchiveSettingsDialog::reject);
    root->addWidget(buttons);
}

QString ArchiveSettingsDialog::refusal(const QString &connection) const
{
    if (connection.isEmpty())
        return archivetext::kNoConnection;
    if (!locationFrom(connection).isShared())
        return archivetext::kNotAConnection.arg(connection);
    return refusalOf(connection);
}

void ArchiveSettingsDialog::accept()
{
    const QString connection = m_shared->isChecked() ? m_connection->text().trimmed() : QString();
    if (m_shared->isChecked()) {
        if (const QString why = refusal(connection); !why.isEmpty()) {
            m_prompter.message(why, archivetext::kArchiveTitle, Prompter::Icon::Warning);
            return;
        }
    }
    setStoredChoice(connection);
    QDialog::accept();
}
