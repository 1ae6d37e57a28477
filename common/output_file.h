#pragma once

#include <QByteArray>
#include <QString>

// Every output written to a place the user names (a saved ".brv2" file, a downloaded set, a
// CSV, a workbook, a report, a run taken out of the archive) goes through here, so that naming
// a place never destroys what is there:
//  - a regular file, or a name where nothing is yet, is written to a temporary file in the same
//    folder and renamed into place only once all of it is written: a failure leaves the file
//    that was there as it was;
//  - a symbolic link is followed to its final target, which is replaced that way in its own
//    folder; the link stays a link;
//  - a device, a FIFO or a socket (also behind a link: /dev/stdout on a pipe) is opened and
//    written as it is; it is never replaced, nothing is ever renamed over it;
//  - "-" is this process's standard output (the command line's name for it).
namespace outputfile {

// The name of the standard streams on the command line.
inline const QString kStandardStream = QStringLiteral("-");

enum class Delivery {
    Replace,        // written beside the file, then renamed over it
    Direct,         // opened and written where it is
    StandardOutput, // this process's standard output
};

struct Destination
{
    Delivery delivery = Delivery::Replace;
    // What is opened: for Replace the final target of any links, otherwise the name itself.
    QString path;
    // Why nothing can be written there (a folder, a folder that does not exist, a loop of
    // links); empty when it can be tried.
    QString problem;
};

// Where an output named `name` goes, as it stands now.
Destination destinationOf(const QString &name);

// A name typed on the command line as the writer takes it: "-" as it is, a path made absolute
// (so messages name the file wherever the program was started).
QString absoluteName(const QString &typed);

// Writes `bytes` to `name` as described above. False when not all of it could be written, with
// the system's reason in `error` when given.
bool write(const QString &name, const QByteArray &bytes, QString *error);

// The message for a failed write of `name`: the saved file's message for a file that was to be
// replaced (the earlier one is unchanged), a plain one for a device, a pipe or standard output.
QString failureText(const QString &name, const QString &reason);

} // namespace outputfile
