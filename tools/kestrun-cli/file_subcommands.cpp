// The subcommands that read ".brv2" files. The file is opened into a run document exactly as
// the window's Open does, so the table they print or export is the window's table, cell for
// cell, and the summary is the Summary tab's.

#include "tools/kestrun-cli/subcommands.h"
#include "tools/kestrun-cli/site_store.h"

#include "acquisition/reading_set.h"
#include "analysis/summary_output.h"
#include "common/output_file.h"
#include "common/prompter.h"
#include "datafile/set_io.h"
#include "output/report.h"
#include "output/run_summary.h"
#include "output/spreadsheet_export.h"
#include "run/run_document.h"
#include "tools/kestrun-cli/console.h"
#include "tools/kestrun-cli/limit_options.h"
#include "tools/kestrun-cli/subcommand_parser.h"
#include "tools/kestrun-cli/table_text.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

const QString kFahrenheit = QStringLiteral("fahrenheit");

// Opens the file into `doc` as the window would, in the unit asked for. False after the
// window's message for a file it cannot open has been printed, with the reason after it.
bool openRun(RunDocument &doc, const QString &path, bool fahrenheit)
{
    // The window fills a set in the unit it shows, so a row file saved in degF reads back with
    // the figures it was saved with.
    doc.set().Cels_Faren = fahrenheit ? 0 : -1;
    const setio::Opened opened = doc.openFile(path);
    if (opened.status == setio::Status::Ok)
        return true;
    console::fail(setio::explained(opened));
    return false;
}

// The workbook of the Export command, written completely or not at all: it is built in a
// scratch folder and then put in place as one file, so a failure leaves an earlier file alone.
// As in the window, refused limits leave out the Summary sheet, and say why.
bool writeWorkbook(const RunDocument &doc, const QString &path, QString *error)
{
    const std::optional<report::RunSummary> run = report::sheetSummaryOf(doc);
    if (!run)
        console::errLine(doc.limitsRefusal());
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        *error = scratch.errorString();
        return false;
    }
    const QString built = scratch.filePath(QStringLiteral("readings.xlsx"));
    if (!spreadsheet::writeWorkbook(doc.set().table(), built, error, run ? &*run : nullptr))
        return false;
    QFile f(built);
    if (!f.open(QIODevice::ReadOnly)) {
        *error = f.errorString();
        return false;
    }
    return outputfile::write(path, f.readAll(), error);
}

// The stored limits of the run's logger with the options of this run laid over them (limits
// in the output's unit); nullopt after the reason was printed.
std::optional<analysis::Limits> limitsOfRun(SubcommandParser &p, RunDocument &doc)
{
    // --high/--low are the limits of the model's value column, --rh-* those of humidity.
    const std::vector<analysis::Quantity> sensors = analysis::sensorsOf(doc.set().MODEL);
    return limitoptions::runLimits(p, doc.limitsStore(), doc.identity().serial,
                                   sensors.empty() ? analysis::Quantity::Temperature
                                                   : sensors.front());
}

} // namespace

int runSummary(const QStringList &words)
{
    SubcommandParser p(QStringLiteral("summary"));
    if (const auto status = p.parse(words, 1))
        return *status;
    const bool fahrenheit = p.isSet(kFahrenheit);
    RunDocument doc(&archivecli::siteLimits());
    if (!openRun(doc, p.positionalArguments().at(0), fahrenheit))
        return 1;
    const std::optional<analysis::Limits> limits = limitsOfRun(p, doc);
    if (!limits)
        return 1;
    doc.setLimits(*limits);
    const analysis::Summary &s = doc.summary();
    const analysis::RunHeader header = doc.header();
    // The verdict is data, not a failure: the status is 0 whatever it says.
    if (p.isSet(QStringLiteral("json")))
        console::out(analysis::summaryJson(s, header));
    else
        console::out(analysis::summaryText(s, header).toUtf8());
    return 0;
}

int runTable(const QStringList &words)
{
    SubcommandParser p(QStringLiteral("table"));
    if (const auto status = p.parse(words, 1))
        return *status;
    RunDocument doc(&archivecli::siteLimits());
    if (!openRun(doc, p.positionalArguments().at(0), p.isSet(kFahrenheit)))
        return 1;
    console::out(tabletextout::tabSeparated(doc.set().table()));
    return 0;
}

int runExport(const QStringList &words)
{
    SubcommandParser p(QStringLiteral("export"));
    if (const auto status = p.parse(words, 1))
        return *status;
    const bool csv = p.isSet(QStringLiteral("csv"));
    if (csv == p.isSet(QStringLiteral("xlsx")))
        return p.usageError(QStringLiteral("give either --csv OUT.csv or --xlsx OUT.xlsx"));
    const QString out =
        outputfile::absoluteName(p.value(csv ? QStringLiteral("csv") : QStringLiteral("xlsx")));

    RunDocument doc(&archivecli::siteLimits());
    if (!openRun(doc, p.positionalArguments().at(0), p.isSet(kFahrenheit)))
        return 1;
    QString error;
    const bool written =
        csv ? outputfile::write(out, tabletextout::commaSeparated(doc.set().table()), &error)
            : writeWorkbook(doc, out, &error);
    if (!written)
        return console::fail(outputfile::failureText(out, error));
    return 0;
}

int runReport(const QStringList &words)
{
    SubcommandParser p(QStringLiteral("report"));
    if (const auto status = p.parse(words, 1))
        return *status;
    if (!p.isSet(QStringLiteral("output")))
        return p.usageError(QStringLiteral("give the PDF to write with -o OUT.pdf"));
    const QString out = outputfile::absoluteName(p.value(QStringLiteral("output")));
    RunDocument doc(&archivecli::siteLimits());
    if (!openRun(doc, p.positionalArguments().at(0), p.isSet(kFahrenheit)))
        return 1;
    // The summary of a run without readings says "NO DATA"; no report is made of it.
    if (doc.readingCount() < 1)
        return console::fail(report::kNothingToReport);
    const std::optional<analysis::Limits> limits = limitsOfRun(p, doc);
    if (!limits)
        return 1;
    doc.setLimits(*limits);
    QString error;
    if (!report::writeReport(doc, out, QDateTime::currentDateTime(), &error))
        return console::fail(outputfile::failureText(out, error));
    return 0;
}
