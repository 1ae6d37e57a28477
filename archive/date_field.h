#pragma once

#include <QLineEdit>

// A date field of a filter that does not read is shaded until it does.
inline void markRefused(QLineEdit *edit, bool refused)
{
    edit->setStyleSheet(refused ? QStringLiteral("QLineEdit { background-color: #ffd6d6; }")
                                : QString());
}
