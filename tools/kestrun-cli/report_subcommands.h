#pragma once

#include <QJsonObject>
#include <QString>

namespace archive {
class ArchiveDb;
}

// What the file subcommands tell the archive's trail of the files they write.
namespace reportcli {

// Records in `db` that a file of the run of `runSha256` was written (`action` "report" or
// "export"). When the archive cannot take the event the file stays written: one line on
// standard error says so, and the exit status stays 0.
void recordWritten(archive::ArchiveDb &db, const QString &action, const QString &runSha256,
                   const QJsonObject &details);

} // namespace reportcli
