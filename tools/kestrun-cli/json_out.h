#pragma once

#include "tools/kestrun-cli/console.h"

#include <QJsonDocument>
#include <QJsonValue>
#include <QString>

// What every --json of the command line shares: one indented document on standard output, and
// null for a text that does not apply.
namespace jsonout {

inline QJsonValue orNull(const QString &text)
{
    return text.isEmpty() ? QJsonValue() : QJsonValue(text);
}

// The document as text. Qt escapes what JSON requires (quotes, backslashes, C0 controls); DEL,
// the C1 controls and the line separators, which a location from a file may hold, are escaped
// too, so a terminal showing the JSON takes no control character from it. Outside its strings
// a JSON text holds none of them, so every one is inside a string.
QByteArray text(const QJsonDocument &doc);

inline void print(const QJsonDocument &doc)
{
    console::out(text(doc));
}

} // namespace jsonout
