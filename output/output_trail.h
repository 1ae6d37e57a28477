#pragma once

#include <QJsonObject>
#include <QString>

namespace archive {
class ArchiveDb;
}

// The trail's word that a file was written from a run: a report (its PDF's SHA-256) or an
// export (a workbook or CSV, the file's SHA-256). The file stays written whatever the archive
// says; when it cannot take the event the user is told, once, until an event is recorded again.
namespace report {

namespace detail {
inline const QString kPdfSha256 = QStringLiteral("pdf_sha256");
inline const QString kFile = QStringLiteral("file");
inline const QString kRunSha256 = QStringLiteral("run_sha256");
inline const QString kFormat = QStringLiteral("format");
inline const QString kSha256 = QStringLiteral("sha256");
inline const QString kXlsx = QStringLiteral("xlsx");
inline const QString kCsv = QStringLiteral("csv");
} // namespace detail

// The details of a "report" event.
QJsonObject reportDetails(const QByteArray &pdf, const QString &path, const QString &runSha256);
// The details of an "export" event; `format` is detail::kXlsx or detail::kCsv.
QJsonObject exportDetails(const QString &format, const QByteArray &file, const QString &path);

class OutputTrail
{
public:
    // Appends the event `action` for the run of `runSha256` (named by its key when the archive
    // has it). Returns what to tell the user: empty when it was recorded, or when they were
    // told already since the last event that was.
    QString written(archive::ArchiveDb &db, const QString &action, const QString &runSha256,
                    const QJsonObject &details);

private:
    bool m_told = false;
};

} // namespace report
