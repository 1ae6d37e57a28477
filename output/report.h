#pragma once

#include "output/print_inputs.h"

#include <QDateTime>
#include <QString>

#include <functional>

class Prompter;
class QPagedPaintDevice;

class RunDocument;

// The report of a run, one document: page 1 the run, the limits, the verdict, the statistics
// per sensor and the first excursions; then the graph of the whole run with the limits drawn
// as dashed lines (landscape); then the listing with the readings beyond a limit marked.
namespace report {

// Excursions listed on page 1, the earliest first.
inline constexpr int kEventsListed = 12;

// The run's figures are those of its document: its one summary under the limits that apply.
printout::PrintResult printReport(QPagedPaintDevice &device, const RunDocument &doc,
                                  const QDateTime &madeAt);

// Writes the report as a PDF to `path`, completely or not at all: a failure leaves an earlier
// file alone and, if `error` is given, says why.
bool writeReport(const RunDocument &doc, const QString &path, const QDateTime &madeAt,
                 QString *error = nullptr);

// The window's "Report to PDF..." command: asks where to write through the prompter, writes the
// report, then asks `open` to show it; when nothing shows it, says where the file is.
enum class Outcome { Opened, NotOpened, Cancelled, NothingToReport, NotWritten };
Outcome reportToPdf(const RunDocument &doc, Prompter &prompter,
                    const std::function<bool(const QString &path)> &open, const QDateTime &madeAt);

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
