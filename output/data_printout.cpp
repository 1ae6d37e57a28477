#include "output/data_printout.h"

#include "acquisition/reading_set.h"
#include "acquisition/readings_table.h"
#include "common/datetext.h"
#include "common/messages.h"
#include "common/model_codes.h"
#include "common/numfmt.h"
#include "common/text_from_file.h"
#include "output/print_surface.h"

#include <algorithm>
#include <cmath>

namespace printout {
namespace {

using namespace tablecol;
// "Active Sheet" prints the rows of one screenful of the table.
constexpr int kSheetRows = 18;

constexpr double kTitlePoints = 18;
constexpr double kListingPoints = 10;

// A value cell in a picture pattern, from the number it shows; a cell without one ("***")
// stays as it is.
void appendFormatted(QString &line, const ReadingsTable &t, int r, int c, const char *pattern)
{
    if (const std::optional<double> v = t.number(r, c))
        line.append(numfmt::picture(*v, pattern));
    else
        line.append(t.text(r, c));
}

// CO2 is listed in whole ppm; the table already holds whole numbers, a typed or older value
// with decimals is rounded like every explicit rounding of the program.
void appendWholeNumber(QString &line, const ReadingsTable &t, int r, int c)
{
    if (const std::optional<double> v = t.number(r, c))
        line.append(numfmt::picture(numfmt::roundHalfEven(*v), "#0"));
    else
        line.append(t.text(r, c));
}

} // namespace

DataPrintout::DataPrintout(PrintSurface &surface, const ReadingSet &set, const PrintInputs &in)
    : m_surface(surface), m_set(set), m_in(in)
{}

bool DataPrintout::Prn_Setup()
{
    if (!m_surface.begin(QPageLayout::Portrait))
        return false;
    m_surface.setUserScale(m_surface.paperWidth(), m_surface.paperHeight());
    m_surface.setFontFamily(kListingFamilies);
    m_surface.setLineWidth(1);
    return true;
}

void DataPrintout::Prn_Logo()
{
    const double w = m_surface.paperWidth();
    const double h = m_surface.paperHeight();
    m_surface.setUserScale(w, h);
    // The logo's right edge lies about 4/33 of the width from the right edge of the page.
    const double p = kLogoWidthPx * PrintSurface::kTwipsPerPixel;
    const double x = w - (std::round(4 * w) / 33 + p);
    const double y = std::round(2 * h) / 25;
    m_surface.picture(kLogoPicture, QPointF(x, y),
                      QSizeF(p, kLogoHeightPx * PrintSurface::kTwipsPerPixel));
}

void DataPrintout::Prn_Title()
{
    m_surface.setCharacterScale();
    m_surface.setItalic(false);
    m_surface.printCentred(m_in.title, 2, kTitlePoints);
}

QString DataPrintout::headingLine() const
{
    const QString &unit = m_set.Cels_Faren == 0 ? msg::kPrnTempF : msg::kPrnTempC;
    QString line = msg::kPrnBlank + msg::kPrnSlNo + msg::kPrnDate + msg::kPrnBlank + msg::kPrnTime;
    switch (model::family(m_set.MODEL)) {
    case model::Family::Temperature:
        line += msg::kPrnBlank + unit;
        break;
    case model::Family::Humidity:
        line += msg::kPrnBlank + unit + msg::kPrnBlank + msg::kPrnRh;
        break;
    case model::Family::Voltage:
        line += msg::kPrnBlank + msg::kPrnVolt;
        break;
    case model::Family::CO2:
        line += msg::kPrnBlank + msg::kPrnCo2;
        break;
    case model::Family::Unknown:
        break;
    }
    return line;
}

QString DataPrintout::readingLine(int r) const
{
    const ReadingsTable &t = m_set.table();
    QString line;
    line.reserve(48);
    line.append(msg::kPrnBlank);
    appendFormatted(line, t, r, kNumberCol, "#000");
    line.append(t.text(r, kDateCol));
    line.append(msg::kPrnBlank);
    line.append(t.text(r, kTimeCol));
    switch (model::family(m_set.MODEL)) {
    case model::Family::Temperature:
        line.append(msg::kPrnBlank);
        appendFormatted(line, t, r, kValueCol, "#00.0");
        break;
    case model::Family::Humidity:
        line.append(msg::kPrnBlank);
        appendFormatted(line, t, r, kValueCol, "#00.0");
        line.append(msg::kPrnBlank);
        appendFormatted(line, t, r, kHumidityCol, "#00.0");
        break;
    case model::Family::Voltage:
        line.append(msg::kPrnBlank);
        appendFormatted(line, t, r, kValueCol, "#0.000");
        break;
    case model::Family::CO2:
        line.append(msg::kPrnBlank);
        appendWholeNumber(line, t, r, kValueCol);
        break;
    case model::Family::Unknown:
        break;
    }
    return line;
}

void DataPrintout::header()
{
    m_surface.setCharacterScale();
    m_surface.setFontSize(kListingPoints);
    m_surface.setItalic(false);
    m_surface.printLine(QString());
    m_surface.printLine(QString());
    m_surface.printLine({msg::kPrnSerialNo, textfromfile::shown(m_set.SerialText())});
    m_surface.printLine(QString());
    m_surface.printLine({msg::kPrnLocation, textfromfile::shown(m_set.locationCaption())});
    m_surface.printLine(QString());
    m_surface.printLine(QString());
    m_surface.printLine(headingLine());
    m_surface.printLine(QString());
}

void DataPrintout::printReading(int r)
{
    if (m_mark)
        m_surface.printLine({readingLine(r), m_mark(r)});
    else
        m_surface.printLine(readingLine(r));
    ++m_lines;
}

void DataPrintout::Prn_All()
{
    header();
    const int n = m_set.table().rows() - 1;
    for (int r = 1; r <= n; ++r)
        printReading(r);
}

void DataPrintout::Prn_Range()
{
    const QDate d1 = m_in.startDate;
    const QDate d2 = m_in.endDate;
    const QTime t1 = datetext::parseTypedTime(m_in.startTime);
    const QTime t2 = datetext::parseTypedTime(m_in.endTime);
    header();

    const ReadingsTable &t = m_set.table();
    const int n = t.rows() - 1;
    if (d1.isValid() && d2.isValid() && t1.isValid() && t2.isValid()) {
        for (int r = 1; r <= n; ++r) {
            const QDate date = t.date(r);
            if (!date.isValid() || date < d1 || date > d2)
                continue;
            // The time window applies to every day of the span on its own.
            const QTime time = t.time(r);
            if (!time.isValid() || time < t1 || time > t2)
                continue;
            printReading(r);
        }
    }
}

void DataPrintout::Prn_Sheet()
{
    header();
    const int n = m_set.table().rows() - 1;
    const int first = std::max(1, m_in.topRow);
    const int last = std::min(n, first + kSheetRows - 1);
    for (int r = first; r <= last; ++r)
        printReading(r);
}

bool DataPrintout::Prn_End()
{
    return m_surface.end();
}

PrintResult Data_prnt(QPagedPaintDevice &device, const ReadingSet &set, const PrintInputs &in)
{
    PrintSurface surface(device);
    DataPrintout p(surface, set, in);
    if (!p.Prn_Setup())
        return PrintResult::NotStarted;
    p.Prn_Logo();
    p.Prn_Title();
    switch (in.selection) {
    case Selection::All:
        p.Prn_All();
        break;
    case Selection::Range:
        p.Prn_Range();
        break;
    case Selection::ActiveSheet:
        p.Prn_Sheet();
        break;
    case Selection::None:
        break;
    }
    return p.Prn_End() ? PrintResult::Printed : PrintResult::Failed;
}

std::optional<Bound> invalidTimeBound(const PrintInputs &in)
{
    if (in.selection != Selection::Range)
        return std::nullopt;
    if (!datetext::parseTypedTime(in.startTime).isValid())
        return Bound::Start;
    if (!datetext::parseTypedTime(in.endTime).isValid())
        return Bound::End;
    return std::nullopt;
}

} // namespace printout
