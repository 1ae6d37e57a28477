#include "output/report.h"

#include "acquisition/reading_set.h"
#include "analysis/summary_output.h"
#include "common/app_info.h"
#include "common/messages.h"
#include "common/output_file.h"
#include "common/prompter.h"
#include "archive/audit_event.h"
#include "datafile/brv2_file.h"
#include "output/output_trail.h"
#include "output/pdf_attachment.h"
#include "output/pdf_drawing.h"
#include "output/data_printout.h"
#include "output/graph_printout.h"
#include "output/print_surface.h"
#include "output/run_summary.h"
#include "run/run_document.h"

#include <QDir>
#include <QFileInfo>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>

namespace report {

namespace {

constexpr double kTextPoints = 10;
constexpr double kVerdictPoints = 18;

struct Event
{
    analysis::Quantity quantity;
    bool above;
    analysis::Excursion excursion;
};

std::vector<Event> firstEvents(const analysis::Summary &s, int *total)
{
    std::vector<Event> events;
    for (const analysis::SensorSummary &sensor : s.sensors) {
        for (bool above : {true, false}) {
            const std::optional<analysis::LimitOutcome> &o = above ? sensor.above : sensor.below;
            if (o)
                for (const analysis::Excursion &e : o->excursions)
                    events.push_back({sensor.quantity, above, e});
        }
    }
    *total = int(events.size());
    std::stable_sort(events.begin(), events.end(), [](const Event &a, const Event &b) {
        return a.excursion.start < b.excursion.start;
    });
    if (events.size() > size_t(kEventsListed))
        events.resize(size_t(kEventsListed));
    return events;
}

QString column(const QString &text, int width)
{
    return text.leftJustified(width);
}

QStringList eventLines(const analysis::Summary &s)
{
    int total = 0;
    const std::vector<Event> events = firstEvents(s, &total);
    if (total == 0)
        return {QStringLiteral("Excursions:     none")};
    QStringList lines{QStringLiteral("Excursions:     %1 (the first %2 listed)")
                          .arg(total)
                          .arg(std::min(total, kEventsListed)),
                      column(QStringLiteral("Sensor"), 14) + column(QStringLiteral("Limit"), 6) +
                          column(QStringLiteral("Start"), 21) + column(QStringLiteral("End"), 21) +
                          column(QStringLiteral("Duration"), 13) + QStringLiteral("Extreme")};
    for (const Event &e : events) {
        const analysis::Excursion &x = e.excursion;
        lines << column(analysis::caption(e.quantity), 14) +
                     column(e.above ? QStringLiteral("high") : QStringLiteral("low"), 6) +
                     column(analysis::momentText(x.start), 21) +
                     column(analysis::momentText(x.end), 21) +
                     column(analysis::durationText(x.seconds), 13) +
                     analysis::valueText(e.quantity, x.extreme, s.fahrenheit) + QLatin1Char(' ') +
                     analysis::unit(e.quantity, s.fahrenheit) +
                     (x.failed > 0 ? QLatin1Char(' ') + analysis::failedIncludedText(x.failed)
                                   : QString());
    }
    return lines;
}

// Prints the lines in one size, the largest up to kTextPoints at which the widest fits.
void printFitted(PrintSurface &surface, const QStringList &lines)
{
    surface.setFontSize(kTextPoints);
    double widest = 0;
    for (const QString &l : lines)
        widest = std::max(widest, surface.textWidth(l));
    if (widest > surface.scaleWidth())
        surface.setFontSize(std::floor(2 * kTextPoints * surface.scaleWidth() / widest) / 2);
    for (const QString &l : lines)
        surface.printLine(l);
}

// Page 1: the listing's page head with the program's title, then the figures.
void printFigures(PrintSurface &surface, const ReadingSet &set, const printout::PrintInputs &in,
                  const RunSummary &run, const ReportRecord &record, const RunDocument &doc)
{
    printout::DataPrintout head(surface, set, in);
    head.Prn_Logo();
    head.Prn_Title();
    surface.setFontSize(kTextPoints);
    surface.printLine(QString());
    surface.printLine(QStringLiteral("Report made:    ") + analysis::momentText(record.madeAt));
    printFitted(surface, recordLines(record, doc));
    surface.printCentred(analysis::verdictText(run.summary.verdict), surface.currentY() + 1,
                         kVerdictPoints);
    surface.setFontSize(kTextPoints);
    surface.printLine(QString());
    QStringList lines = analysis::summaryText(run.summary, run.header).split(QLatin1Char('\n'));
    lines << eventLines(run.summary);
    printFitted(surface, lines);
}

void drawLimits(printout::GraphPrintout &graph, const analysis::Summary &s)
{
    for (const analysis::SensorSummary &sensor : s.sensors) {
        const bool humidity = sensor.quantity == analysis::Quantity::Humidity;
        if (sensor.limits.high)
            graph.Graph_LimitLine(*sensor.limits.high, humidity,
                                  printout::GraphPrintout::kHighLimitColour);
        if (sensor.limits.low)
            graph.Graph_LimitLine(*sensor.limits.low, humidity,
                                  printout::GraphPrintout::kLowLimitColour);
    }
}

} // namespace

printout::PrintResult printReport(QPagedPaintDevice &device, const RunDocument &doc,
                                  const ReportRecord &record)
{
    const ReadingSet &set = doc.set();
    const RunSummary run = summaryOf(doc);
    printout::PrintInputs in;
    in.title = appinfo::title();

    PrintSurface surface(device);
    printout::DataPrintout listing(surface, set, in);
    if (!listing.Prn_Setup())
        return printout::PrintResult::NotStarted;
    printFigures(surface, set, in, run, record, doc);

    printout::GraphPrintout graph(surface, set, in);
    graph.Graph_Setup();
    graph.Graph_Grid();
    graph.Graph_Trace();
    drawLimits(graph, run.summary);
    graph.Graph_Labels();
    graph.Graph_Pictures();
    graph.Graph_Header();

    listing.Prn_Setup();
    listing.Prn_Logo();
    listing.Prn_Title();
    listing.setLineMark([&set, &run](int row) { return limitMark(set, run.summary, row); });
    listing.Prn_All();
    return listing.Prn_End() ? printout::PrintResult::Printed : printout::PrintResult::Failed;
}

QByteArray reportPdf(const RunDocument &doc, const ReportRecord &record, QString *error)
{
    // A run without readings has nothing to report; no file is written of it.
    if (doc.readingCount() < 1) {
        *error = kNothingToReport;
        return {};
    }
    const QByteArray pdf = printout::drawnPdf(
        appinfo::title(),
        [&](QPdfWriter &writer) {
            return printReport(writer, doc, record) == printout::PrintResult::Printed;
        },
        error);
    if (pdf.isEmpty())
        return {};
    const pdfattach::Attached attached =
        pdfattach::attach(pdf, {attachmentName(doc, record), doc.fileBytes(),
                                       brv2::kMimeType, figuresJson(doc, record)});
    if (!attached.ok())
        *error = attached.why;
    return attached.pdf;
}

bool writeReport(const RunDocument &doc, const ReportRecord &record, const QString &path,
                 QString *error, QByteArray *pdf)
{
    QString why;
    const QByteArray bytes = reportPdf(doc, record, &why);
    if (bytes.isEmpty() || !outputfile::write(path, bytes, &why)) {
        if (error)
            *error = why;
        return false;
    }
    if (pdf)
        *pdf = bytes;
    return true;
}

bool writeReport(const RunDocument &doc, const QString &path, const QDateTime &madeAt,
                 QString *error)
{
    return writeReport(doc, recordOf(doc, madeAt, nullptr), path, error);
}

Outcome reportToPdf(const RunDocument &doc, Prompter &prompter,
                    const std::function<bool(const QString &path)> &open, const QDateTime &madeAt,
                    archive::ArchiveDb *db, OutputTrail *trail)
{
    if (doc.readingCount() < 1) {
        prompter.message(kNothingToReport, appinfo::title(), Prompter::Icon::Information);
        return Outcome::NothingToReport;
    }
    QString path = prompter.saveFileName(kReportTitle, kPdfFilter);
    if (path.isEmpty())
        return Outcome::Cancelled;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".pdf");
    QString error;
    const ReportRecord record = recordOf(doc, madeAt, db);
    QByteArray pdf;
    if (!writeReport(doc, record, path, &error, &pdf)) {
        prompter.message(outputfile::failureText(path, error), appinfo::title(),
                         Prompter::Icon::Critical);
        return Outcome::NotWritten;
    }
    if (db && trail) {
        const QString note = trail->written(*db, archive::action::kReport, record.sha256,
                                            reportDetails(pdf, path, record.sha256));
        if (!note.isEmpty())
            prompter.message(note, appinfo::title(), Prompter::Icon::Warning);
    }
    if (open(path))
        return Outcome::Opened;
    prompter.message(kReportWritten.arg(QDir::toNativeSeparators(path)), appinfo::title(),
                     Prompter::Icon::Information);
    return Outcome::NotOpened;
}

} // namespace report
