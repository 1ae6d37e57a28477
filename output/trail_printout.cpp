#include "output/trail_printout.h"

#include "archive/archive_texts.h"
#include "archive/trail_listing.h"
#include "common/output_file.h"
#include "output/data_printout.h"
#include "output/pdf_drawing.h"
#include "output/print_surface.h"

#include <QPdfWriter>

#include <algorithm>
#include <cmath>

namespace trailprint {
namespace {

constexpr double kHeadingPoints = 11;
constexpr double kEventPoints = 8;
// Details and reason stand this many characters in from the event's line.
constexpr int kIndent = 4;

// `text` cut into pieces of at most `width` characters; one empty piece for an empty text.
QStringList wrapped(const QString &text, int width)
{
    QStringList pieces;
    for (qsizetype at = 0; at < text.size(); at += width)
        pieces << text.mid(at, width);
    return pieces.isEmpty() ? QStringList{QString()} : pieces;
}

void printEvent(PrintSurface &surface, const archive::AuditEvent &e, int columns)
{
    const QStringList f = archive::eventFields(e);
    // Event, time, user, computer, action, run: one line, as wide as they need.
    const QString line = QStringLiteral("%1  %2  %3  %4  %5  %6")
                             .arg(f.at(0), f.at(1), f.at(2), f.at(3), f.at(4), f.at(5));
    for (const QString &piece : wrapped(line, columns))
        surface.printLine(piece);
    const QString indent(kIndent, QLatin1Char(' '));
    for (int i : {6, 7}) {
        if (f.at(i).isEmpty())
            continue;
        const QString labelled = archivetext::kEventHeadings.at(i) + QStringLiteral(": ") + f.at(i);
        for (const QString &piece : wrapped(labelled, columns - kIndent))
            surface.printLine(indent + piece);
    }
}

} // namespace

bool printTrail(QPagedPaintDevice &device, const QList<archive::AuditEvent> &events,
                const TrailHeading &heading)
{
    PrintSurface surface(device);
    if (!surface.begin(QPageLayout::Landscape))
        return false;
    surface.setCharacterScale();
    surface.setFontFamily(printout::kListingFamilies);
    surface.setFontSize(kHeadingPoints);
    const QDateTime printed = heading.printed.toUTC();
    surface.printLine(archivetext::kTrailPrinted.arg(
        archive::timeWithOffset(printed, heading.printed.toLocalTime().offsetFromUtc()),
        heading.archive));
    surface.printLine(heading.filter.isEmpty() ? archivetext::kTrailUnfiltered
                                               : archivetext::kTrailFilter.arg(heading.filter));
    surface.printLine(events.size() == 1 ? archivetext::kOneEvent
                                         : archivetext::kEventCount.arg(events.size()));
    surface.printLine(QString());
    surface.setFontSize(kEventPoints);
    // A fixed-pitch face: every character as wide as an M.
    const int columns =
        std::max(kIndent + 10, int(std::floor(surface.scaleWidth() / surface.textWidth(u"M"))));
    for (const archive::AuditEvent &e : events)
        printEvent(surface, e, columns);
    return surface.end();
}

bool writeTrailPdf(const QList<archive::AuditEvent> &events, const TrailHeading &heading,
                   const QString &path, QString *error)
{
    QString why;
    const QByteArray pdf = printout::drawnPdf(
        archivetext::kAuditTrailTitle,
        [&](QPdfWriter &writer) { return printTrail(writer, events, heading); }, &why);
    if (pdf.isEmpty() || !outputfile::write(path, pdf, &why)) {
        if (error)
            *error = why;
        return false;
    }
    return true;
}

} // namespace trailprint
