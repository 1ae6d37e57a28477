#include "app/qt_prompter.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>

namespace {
QMessageBox::Icon toQt(Prompter::Icon i)
{
    switch (i) {
    case Prompter::Icon::Information: return QMessageBox::Information;
    case Prompter::Icon::Warning: return QMessageBox::Warning;
    case Prompter::Icon::Critical: return QMessageBox::Critical;
    case Prompter::Icon::Question: return QMessageBox::Question;
    case Prompter::Icon::None: break;
    }
    return QMessageBox::NoIcon;
}
} // namespace

void QtPrompter::message(const QString &text, const QString &title, Icon icon)
{
    QMessageBox box(toQt(icon), title, text, QMessageBox::Ok, m_parent);
    box.exec();
}

bool QtPrompter::askYesNo(const QString &text, const QString &title, Icon icon)
{
    QMessageBox box(toQt(icon), title, text, QMessageBox::Yes | QMessageBox::No, m_parent);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

Prompter::Answer QtPrompter::askYesNoCancel(const QString &text, const QString &title, Icon icon)
{
    QMessageBox box(toQt(icon), title, text,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, m_parent);
    box.setDefaultButton(QMessageBox::Yes);
    switch (box.exec()) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return Answer::Cancel; // Cancel, Escape or the close button
    }
}

std::optional<QString> QtPrompter::inputText(const QString &prompt, const QString &title,
                                             const QString &defaultText, QPoint topLeftTwips)
{
    QInputDialog dlg(m_parent);
    dlg.setWindowTitle(title);
    dlg.setLabelText(prompt);
    dlg.setTextValue(defaultText);
    if (!topLeftTwips.isNull()) {
        // Twips are 1/1440 inch; place the box where users of the program expect it.
        const QScreen *screen = m_parent ? m_parent->screen() : QGuiApplication::primaryScreen();
        const qreal dpi = screen ? screen->logicalDotsPerInch() : 96.0;
        dlg.move(int(topLeftTwips.x() * dpi / 1440.0), int(topLeftTwips.y() * dpi / 1440.0));
    }
    if (dlg.exec() != QDialog::Accepted)
        return std::nullopt;
    return dlg.textValue();
}

std::optional<QString> QtPrompter::inputRequired(const QString &prompt, const QString &title)
{
    QDialog dlg(m_parent);
    dlg.setWindowTitle(title);
    auto *layout = new QVBoxLayout(&dlg);
    auto *label = new QLabel(prompt, &dlg);
    label->setWordWrap(true);
    auto *edit = new QLineEdit(&dlg);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dlg);
    layout->addWidget(label);
    layout->addWidget(edit);
    layout->addWidget(buttons);
    QPushButton *ok = buttons->button(QDialogButtonBox::Ok);
    ok->setEnabled(false);
    QObject::connect(edit, &QLineEdit::textChanged, ok,
                     [ok](const QString &text) { ok->setEnabled(!text.trimmed().isEmpty()); });
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    if (dlg.exec() != QDialog::Accepted || edit->text().trimmed().isEmpty())
        return std::nullopt;
    return edit->text().trimmed();
}

QString QtPrompter::openFileName(const QString &title, const QString &filter)
{
    return QFileDialog::getOpenFileName(m_parent, title, QString(), filter);
}

QString QtPrompter::saveFileName(const QString &title, const QString &filter)
{
    return QFileDialog::getSaveFileName(m_parent, title, QString(), filter);
}

bool QtPrompter::choosePrinter(QPrinter &printer)
{
    QPrintDialog dlg(&printer, m_parent);
    return dlg.exec() == QDialog::Accepted;
}
