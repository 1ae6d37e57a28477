#pragma once

#include "output/print_inputs.h"
#include "output/report_record.h"

#include <QDateTime>
#include <QString>

#include <functional>

class Prompter;
class QPagedPaintDevice;

class RunDocument;
namespace archive {
class ArchiveDb;
}

// The report of a run, one document: page 1 the run, who made the report and who stored the
// run, its SHA-256 and archive key, the limits, its signatures, the verdict, the statistics
// per sensor and the first excursions; then the graph of the whole run with the limits drawn
// as dashed lines (landscape); then the listing with the readings beyond a limit marked. The
// PDF carries the run's exact ".brv2" bytes as an attached file and page 1's figures in its
// metadata, so that the PDF alone can be verified (report_verify.h).
namespace report {

class OutputTrail;

// Excursions listed on page 1, the earliest first.
inline constexpr int kEventsListed = 12;

// The run's figures are those of its document: its one summary under the limits that apply.
printout::PrintResult printReport(QPagedPaintDevice &device, const RunDocument &doc,
                                  const ReportRecord &record);

// The report's PDF with the run attached and the figures in its metadata; empty with why.
QByteArray reportPdf(const RunDocument &doc, const ReportRecord &record, QString *error);

// Writes the report as a PDF to `path`, completely or not at all: a failure (or a run without
// readings) leaves an earlier file alone and, if `error` is given, says why. `pdf`, if given,
// gets the bytes written.
bool writeReport(const RunDocument &doc, const ReportRecord &record, const QString &path,
                 QString *error = nullptr, QByteArray *pdf = nullptr);
// The same, made at `madeAt` without asking the archive.
bool writeReport(const RunDocument &doc, const QString &path, const QDateTime &madeAt,
                 QString *error = nullptr);

// The window's "Report to PDF..." command: asks where to write through the prompter, writes the
// report, then asks `open` to show it; when nothing shows it, says where the file is. With
// `db` the report names who stored the run and its signatures, and `trail` records in `db`
// that it was written (telling the user when it could not).
enum class Outcome { Opened, NotOpened, Cancelled, NothingToReport, NotWritten };
Outcome reportToPdf(const RunDocument &doc, Prompter &prompter,
                    const std::function<bool(const QString &path)> &open, const QDateTime &madeAt,
                    archive::ArchiveDb *db = nullptr, OutputTrail *trail = nullptr);

// Texts of the command.
inline const QString kReportCaption = QStringLiteral("Report to PDF...");
inline const QString kReportTitle = QStringLiteral("Report to PDF");
inline const QString kPdfFilter = QStringLiteral("PDF Files (*.pdf)");
inline const QString kNothingToReport =
    QStringLiteral("There are no readings to report. Read a logger or open a file first.");
// %1 the file.
inline const QString kReportWritten =
    QStringLiteral("The report was written to\n%1\nOpen it with a PDF viewer to see it.");

} // namespace report
