#pragma once

#include "common/prompter.h"

class QWidget;

// The Prompter that shows real dialogs, parented to the main window.
class QtPrompter final : public Prompter
{
public:
    explicit QtPrompter(QWidget *parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget *parent) { m_parent = parent; }

    void message(const QString &text, const QString &title, Icon icon) override;
    bool askYesNo(const QString &text, const QString &title, Icon icon) override;
    Answer askYesNoCancel(const QString &text, const QString &title, Icon icon) override;
    std::optional<QString> inputText(const QString &prompt, const QString &title,
                                     const QString &defaultText, QPoint topLeftTwips) override;
    std::optional<QString> inputRequired(const QString &prompt, const QString &title) override;
    QString openFileName(const QString &title, const QString &filter) override;
    QString saveFileName(const QString &title, const QString &filter) override;
    bool choosePrinter(QPrinter &printer) override;

private:
    QWidget *m_parent;
};
