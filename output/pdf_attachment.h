#pragma once

#include <QByteArray>
#include <QString>

// A file carried inside a PDF, with figures in the PDF's metadata, so that the PDF alone is
// enough to check what it reports: a reader's attachment panel lists the file and saves its
// exact bytes, and extract() gives them back with the figures.
//
// The file is an embedded file of the document (the catalog's EmbeddedFiles name tree), also
// named in the catalog's /AF array as the document's data (/AFRelationship /Data). The figures
// are a JSON text under the key /KestrunFigures of the document's Info dictionary.
//
// The result does not claim PDF/A: qpdf adds the file but makes no PDF/A conversion (it does
// not embed fonts, add an output intent or write the XMP a PDF/A-3 file needs), and PDF/A-1
// allows no embedded file at all. Give it a PDF that claims none.
namespace pdfattach {

// The key of the Info dictionary that holds the figures.
inline constexpr char kFiguresKey[] = "/KestrunFigures";

struct Attachment
{
    QString fileName;        // as the attachment panel shows it ("run.brv2")
    QByteArray bytes;        // the file's exact bytes
    QString mimeType;        // its media type ("application/x-kestrun-brv2")
    QByteArray metadataJson; // UTF-8 JSON text, kept as it is given
};

struct Attached
{
    QByteArray pdf; // the PDF with the file; empty when it could not be made
    QString why;    // empty when made

    bool ok() const { return why.isEmpty(); }
};

// `pdf` with `file` attached and its figures in the metadata (the figures of an earlier call
// replaced, a file of the same name replaced).
Attached attach(const QByteArray &pdf, const Attachment &file);

// attach(), then the result written to `path` the way every output is (outputfile::write: a
// file is replaced only once all of it is written, "-" is standard output). False with why.
bool writeWithAttachment(const QByteArray &pdf, const Attachment &file, const QString &path,
                         QString *why);

struct Extracted
{
    enum class Status {
        Ok,
        Unreadable,         // the file could not be read
        NotPdf,             // no PDF header
        Damaged,            // qpdf cannot read it, or the attached file's data does not decode
        NoAttachment,       // a PDF without an embedded file
        SeveralAttachments, // more than one: which one the report means is not clear
    };
    Status status = Status::Unreadable;
    QString reason; // for the user; empty when Ok

    // The one attached file, as the PDF holds it (only what its bytes hash to proves them).
    QString fileName;
    QByteArray bytes;
    QString mimeType;
    // The figures of the metadata; empty when the PDF has none.
    QByteArray metadataJson;

    bool ok() const { return status == Status::Ok; }
};

Extracted extract(const QByteArray &pdf);
Extracted extractFile(const QString &path);

} // namespace pdfattach

// Texts of the attachment.
namespace pdfattach {

// %1 what went wrong.
inline const QString kCannotAttach =
    QStringLiteral("The file could not be attached to the PDF: %1");
// %1 why.
inline const QString kUnreadable = QStringLiteral("The file cannot be read: %1");
inline const QString kNotPdf = QStringLiteral("The file is not a PDF.");
// %1 what is wrong.
inline const QString kDamaged = QStringLiteral("The PDF is damaged: %1");
inline const QString kNoAttachment = QStringLiteral("The PDF carries no attached file.");
// %1 how many.
inline const QString kSeveralAttachments =
    QStringLiteral("The PDF carries %1 attached files; which one it means is not clear.");
// %1 the file's name, %2 what is wrong.
inline const QString kAttachmentDamaged =
    QStringLiteral("The PDF's attached file \"%1\" cannot be read: %2");

} // namespace pdfattach
