// The subcommands that read ".brv2" files. The file is opened into a run document exactly as
// the window's Open does, so the table they print or export is the window's table, cell for
// cell, and the summary is the Summary tab's.

#include "tools/kestrun-cli/subcommands.h"
#include "tools/kestrun-cli/site_store.h"

#include "acquisition/reading_set.h"
#include "analysis/summary_output.h"
#include "archive/archive.h"
#include "archive/audit_event.h"
#include "archive/judge_again.h"
#include "common/output_file.h"
#include "common/prompter.h"
#include "datafile/set_io.h"
#include "output/output_trail.h"
#include "output/report.h"
#include "output/run_summary.h"
#include "output/spreadsheet_export.h"
#include "run/run_document.h"
#include "tools/kestrun-cli/console.h"
#include "tools/kestrun-cli/limit_options.h"
#include "tools/kestrun-cli/report_subcommands.h"
#include "tools/kestrun-cli/subcommand_parser.h"
#include "tools/kestrun-cli/table_text.h"

#include "common/sha256.h"
#include "tools/kestrun-cli/cli_texts.h"

#include <QFile>
#include <QTemporaryDir>

#include <algorithm>

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
// As in the window, refused limits leave out the Summary sheet, and say why. `written` gets
// the file's bytes.
bool writeWorkbook(const RunDocument &doc, const QString &path, QString *error,
                   QByteArray *written)
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
    *written = f.readAll();
    return outputfile::write(path, *written, error);
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
    QByteArray file;
    if (csv)
        file = tabletextout::commaSeparated(doc.set().table());
    const bool written =
        csv ? outputfile::write(out, file, &error) : writeWorkbook(doc, out, &error, &file);
    if (!written)
        return console::fail(outputfile::failureText(out, error));
    archive::Archive a;
    reportcli::recordWritten(
        a.db(), archive::action::kExport, sha256Hex(doc.fileBytes()),
        report::exportDetails(csv ? report::detail::kCsv : report::detail::kXlsx, file, out));
    return 0;
}

int runReport(const QStringList &words)
{
    SubcommandParser p(QStringLiteral("report"));
    // An archived run (--key) is named by its key, a file by its name.
    const bool byKey = std::any_of(words.cbegin(), words.cend(), [](const QString &w) {
        return w == QLatin1String("--key") || w.startsWith(QLatin1String("--key="));
    });
    if (const auto status = p.parse(words, byKey ? 0 : 1))
        return *status;
    if (!p.isSet(QStringLiteral("output")))
        return p.usageError(QStringLiteral("give the PDF to write with -o OUT.pdf"));
    const QString out = outputfile::absoluteName(p.value(QStringLiteral("output")));
    archive::Archive a;
    RunDocument doc(&archivecli::siteLimits());
    if (byKey) {
        if (limitoptions::anyGiven(p))
            return p.usageError(clitext::kNoLimitsWithKey);
        const QString key = p.value(QStringLiteral("key")).trimmed().toLower();
        const auto bytes = a.db().bytes(key);
        if (!bytes)
            return console::fail(a.db().error());
        // Reported under the judgement the archive keeps for it, as the window opens it.
        const auto judgements = a.db().judgements(key);
        if (!judgements)
            return console::fail(a.db().error());
        doc.set().Cels_Faren = p.isSet(kFahrenheit) ? 0 : -1;
        const setio::Opened opened =
            doc.openArchived(*bytes, key, archive::newestKept(key, *judgements));
        if (opened.status != setio::Status::Ok)
            return console::fail(setio::explained(opened));
        if (!doc.limitsRefusal().isEmpty())
            return console::fail(doc.limitsRefusal());
    } else if (!openRun(doc, p.positionalArguments().at(0), p.isSet(kFahrenheit))) {
        return 1;
    }
    // The summary of a run without readings says "NO DATA"; no report is made of it.
    if (doc.readingCount() < 1)
        return console::fail(report::kNothingToReport);
    if (!byKey) {
        const std::optional<analysis::Limits> limits = limitsOfRun(p, doc);
        if (!limits)
            return 1;
        doc.setLimits(*limits);
    }
    QString error;
    QByteArray pdf;
    const report::ReportRecord record = report::recordOf(doc, QDateTime::currentDateTime(), &a.db());
    if (!report::writeReport(doc, record, out, &error, &pdf))
        return console::fail(outputfile::failureText(out, error));
    reportcli::recordWritten(a.db(), archive::action::kReport, record.sha256,
                             report::reportDetails(pdf, out, record.sha256));
    return 0;
}
