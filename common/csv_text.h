#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Comma-separated values after RFC 4180, as every CSV the program writes has them: records
// ended by CR LF, a field in double quotes (its quotes doubled) when it holds a comma, a quote
// or a line break, or begins or ends with a blank, so that readers that trim fields keep the
// blanks.
namespace csvtext {

// One field as it goes into a record.
QString field(const QString &text);
// The fields as one record, CR LF included, in UTF-8.
QByteArray record(const QStringList &fields);

} // namespace csvtext
