#include "archive/sign_dialog.h"

#include "archive/archive_texts.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>

namespace archive {

std::optional<SignAnswer> DialogSignAsker::ask(const QString &name, QWidget *parent)
{
    SignDialog dialog(name, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.take();
}

SignDialog::SignDialog(const QString &name, QWidget *parent) : QDialog(parent)
{
    setWindowTitle(archivetext::kSignTitle);
    auto *form = new QFormLayout(this);
    m_meaning = new QComboBox(this);
    for (const Meaning m : {Meaning::Reviewed, Meaning::Approved})
        m_meaning->addItem(meaningCaption(m), int(m));
    form->addRow(archivetext::kMeaningLabel, m_meaning);
    auto *signer = new QLineEdit(name, this);
    signer->setReadOnly(true);
    form->addRow(archivetext::kSignerLabel, signer);
    m_password = new QLineEdit(this);
    m_password->setEchoMode(QLineEdit::Password);
    // Kept out of input methods' and the clipboard's hands.
    m_password->setInputMethodHints(Qt::ImhHiddenText | Qt::ImhSensitiveData |
                                    Qt::ImhNoPredictiveText);
    form->addRow(archivetext::kPasswordLabel, m_password);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(archivetext::kSignButton);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
    m_password->setFocus();
}

SignDialog::~SignDialog()
{
    m_password->clear();
}

SignAnswer SignDialog::take()
{
    SignAnswer answer{Meaning(m_meaning->currentData().toInt()), m_password->text().toUtf8()};
    m_password->clear();
    return answer;
}

} // namespace archive
