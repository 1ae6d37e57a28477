#include "tools/bench/figures.h"
#include "tools/bench/inputs.h"

#include "acquisition/reading_set.h"
#include "acquisition/readings_table.h"
#include "archive/archive_db.h"
#include "archive/audit_event.h"
#include "archive/record_of_run.h"
#include "datafile/brv2_file.h"
#include "output/output_trail.h"
#include "output/data_printout.h"
#include "output/pdf_attachment.h"
#include "output/print_inputs.h"
#include "output/report.h"
#include "run/run_document.h"

#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QTemporaryDir>

#include <memory>

namespace bench {

void printListing(Stopwatch &sw)
{
    // A full temperature memory listed on A4 through the printer object the Print Options
    // dialog prints with, pointed at a PDF file as the platform's printer dialog does.
    auto set = std::make_unique<ReadingSet>();
    setFromImage(*set, kTemperatureModel, fullMemoryImage(kTemperatureModel));
    set->Fill_Grid();
    printout::PrintInputs in;
    in.title = QStringLiteral("Cold store 3, full memory");

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("listing.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);

    sw.start();
    const printout::PrintResult result = printout::Data_prnt(printer, *set, in);
    sw.stop();
    if (result != printout::PrintResult::Printed)
        sw.fail(QStringLiteral("the listing was not printed"));
    else if (QFileInfo(path).size() < 100000)
        sw.fail(QStringLiteral("the PDF holds only %1 bytes").arg(QFileInfo(path).size()));
}

namespace {

// A full temperature memory with a band the simulated readings leave now and then.
std::unique_ptr<RunDocument> reportedRun()
{
    analysis::Limits limits;
    limits[analysis::Quantity::Temperature] = {8.0, 2.0};
    auto doc = std::make_unique<RunDocument>();
    doc->setLimits(limits);
    doc->takeDownload(fullMemoryImage(kTemperatureModel), kTemperatureModel);
    return doc;
}

} // namespace

void writeReport(Stopwatch &sw)
{
    // The run is summarized as part of the report, as after a download.
    const auto doc = reportedRun();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.pdf"));
    QString error;
    sw.start();
    const bool written = report::writeReport(*doc, path, QDateTime::currentDateTime(), &error);
    sw.stop();
    if (!written)
        sw.fail(QStringLiteral("the report was not written: %1").arg(error));
    else if (QFileInfo(path).size() < 100000)
        sw.fail(QStringLiteral("the PDF holds only %1 bytes").arg(QFileInfo(path).size()));
}

void reportArchivedRun(Stopwatch &sw)
{
    // The report `kestrun-cli report` makes of a run kept in the archive: who stored it looked
    // up, the PDF drawn, the run attached with the figures, the file written and the report's
    // event appended to the trail.
    const auto doc = reportedRun();
    QTemporaryDir dir;
    archive::ArchiveDb db(archive::locationFrom(dir.filePath(QStringLiteral("archive"))));
    QString error;
    const auto run = archive::recordFromBytes(doc->fileBytes(), &error);
    if (!run || db.store(*run) == archive::ArchiveDb::Stored::Failed)
        return sw.fail(QStringLiteral("the run was not stored: %1").arg(run ? db.error() : error));
    const QString path = dir.filePath(QStringLiteral("report.pdf"));
    report::OutputTrail trail;

    sw.start();
    const report::ReportRecord record = report::recordOf(*doc, QDateTime::currentDateTime(), &db);
    QByteArray pdf;
    const bool written = report::writeReport(*doc, record, path, &error, &pdf);
    const QString note = written ? trail.written(db, archive::action::kReport, record.sha256,
                                                 report::reportDetails(pdf, path, record.sha256))
                                 : QString();
    sw.stop();
    if (!written)
        sw.fail(QStringLiteral("the report was not written: %1").arg(error));
    else if (!note.isEmpty() || !record.stored)
        sw.fail(QStringLiteral("the archive was not used: %1").arg(note + record.archiveAway));
    else if (pdfattach::extractFile(path).bytes != doc->fileBytes())
        sw.fail(QStringLiteral("the attached run does not read back"));
}

void attachToReport(Stopwatch &sw)
{
    // The report of a full memory gets the run's ".brv2" file and page-sized figures.
    const auto doc = reportedRun();
    QTemporaryDir dir;
    const QString plain = dir.filePath(QStringLiteral("plain.pdf"));
    const QString path = dir.filePath(QStringLiteral("report.pdf"));
    QString error;
    QFile pdf(plain);
    if (!report::writeReport(*doc, plain, QDateTime::currentDateTime(), &error)
        || !pdf.open(QIODevice::ReadOnly))
        return sw.fail(QStringLiteral("the report was not written: %1").arg(error));
    // About as long as page 1's figures written as JSON.
    const QByteArray figures = "{\"figures\":\"" + QByteArray(2000, 'x') + "\"}";
    // The report carries its run already: attached again under its name, it is replaced.
    const QString name = report::attachmentName(*doc, report::recordOf(*doc, {}, nullptr));
    const pdfattach::Attachment file{name, doc->fileBytes(), brv2::kMimeType, figures};
    const QByteArray report = pdf.readAll();

    sw.start();
    const bool written = pdfattach::writeWithAttachment(report, file, path, &error);
    sw.stop();
    if (!written)
        sw.fail(QStringLiteral("the run was not attached: %1").arg(error));
    else if (pdfattach::extractFile(path).bytes != file.bytes)
        sw.fail(QStringLiteral("the attached run does not read back"));
}

} // namespace bench
