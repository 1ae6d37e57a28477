#include "output/graph_printout.h"

#include "acquisition/graph_scale.h"
#include "acquisition/reading_set.h"
#include "acquisition/readings_table.h"
#include "acquisition/table_queries.h"
#include "common/datetext.h"
#include "common/messages.h"
#include "common/model_codes.h"
#include "common/numfmt.h"
#include "common/text_from_file.h"
#include "output/print_surface.h"

#include <QTimeZone>

#include <algorithm>
#include <cmath>

namespace printout {
namespace {

using namespace tablecol;

constexpr double kLineWidth = 2;
constexpr double kTitlePoints = 18;
constexpr double kLabelPoints = 8;
constexpr double kCaptionPoints = 18;
constexpr double kNotePoints = 12;
constexpr double kHeaderPoints = 8;
// Shortest label the value scale is laid out for: longer ones (CO2) grow to the left, away
// from the grid.
const QString kLabelWidthSample = QStringLiteral("00.0");

const QStringList kGraphFamilies{QStringLiteral("Times New Roman"),
                                 QStringLiteral("Liberation Serif"),
                                 QStringLiteral("DejaVu Serif"), QStringLiteral("serif")};

QString scaleText(double v)
{
    return numfmt::picture(numfmt::roundHalfEven(v, 1), "#0.0");
}

// A moment of the table or the dialog, free of time zones and summer time.
QDateTime moment(const QDate &date, const QTime &time)
{
    if (!date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, QTime(time.hour(), time.minute(), time.second()), QTimeZone::utc());
}

} // namespace

GraphGeometry GraphGeometry::forPaper(double w, double h)
{
    GraphGeometry g;
    g.W = w;
    g.H = h;
    g.dx = w / 31;
    g.dy = h / 21;
    g.GW = numfmt::toInt16HalfEven(w - std::round(8 * w) / 31);
    g.GH = h - std::round(5 * h) / 21;
    g.xg = g.GW / 10;
    g.yg = g.GH / 10;
    g.left = 4 * g.dx;
    g.right = g.left + g.GW;
    g.top = 3 * g.dy;
    g.bottom = g.top + g.GH;
    return g;
}

GraphPrintout::GraphPrintout(PrintSurface &surface, const ReadingSet &set, const PrintInputs &in)
    : m_surface(surface), m_set(set), m_in(in)
{}

bool GraphPrintout::drawsValue() const
{
    return graphscale::drawsValue(m_set.MODEL);
}

bool GraphPrintout::drawsHumidity() const
{
    return graphscale::drawsHumidity(m_set.MODEL);
}

bool GraphPrintout::Graph_Setup()
{
    if (!m_surface.begin(QPageLayout::Landscape))
        return false;
    m_g = GraphGeometry::forPaper(m_surface.paperWidth(), m_surface.paperHeight());
    m_surface.setUserScale(m_g.W, m_g.H);
    m_surface.setLineWidth(kLineWidth);
    // One face for every text of the page, the title included.
    m_surface.setFontFamily(kGraphFamilies);
    return true;
}

void GraphPrintout::Graph_Grid()
{
    for (int j = 0; j <= 10; ++j) {
        const double y = m_g.top + j * m_g.yg;
        m_surface.line(QPointF(m_g.left, y), QPointF(m_g.right, y), Qt::black);
    }
    for (int j = 0; j <= 10; ++j) {
        const double x = m_g.left + j * m_g.xg;
        m_surface.line(QPointF(x, m_g.bottom), QPointF(x, m_g.top), Qt::black);
    }
}

GraphPrintout::Scale GraphPrintout::scaleOf(int column, int f, int t) const
{
    const graphscale::Range r = graphscale::ofRows(m_set.table(), column, f, t);
    return Scale{r.top, r.bottom, m_g.GH / (r.top - r.bottom)};
}

GraphPrintout::Scale GraphPrintout::valueScale(int f, int t) const
{
    return scaleOf(tablequery::kValueColumn, f, t);
}

GraphPrintout::Scale GraphPrintout::humidityScale(int f, int t) const
{
    return scaleOf(tablequery::kHumidityColumn, f, t);
}

void GraphPrintout::trace(int f, int t)
{
    if (!drawsValue() || t - f < 1)
        return;
    const ReadingsTable &table = m_set.table();
    const bool humidity = drawsHumidity();
    const Scale v = valueScale(f, t);
    const Scale h = humidity ? humidityScale(f, t) : Scale{};
    const double step = m_g.GW / (t - f);
    const auto x = [&](int r) { return m_g.left + (r - f) * step; };
    const auto y = [&](double value, const Scale &s) {
        return m_g.top + m_g.GH - (value - s.min) * s.k;
    };

    // Each step draws its value segment, then its humidity segment, so where the traces cross
    // the later step lies on top. A step first marks the reading it starts from; when that
    // marker ended the previous step and nothing has been drawn since (one trace only), it is
    // already there and is not drawn twice.
    const bool redrawStart = humidity;
    double prevV = 0, prevH = 0;
    bool havePrevV = tablequery::cellNumber(table, f, kValueCol, &prevV);
    bool havePrevH = humidity && tablequery::cellNumber(table, f, kHumidityCol, &prevH);
    bool markedV = false;
    for (int r = f + 1; r <= t; ++r) {
        double cur = 0;
        const bool haveV = tablequery::cellNumber(table, r, kValueCol, &cur);
        if (havePrevV) {
            const QPointF a(x(r - 1), y(prevV, v));
            if (!markedV || redrawStart)
                Mark_Filled(a.x(), a.y(), kValueColour);
            if (haveV) {
                const QPointF b(x(r), y(cur, v));
                m_surface.line(a, b, kValueColour);
                Mark_Filled(b.x(), b.y(), kValueColour);
            }
        }
        markedV = havePrevV && haveV;
        havePrevV = haveV;
        prevV = cur;

        if (humidity) {
            double curH = 0;
            const bool haveH = tablequery::cellNumber(table, r, kHumidityCol, &curH);
            if (havePrevH) {
                const QPointF a(x(r - 1), y(prevH, h));
                Mark_Open(a.x(), a.y(), kHumidityColour);
                if (haveH) {
                    const QPointF b(x(r), y(curH, h));
                    m_surface.line(a, b, kHumidityColour);
                    Mark_Open(b.x(), b.y(), kHumidityColour);
                }
            }
            havePrevH = haveH;
            prevH = curH;
        }
    }
}

void GraphPrintout::Graph_Trace()
{
    // Two readings at least; with fewer the page keeps its grid and labels without a trace.
    const int t = m_set.table().rows() - 1;
    if (t >= 2)
        trace(1, t);
}

void GraphPrintout::Graph_LimitLine(double value, bool humidity, const QColor &colour)
{
    const int t = m_set.table().rows() - 1;
    if (t < 1 || (humidity ? !drawsHumidity() : !drawsValue()))
        return;
    const Scale s = humidity ? humidityScale(1, t) : valueScale(1, t);
    if (value < s.min || value > s.max)
        return;
    const double y = m_g.top + m_g.GH - (value - s.min) * s.k;
    m_surface.line(QPointF(m_g.left, y), QPointF(m_g.right, y), colour, Qt::DashLine);
}

void GraphPrintout::findRange()
{
    // The time lists hold table texts; a time typed in another form is matched by the text
    // the table would show for it.
    const auto tableText = [](const QString &typed) {
        const QTime t = datetext::parseTypedTime(typed);
        return t.isValid() ? datetext::timeText(t) : typed;
    };
    const ReadingsTable &table = m_set.table();
    m_startRow = tablequery::Find_StartRow(table, m_in.startDate, tableText(m_in.startTime));
    m_endRow = tablequery::Find_EndRow(table, m_in.endDate, tableText(m_in.endTime));
    // A bound that is not in the table, or an end before the start, holds no reading: the
    // heading row must never be taken for one.
    m_rangeFound = m_startRow >= 1 && m_endRow >= m_startRow;
}

void GraphPrintout::Graph_TraceRange()
{
    findRange();
    if (!m_rangeFound) {
        noteInGrid(msg::kNoReadingInRange);
        return;
    }
    // A span of fewer than four readings is not drawn.
    if (m_endRow - m_startRow >= 3)
        trace(m_startRow, m_endRow);
}

void GraphPrintout::Mark_Filled(double x, double y, const QColor &color)
{
    m_surface.circle(QPointF(x, y), m_in.markerRadius, color, PrintSurface::FillStyle::Solid);
}

void GraphPrintout::Mark_Open(double x, double y, const QColor &color)
{
    m_surface.circle(QPointF(x, y), m_in.markerRadius, color, PrintSurface::FillStyle::Transparent);
}

void GraphPrintout::scales(int f, int t)
{
    m_surface.setFontFamily(kGraphFamilies);
    m_surface.setFontSize(kLabelPoints);
    m_surface.setItalic(true);
    if (drawsValue()) {
        const Scale v = valueScale(f, t);
        const double x0 = m_g.left - 0.4 * m_g.xg;
        const double rightEdge = x0 + m_surface.textWidth(kLabelWidthSample);
        for (int j = 0; j <= 10; ++j) {
            const QString text = scaleText(v.max - j * (v.max - v.min) / 10);
            const double x = std::min(x0, rightEdge - m_surface.textWidth(text));
            m_surface.moveTo(x, m_g.top + j * m_g.yg - m_g.yg / 8);
            m_surface.printAt(text);
            m_valueLabelsLeft = std::min(m_valueLabelsLeft, x);
        }
    }
    if (drawsHumidity()) {
        const Scale h = humidityScale(f, t);
        const double x = m_g.W - 3.8 * m_g.dx;
        for (int j = 0; j <= 10; ++j) {
            const QString text = scaleText(h.max - j * (h.max - h.min) / 10);
            m_surface.moveTo(x, m_g.top + j * m_g.yg - m_g.yg / 8);
            m_surface.printAt(text);
            m_humidityLabelsRight = std::max(m_humidityLabelsRight, x + m_surface.textWidth(text));
        }
    }
}

void GraphPrintout::timeAxis(const QDateTime &t0, const QDateTime &t1)
{
    m_surface.setFontFamily(kGraphFamilies);
    m_surface.setFontSize(kLabelPoints);
    m_surface.setItalic(true);
    if (!t0.isValid() || !t1.isValid())
        return;
    const qint64 span = t0.secsTo(t1);
    for (int j = 0; j <= 5; ++j) {
        // Evenly spaced in time, to the nearest second: these are not reading times.
        const QDateTime tj = t0.addSecs(qint64(std::llround(double(span) * j / 5)));
        const double x = m_g.left + 2 * j * m_g.xg - 0.3 * m_g.xg;
        m_surface.moveTo(x, m_g.bottom + 0.6 * m_g.dy);
        m_surface.printAt(datetext::timeText(tj.time()));
        m_surface.moveTo(x, m_g.bottom + 1.2 * m_g.dy);
        m_surface.printAt(datetext::dateText(tj.date()));
    }
}

void GraphPrintout::unitCaptions()
{
    m_surface.setFontSize(kCaptionPoints);
    const double y = m_g.top + 5 * m_g.yg - m_g.yg / 8;
    // Beside the scales at half height. A caption wider than the room left for it (CO2, or
    // long scale labels) moves outwards rather than over the labels.
    const double gap = 0.1 * m_g.dx;
    const QString &right = m_set.humidityUnitCaption();
    m_surface.moveTo(std::max(m_g.W - 3 * m_g.dx, m_humidityLabelsRight + gap), y);
    m_surface.printAt(right);
    const QString &left = m_set.valueUnitCaption();
    const double leftX = 3 * m_g.dx - 0.4 * m_g.xg;
    m_surface.moveTo(std::max(0.0, std::min(leftX, m_valueLabelsLeft - gap
                                                       - m_surface.textWidth(left))),
                     y);
    m_surface.printAt(left);
}

void GraphPrintout::Graph_Labels()
{
    const ReadingsTable &table = m_set.table();
    const int t = table.rows() - 1;
    if (t >= 1) {
        scales(1, t);
        timeAxis(table.readingTime(1), table.readingTime(t));
    }
    unitCaptions();
}

void GraphPrintout::Graph_LabelsRange()
{
    if (m_rangeFound)
        scales(m_startRow, m_endRow);
    // The time axis spans what the user chose, not the rows found.
    timeAxis(moment(m_in.startDate, datetext::parseTypedTime(m_in.startTime)),
             moment(m_in.endDate, datetext::parseTypedTime(m_in.endTime)));
    unitCaptions();
}

void GraphPrintout::Graph_Pictures()
{
    m_surface.setUserScale(m_g.W, m_g.H);
    const double tw = PrintSurface::kTwipsPerPixel;
    const double p = kLogoWidthPx * tw;
    m_surface.picture(kLogoPicture,
                      QPointF(m_g.W - (std::round(4 * m_g.W) / 31 + p), std::round(2 * m_g.H) / 21),
                      QSizeF(p, kLogoHeightPx * tw));

    QString legend;
    int heightPx = kLegendHeightPx;
    switch (model::family(m_set.MODEL)) {
    case model::Family::Temperature:
        legend = kLegendTemperature;
        break;
    case model::Family::Humidity:
        legend = kLegendTempHumidity;
        heightPx = kLegendTwoLineHeightPx;
        break;
    case model::Family::Voltage:
        legend = kLegendVoltage;
        break;
    case model::Family::CO2:
        legend = kLegendCo2;
        break;
    case model::Family::Unknown:
        return;
    }
    // The legend stands on the grid's top-left corner.
    const double q = heightPx * tw;
    m_surface.picture(legend, QPointF(std::round(4 * m_g.W) / 31, std::round(3 * m_g.H) / 21 - q),
                      QSizeF(kLegendWidthPx * tw, q));
}

void GraphPrintout::Graph_Header()
{
    m_surface.setCharacterScale();
    m_surface.setItalic(false);
    m_surface.printCentred(m_in.title, 2, kTitlePoints);

    const QString line = msg::kPrnGraphSerial + textfromfile::shown(m_set.SerialText())
                         + msg::kPrnGraphLocation + textfromfile::shown(m_set.locationCaption())
                         + msg::kPrnGraphClose;
    m_surface.setFontFamily(kGraphFamilies);
    m_surface.setFontSize(kHeaderPoints);
    m_surface.moveTo((m_surface.scaleWidth() - m_surface.textWidth(line)) / 2, 5);
    m_surface.printLine(line);
}

void GraphPrintout::noteInGrid(const QString &text)
{
    m_surface.setFontFamily(kGraphFamilies);
    m_surface.setFontSize(kNotePoints);
    m_surface.setItalic(false);
    m_surface.moveTo(m_g.left + (m_g.GW - m_surface.textWidth(text)) / 2,
                     m_g.top + (m_g.GH - m_surface.textHeight()) / 2);
    m_surface.printAt(text);
}

PrintResult Graph_Prnt(QPagedPaintDevice &device, const ReadingSet &set, const PrintInputs &in)
{
    PrintSurface surface(device);
    GraphPrintout g(surface, set, in);
    if (!g.Graph_Setup())
        return PrintResult::NotStarted;
    g.Graph_Grid();
    switch (in.selection) {
    case Selection::All:
        g.Graph_Trace();
        g.Graph_Labels();
        break;
    case Selection::Range:
        g.Graph_TraceRange();
        g.Graph_LabelsRange();
        break;
    case Selection::ActiveSheet: // not offered for the graph
    case Selection::None:
        break;
    }
    g.Graph_Pictures();
    g.Graph_Header();
    return surface.end() ? PrintResult::Printed : PrintResult::Failed;
}

} // namespace printout
