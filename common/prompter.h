#pragma once

#include <QPoint>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

#include "common/app_info.h"

class QPrinter;

// Every message box, question, input box, file dialog and printer dialog of the program goes
// through a Prompter. The program uses the one that shows real dialogs; tests install a scripted
// one that records what was shown and answers from a script. Model code never pops a window
// itself: it asks the Prompter it was given.
class Prompter
{
public:
    enum class Icon { None, Information, Warning, Critical, Question };
    enum class Answer { Yes, No, Cancel };

    virtual ~Prompter() = default;

    // A modal box with an OK button.
    virtual void message(const QString &text, const QString &title = appinfo::title(),
                         Icon icon = Icon::None) = 0;
    // A Yes/No question; true only for Yes.
    virtual bool askYesNo(const QString &text, const QString &title = appinfo::title(),
                          Icon icon = Icon::Information) = 0;
    // A Yes/No/Cancel question; Yes is the default button.
    virtual Answer askYesNoCancel(const QString &text, const QString &title = appinfo::title(),
                                  Icon icon = Icon::Question) = 0;
    // An input box; nullopt on Cancel. `topLeftTwips` places the box (twips from the screen's
    // top left corner); a null point lets the platform place it.
    virtual std::optional<QString> inputText(const QString &prompt, const QString &title,
                                             const QString &defaultText,
                                             QPoint topLeftTwips = QPoint()) = 0;
    // An input box that takes no blank answer (its OK stays disabled until something is typed):
    // a reason that must be given. The text trimmed; nullopt on Cancel.
    virtual std::optional<QString> inputRequired(const QString &prompt, const QString &title) = 0;
    // File dialogs; an empty text means the user cancelled. `filter` is in Qt's form,
    // for example "Brivak Files (*.brv2)".
    virtual QString openFileName(const QString &title, const QString &filter) = 0;
    virtual QString saveFileName(const QString &title, const QString &filter) = 0;
    // The platform's printer dialog; false when the user cancelled or it failed.
    virtual bool choosePrinter(QPrinter &printer) = 0;
};

// A Prompter for tests and for programs without a display: records everything and answers
// from scripted queues (Yes/No and Yes/No/Cancel answers default to No, inputs and file names to cancel).
class ScriptedPrompter : public Prompter
{
public:
    struct Shown
    {
        QString kind; // "message", "question", "input", "open", "save", "printer"
        QString text;
        QString title;
        Icon icon = Icon::None;
    };

    void message(const QString &text, const QString &title, Icon icon) override;
    bool askYesNo(const QString &text, const QString &title, Icon icon) override;
    Answer askYesNoCancel(const QString &text, const QString &title, Icon icon) override;
    std::optional<QString> inputText(const QString &prompt, const QString &title,
                                     const QString &defaultText, QPoint topLeftTwips) override;
    // Takes its answers from `inputAnswers` too; a blank one is passed over, as the real box
    // would not take it.
    std::optional<QString> inputRequired(const QString &prompt, const QString &title) override;
    QString openFileName(const QString &title, const QString &filter) override;
    QString saveFileName(const QString &title, const QString &filter) override;
    bool choosePrinter(QPrinter &printer) override;

    QList<Shown> shown;
    QList<bool> yesNoAnswers;
    QList<Answer> yesNoCancelAnswers; // an empty queue answers No
    QList<std::optional<QString>> inputAnswers;
    QStringList fileAnswers;
    QList<bool> printerAnswers;
    // What the user picks in an accepted printer dialog: tests point the printer at a PDF
    // file here. Left empty, the printer stays as it was given.
    std::function<void(QPrinter &)> printerChoice;
    QPoint lastInputPosition;
    QString lastFilter;
    QString lastInputDefault;

    // The texts of the message boxes shown so far, in order.
    QStringList messages() const;
    void clear() { shown.clear(); }
};
