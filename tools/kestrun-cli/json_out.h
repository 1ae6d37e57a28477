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

inline void print(const QJsonDocument &doc)
{
    console::out(doc.toJson(QJsonDocument::Indented));
}

} // namespace jsonout
