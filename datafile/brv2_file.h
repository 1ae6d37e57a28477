#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <initializer_list>
#include <optional>

#include <optional>

class QIODevice;

// The ".brv2" data file: a text file of comma-separated records ended by CR LF, numbers as
// plain decimal text, strings in double quotes, dates as #yyyy-mm-dd#.
//
// An image file (data kind 1) holds the logger's memory image byte by byte, each byte written as
// the date whose day number it is (30 December 1899 is day 0), followed by the two bytes of its
// CRC-16/MODBUS, low byte first. A row file (any other data kind) holds the location and
// serial-number captions and then the table's rows as strings.
//
// Files arrive by e-mail: the reader trusts nothing. Every malformed, truncated or oversized
// file ends in FileError or FileCorrupted, never in a crash or an unbounded allocation.
namespace brv2 {

// The largest image the program keeps (the receive buffer of a download).
inline constexpr int kMaxImageLen = 33001;

// The files' suffix, without the dot.
inline const QString kSuffix = QStringLiteral("brv2");
// The files' media type, as the desktop's file type (kestrun-mime.xml) names it.
inline const QString kMimeType = QStringLiteral("application/x-kestrun-brv2");
// `path` as a save dialog's answer is taken: a name typed without any suffix gets ".brv2".
QString withSuffix(const QString &path);

struct Content
{
    enum class Status { Ok, FileError, FileCorrupted };
    Status status = Status::FileError;
    // What was wrong, for a file that did not read ("record 3 is not a #date#"); empty for Ok.
    QString reason;
    int model = 0;
    int imageLen = 0; // record 1's length (row files: kept, not used)
    int dataKind = 0; // 1 = image file
    // Image file
    QByteArray image;
    // Row file
    QString locationCaption;
    QString serialCaption;
    QList<QStringList> rows; // date text, time text, value[, humidity]

    bool isImage() const { return dataKind == 1; }
};

// Field count of a row record for a model code (0: the model stores no rows).
int rowFieldCount(int model);

QByteArray encodeImage(int model, const QByteArray &image);
QByteArray encodeRows(int model, int imageLen, int dataKind, const QString &locationCaption,
                      const QString &serialCaption, const QList<QStringList> &rows);
// The same in parts, for rows that are not all at hand as texts: the header records, then
// one row at a time.
QByteArray rowsHeader(int model, int imageLen, int dataKind, const QString &locationCaption,
                      const QString &serialCaption);
void appendRow(QByteArray &file, std::initializer_list<QStringView> fields);
Content decode(const QByteArray &file);

// Takes the rows of a row file one at a time as decode() reads them, so a file of millions of
// rows is never held as texts.
class RowSink
{
public:
    virtual ~RowSink() = default;
    // Before the first row: the file's header and captions (no rows), and the most rows the
    // file can hold.
    virtual void begin(const Content &header, qsizetype rows)
    {
        Q_UNUSED(header);
        Q_UNUSED(rows);
    }
    // One row's fields as the file holds them (date, time, value[, humidity]), and the file
    // position after it. Empty to go on; a reason ends the reading, and the file does not
    // open, for that reason.
    virtual QString row(const QString *fields, int count, qsizetype position) = 0;
};
// decode() with the rows handed to `rows` instead of kept in Content::rows.
Content decode(const QByteArray &file, RowSink &rows);

// One image byte as its date record text and back (both forms of day 0 are read).
QString byteRecord(int byte);
int parseByteRecord(QStringView field); // -1 when it is not a date of day 0..255

// Reads a whole file (at most a sane size); FileError when it cannot be read.
Content readFile(const QString &path);
// The bytes of a file readFile() would read; nullopt with the reason it gives otherwise.
std::optional<QByteArray> readBytes(const QString &path, QString *reason);
// The whole of a file that comes as a stream without a name (standard input), up to the size
// readFile takes; nullopt with why when it cannot be read or is larger.
std::optional<QByteArray> readStream(QIODevice &in, QString *why);
} // namespace brv2
