#include "common/prompter.h"

void ScriptedPrompter::message(const QString &text, const QString &title, Icon icon)
{
    shown.append({QStringLiteral("message"), text, title, icon});
}

bool ScriptedPrompter::askYesNo(const QString &text, const QString &title, Icon icon)
{
    shown.append({QStringLiteral("question"), text, title, icon});
    return yesNoAnswers.isEmpty() ? false : yesNoAnswers.takeFirst();
}

Prompter::Answer ScriptedPrompter::askYesNoCancel(const QString &text, const QString &title,
                                                  Icon icon)
{
    shown.append({QStringLiteral("question"), text, title, icon});
    return yesNoCancelAnswers.isEmpty() ? Answer::No : yesNoCancelAnswers.takeFirst();
}

std::optional<QString> ScriptedPrompter::inputText(const QString &prompt, const QString &title,
                                                   const QString &defaultText, QPoint topLeftTwips)
{
    shown.append({QStringLiteral("input"), prompt, title, Icon::None});
    lastInputPosition = topLeftTwips;
    lastInputDefault = defaultText;
    return inputAnswers.isEmpty() ? std::nullopt : inputAnswers.takeFirst();
}

std::optional<QString> ScriptedPrompter::inputRequired(const QString &prompt, const QString &title)
{
    shown.append({QStringLiteral("input"), prompt, title, Icon::None});
    while (!inputAnswers.isEmpty()) {
        const std::optional<QString> answer = inputAnswers.takeFirst();
        if (!answer || !answer->trimmed().isEmpty())
            return answer ? std::optional<QString>(answer->trimmed()) : std::nullopt;
    }
    return std::nullopt;
}

QString ScriptedPrompter::openFileName(const QString &title, const QString &filter)
{
    shown.append({QStringLiteral("open"), QString(), title, Icon::None});
    lastFilter = filter;
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
}

QString ScriptedPrompter::saveFileName(const QString &title, const QString &filter)
{
    shown.append({QStringLiteral("save"), QString(), title, Icon::None});
    lastFilter = filter;
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
}

bool ScriptedPrompter::choosePrinter(QPrinter &printer)
{
    shown.append({QStringLiteral("printer"), QString(), QString(), Icon::None});
    const bool accepted = printerAnswers.isEmpty() ? true : printerAnswers.takeFirst();
    if (accepted && printerChoice)
        printerChoice(printer);
    return accepted;
}

QStringList ScriptedPrompter::messages() const
{
    QStringList out;
    for (const Shown &s : shown)
        if (s.kind == QLatin1String("message"))
            out << s.text;
    return out;
}
