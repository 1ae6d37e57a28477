#pragma once

#include <QString>

class Prompter;
class ReadingSet;

// Saving a reading set to a ".brv2" file and opening one into a reading set.
namespace setio {

// The data kind of a downloaded set: saved as the memory image. Any other kind (a live run)
// is saved as the table's rows.
inline constexpr int kDownloaded = 1;

// The file's bytes for the set. Temperatures of row files are always stored in degC.
QByteArray encode(const ReadingSet &set, int dataKind);

// Writes the file atomically: a failed save leaves an earlier file of that name as it was.
bool save(const ReadingSet &set, int dataKind, const QString &path, QString *error);

enum class Status { Ok, FileError, FileCorrupted };
struct Opened
{
    Status status = Status::FileError;
    int dataKind = 0;
    // What was wrong with a file that did not open ("row 12: the time field is not a time");
    // the window shows only the message of the status, the command line both.
    QString reason;
};

// Reads the file completely before anything is replaced: on any failure the set, its model
// code and the caller's data kind stay as they were. An image file is shown as a download
// shows it; a row file fills the table from its rows (in degF when the set shows degF).
Opened open(ReadingSet &set, const QString &path);
// The same for a file's bytes kept elsewhere (a run of the archive).
Opened openBytes(ReadingSet &set, const QByteArray &bytes);

// Tells the user why a file could not be opened; nothing for Ok.
void report(Status status, Prompter &prompter);
// The message of a status ("File Error", "File Corrupted"); empty for Ok.
QString message(Status status);
// The message of a file that did not open with its reason after it, as the command line names
// the file's fault wherever it skips or refuses it.
QString explained(const Opened &opened);

} // namespace setio
