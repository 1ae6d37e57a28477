#pragma once

#include "datafile/brv2_file.h"

#include <QDate>
#include <QString>
#include <QTime>

#include <functional>
#include <vector>

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

// One row of a row file as the table shows it: its moment, and the text of each value cell
// with the number the text shows (NaN for "***").
struct ShownRow
{
    QDate date;
    QTime time;
    QString value;
    double valueNumber = 0;
    QString humidity; // humidity models only
    double humidityNumber = 0;
};

// Takes the rows of a row file one at a time, as the table would show them.
class RowTaker
{
public:
    virtual ~RowTaker() = default;
    // Before the first row: the most rows that can follow.
    virtual void expect(qsizetype rows) { Q_UNUSED(rows); }
    virtual void take(ShownRow &&row) = 0;
};

// How far a long read has come, now and then: 0 to kProgressMax. Returning false stops it
// (the file then does not open).
inline constexpr int kProgressMax = 1000;
using Progress = std::function<bool(int done)>;

// A file read completely and checked, not yet shown. It is made without a reading set, on any
// thread, and then shown at once: the window reads a long file on a thread of its own.
struct Loaded
{
    Opened opened;
    // The unit the rows were made in (a set that shows another unit cannot take them).
    bool fahrenheit = false;
    brv2::Content content;      // the header, captions and image; the rows are below
    std::vector<ShownRow> rows; // a row file's rows, unless a taker took them
};

// Reads a file's bytes, the rows in degF when `fahrenheit`. When `rows` is given, a row file's
// rows go to it instead of into Loaded::rows, and nothing can show the result: for readers
// that need a file's figures but not its table.
Loaded load(const QByteArray &bytes, bool fahrenheit, const Progress &progress = {},
            RowTaker *rows = nullptr);
Loaded loadFile(const QString &path, bool fahrenheit, const Progress &progress = {});
// Shows what was loaded in the unit it was loaded for: an image file as a download shows it,
// a row file's rows in the table. Nothing changes for a file that did not load.
Opened show(ReadingSet &set, Loaded loaded);

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
