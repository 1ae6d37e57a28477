#pragma once

#include "view/graph_scales.h"
#include "view/graph_view.h"

#include <QImage>
#include <QPoint>
#include <QRgb>

#include <algorithm>
#include <optional>
#include <vector>

class ReadingsTable;

namespace graph {

class GraphSeries;

// Trace colours. The cursor tells the traces apart by exactly these pixel colours, so nothing
// else in the picture uses them and traces are drawn without antialiasing.
inline constexpr QRgb kValueColour = 0xffff0000;    // RGB(255, 0, 0)
inline constexpr QRgb kHumidityColour = 0xff0000ff; // RGB(0, 0, 255)
inline constexpr QRgb kBackground = 0xffffffff;
inline constexpr QRgb kGridColour = 0xffd4d4d4;
inline constexpr QRgb kFrameColour = 0xff909090;
// Limit lines: a high limit dark orange, a low limit teal; neither is a trace colour.
inline constexpr QRgb kHighLimitColour = 0xffd07000;
inline constexpr QRgb kLowLimitColour = 0xff0090a0;

// A limit drawn across the graph: a dashed horizontal line at `value` on the scale of the
// value trace (column 3) or the humidity trace (column 4).
struct LimitLine
{
    int column = 3;
    double value = 0;
    QRgb colour = kHighLimitColour;
};

// The few pixel shapes the picture is made of. The redraw and anything that wants to draw the
// same picture another way (a test's plain reference drawing) use these, so both agree to the
// pixel. Coordinates are picture pixels; everything is clipped to the picture.
namespace raster {

// A filled marker disc: `half[dx + reach]` rows either side of the centre in column dx.
struct Disc
{
    int reach = 0;
    std::vector<int> half;
};
Disc disc(double radiusPixels);

// Far enough off the picture to be out of sight, near enough for plain integer arithmetic.
inline constexpr double kFar = double(1 << 28);

// The whole pixel of a (fractional) picture coordinate, halves up; far-off coordinates stay
// far off and NaN is far off.
inline int whole(double v)
{
    if (!(v >= -kFar)) // below, or NaN
        return v < 0 ? -int(kFar) : int(kFar);
    const double x = std::min(v, kFar) + 0.5;
    const int i = int(x);
    return i - (x < double(i));
}

// The same for a coordinate known to be a number.
inline int wholeFinite(double v)
{
    const double x = std::clamp(v, -kFar, kFar) + 0.5;
    const int i = int(x);
    return i - (x < double(i));
}

// The pixel of a point given in (fractional) picture pixels.
inline QPoint pixelOf(double px, double py)
{
    return QPoint(whole(px), whole(py));
}

// Rows [y0, y1] of column c covered by the line from a to b (a.x() < b.x(), a.x() <= c <= b.x()).
void segmentRows(QPoint a, QPoint b, int c, int &y0, int &y1);

void fillColumn(QImage &image, int x, int y0, int y1, QRgb colour);
void drawSegment(QImage &image, QPoint a, QPoint b, QRgb colour);
void drawMarker(QImage &image, QPoint centre, const Disc &disc, QRgb colour);

} // namespace raster

// Where the readings of one trace land in a picture of `pixels` showing `view`, for a table of
// `rows` rows on a scale from `top` (y = 0) down to `bottom` (y = H): row r at
// x = (r - 1) W / (rows - 2), so the first reading is at the left edge and the last at W.
class Placement
{
public:
    Placement(const View &view, QSize pixels, int rows, double top, double bottom);
    QPoint at(int row, double value) const;
    // The pixel column of a row and the pixel row of a value: at(row, value) in two halves.
    int column(int row) const { return raster::whole(m_ax + m_bx * (row - 1)); }
    int pixelRow(double value) const { return raster::whole(m_ay + m_by * value); }
    double ax() const { return m_ax; } // pixel column of row 1
    double bx() const { return m_bx; } // pixel columns from one row to the next
    double ay() const { return m_ay; } // pixel row of the value 0
    double by() const { return m_by; } // pixel rows per value unit

private:
    double m_ax = 0, m_bx = 0, m_ay = 0, m_by = 0;
};

// One trace: the numbers per grid row (NaN = no reading) and the scale it is drawn on.
struct Trace
{
    const std::vector<double> *values = nullptr;
    double top = 0;    // value at y = 0
    double bottom = 0; // value at y = H
    QRgb colour = kValueColour;
};

// The picture: white ground, the fixed 10 x 10 grid (it stays put on screen whatever the view).
void clearPicture(QImage &image);

// Draws the traces of grid rows 1 .. rows-1 onto `image` showing `view`: row r at
// x = (r - 1) W / (rows - 2), a value v at y = H - (v - bottom) H / (top - bottom); a line
// between neighbouring readings and a filled marker of radius `r` (plot units) at every reading;
// a missing reading leaves a gap with no marker and no line into or out of it. Step by step the
// value trace is drawn before the humidity trace.
//
// Only what reaches the picture is drawn, and within one pixel column only what changes
// pixels: the vertical extent of the readings there, the lines into and out of the column, and
// one marker per distinct pixel.
void drawTraces(QImage &image, const View &view, double r, int rows, const Trace *traces,
                int traceCount);

// DRAW_GRAPH's picture and axis texts from the table: scales from the whole table, the traces of
// the model, the labels of the visible part. With fewer than two readings the picture is only
// cleared and there are no texts (the labels keep theirs).
class GraphRenderer
{
public:
    explicit GraphRenderer(GraphSeries &series);

    std::optional<AxisTexts> draw(QImage &image, int model, const View &view, double r);
    Bounds bounds(int model);

    // The limit lines drawn under the traces from the next draw on.
    void setLimitLines(std::vector<LimitLine> lines) { m_limitLines = std::move(lines); }
    const std::vector<LimitLine> &limitLines() const { return m_limitLines; }

private:
    void drawLimitLines(QImage &image, int model, const View &view, const Bounds &b) const;

    GraphSeries &m_series;
    std::vector<LimitLine> m_limitLines;
};

} // namespace graph
