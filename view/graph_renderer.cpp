#include "view/graph_renderer.h"

#include "common/numfmt.h"
#include "view/graph_series.h"
#include "view/readings_table.h"

#include <algorithm>
#include <cmath>

namespace graph {

namespace {

// Far enough off the picture to be out of sight, near enough for plain integer arithmetic.
constexpr double kFar = double(1 << 28);
// A marker never needs to be larger than the largest picture.
constexpr double kMaxMarkerRadius = 4096;

// Direct pixel access to a 32-bit picture, clipped.
class Canvas
{
public:
    explicit Canvas(QImage &image)
        : m_bits(reinterpret_cast<QRgb *>(image.bits())), m_stride(image.bytesPerLine() / 4),
          m_w(image.width()), m_h(image.height())
    {}

    int width() const { return m_w; }
    int height() const { return m_h; }

    void column(int x, int y0, int y1, QRgb colour)
    {
        if (x < 0 || x >= m_w)
            return;
        y0 = std::max(y0, 0);
        y1 = std::min(y1, m_h - 1);
        QRgb *p = m_bits + qsizetype(y0) * m_stride + x;
        for (int y = y0; y <= y1; ++y, p += m_stride)
            *p = colour;
    }

    void row(int y, int x0, int x1, QRgb colour)
    {
        if (y < 0 || y >= m_h)
            return;
        x0 = std::max(x0, 0);
        x1 = std::min(x1, m_w - 1);
        std::fill(m_bits + qsizetype(y) * m_stride + x0, m_bits + qsizetype(y) * m_stride + x1 + 1,
                  colour);
    }

    void segment(QPoint a, QPoint b, QRgb colour)
    {
        if (a.x() == b.x()) {
            column(a.x(), std::min(a.y(), b.y()), std::max(a.y(), b.y()), colour);
            return;
        }
        if (a.x() > b.x())
            std::swap(a, b);
        const int c0 = std::max(a.x(), 0);
        const int c1 = std::min(b.x(), m_w - 1);
        for (int c = c0; c <= c1; ++c) {
            int y0 = 0, y1 = 0;
            raster::segmentRows(a, b, c, y0, y1);
            column(c, y0, y1, colour);
        }
    }

    void marker(QPoint centre, const raster::Disc &d, QRgb colour)
    {
        for (int dx = -d.reach; dx <= d.reach; ++dx) {
            const int half = d.half[dx + d.reach];
            column(centre.x() + dx, centre.y() - half, centre.y() + half, colour);
        }
    }

private:
    QRgb *m_bits;
    qsizetype m_stride;
    int m_w;
    int m_h;
};

// The points of one trace that fall into the same pixel column, one after the other without a
// gap: their line segments cover the rows between the lowest and the highest of them, their
// markers the distinct rows marked.
class Group
{
public:
    Group(int pictureHeight, const raster::Disc &disc)
        : m_disc(disc), m_pad(disc.half.empty() ? 0 : disc.half[disc.reach]),
          m_marks(std::size_t(pictureHeight + 2 * m_pad), 0)
    {}

    bool open() const { return m_open; }
    int x() const { return m_x; }
    QPoint last() const { return m_last; }

    void add(QPoint p)
    {
        if (!m_open) {
            m_open = true;
            m_x = p.x();
            m_minY = m_maxY = p.y();
            m_count = 0;
        } else {
            m_minY = std::min(m_minY, p.y());
            m_maxY = std::max(m_maxY, p.y());
        }
        ++m_count;
        m_last = p;
        const int i = p.y() + m_pad;
        if (i >= 0 && i < int(m_marks.size()))
            m_marks[i] = 1;
    }

    void flush(Canvas &cv, QRgb colour)
    {
        if (!m_open)
            return;
        m_open = false;
        cv.column(m_x, m_minY, m_maxY, colour);
        const int lo = std::max(0, m_minY + m_pad);
        const int hi = std::min(int(m_marks.size()) - 1, m_maxY + m_pad);
        if (m_count == 1) {
            if (lo <= hi)
                m_marks[lo] = 0;
            cv.marker(m_last, m_disc, colour);
            return;
        }
        // Runs of marked rows; the markers of one run make one band per column of the disc.
        m_runs.clear();
        for (int i = lo; i <= hi; ++i) {
            if (!m_marks[i])
                continue;
            const int start = i;
            while (i <= hi && m_marks[i])
                m_marks[i++] = 0;
            m_runs.push_back({start - m_pad, i - 1 - m_pad});
        }
        for (int dx = -m_disc.reach; dx <= m_disc.reach; ++dx) {
            const int half = m_disc.half[dx + m_disc.reach];
            for (const QPoint &run : m_runs)
                cv.column(m_x + dx, run.x() - half, run.y() + half, colour);
        }
    }

private:
    const raster::Disc &m_disc;
    int m_pad;
    std::vector<unsigned char> m_marks; // rows holding a marker centre, offset by m_pad
    std::vector<QPoint> m_runs;         // (first row, last row)
    bool m_open = false;
    int m_x = 0;
    int m_minY = 0;
    int m_maxY = 0;
    int m_count = 0;
    QPoint m_last;
};

} // namespace

namespace raster {

Disc disc(double radiusPixels)
{
    const double rr = std::clamp(radiusPixels, 0.0, kMaxMarkerRadius) + 0.5;
    Disc d;
    d.reach = int(std::floor(rr));
    d.half.resize(std::size_t(2 * d.reach + 1));
    for (int dx = -d.reach; dx <= d.reach; ++dx)
        d.half[dx + d.reach] = int(std::floor(std::sqrt(rr * rr - double(dx) * dx)));
    return d;
}

QPoint pixelOf(double px, double py)
{
    const auto whole = [](double v) {
        if (std::isnan(v))
            return int(kFar);
        return int(std::floor(std::clamp(v, -kFar, kFar) + 0.5));
    };
    return QPoint(whole(px), whole(py));
}

void segmentRows(QPoint a, QPoint b, int c, int &y0, int &y1)
{
    // The line's rows over the column's width (half a pixel either side of its centre, within
    // the segment): neighbouring columns meet, so a steep line has no holes.
    const double slope = double(b.y() - a.y()) / double(b.x() - a.x());
    const double xa = std::max(double(a.x()), c - 0.5);
    const double xb = std::min(double(b.x()), c + 0.5);
    const double ya = a.y() + (xa - a.x()) * slope;
    const double yb = a.y() + (xb - a.x()) * slope;
    y0 = int(std::floor(std::clamp(std::min(ya, yb), -kFar, kFar) + 0.5));
    y1 = int(std::floor(std::clamp(std::max(ya, yb), -kFar, kFar) + 0.5));
}

void fillColumn(QImage &image, int x, int y0, int y1, QRgb colour)
{
    Canvas(image).column(x, y0, y1, colour);
}

void drawSegment(QImage &image, QPoint a, QPoint b, QRgb colour)
{
    Canvas(image).segment(a, b, colour);
}

void drawMarker(QImage &image, QPoint centre, const Disc &disc, QRgb colour)
{
    Canvas(image).marker(centre, disc, colour);
}

} // namespace raster

Placement::Placement(const View &view, QSize pixels, int rows, double top, double bottom)
{
    const PixelMap map(view, pixels);
    const double dx = view.W / std::max(1, rows - 2);
    m_ax = map.pixelX(0);
    m_bx = dx * map.sx();
    const double k = view.H / (top - bottom); // plot units per value unit
    // y = H - (v - bottom) k in plot units, then (y - view top) sy in pixels
    m_ay = map.pixelY(view.H + bottom * k);
    m_by = -k * map.sy();
}

QPoint Placement::at(int row, double v) const
{
    return raster::pixelOf(m_ax + m_bx * (row - 1), m_ay + m_by * v);
}

void clearPicture(QImage &image)
{
    if (image.isNull())
        return;
    if (image.format() != QImage::Format_RGB32)
        image = image.convertToFormat(QImage::Format_RGB32);
    image.fill(kBackground);
    Canvas cv(image);
    const int w = cv.width();
    const int h = cv.height();
    for (int k = 0; k <= 10; ++k) {
        const QRgb colour = k == 0 || k == 10 ? kFrameColour : kGridColour;
        cv.column(int(std::lround(k * (w - 1) / 10.0)), 0, h - 1, colour);
        cv.row(int(std::lround(k * (h - 1) / 10.0)), 0, w - 1, colour);
    }
}

void drawTraces(QImage &image, const View &view, double r, int rows, const Trace *traces,
                int traceCount)
{
    if (rows < 3 || image.isNull() || traceCount <= 0 || view.W <= 0 || view.H <= 0)
        return;
    Canvas cv(image);
    const PixelMap map(view, image.size());
    const raster::Disc disc = raster::disc(r * map.sx());

    struct State
    {
        const Trace *trace;
        Placement place;
        Group group;
    };
    std::vector<State> states;
    states.reserve(std::size_t(traceCount));
    for (int i = 0; i < traceCount; ++i) {
        const Trace &t = traces[i];
        if (!t.values || t.top == t.bottom)
            continue;
        states.push_back(State{&t, Placement(view, image.size(), rows, t.top, t.bottom),
                               Group(cv.height(), disc)});
    }
    if (states.empty())
        return;

    // The rows whose lines or markers can reach the picture: those within a marker's reach of
    // it, and one more on either side for the lines that come in from outside.
    const Placement &p0 = states.front().place;
    const double margin = disc.reach + 1;
    const auto rowAt = [&](double px) { return (px - p0.ax()) / p0.bx() + 1; };
    const double lo = std::floor(rowAt(-margin)) - 1;
    const double hi = std::ceil(rowAt(cv.width() - 1 + margin)) + 1;
    const int first = int(std::clamp(lo, 1.0, double(rows - 1)));
    const int last = int(std::clamp(hi, 1.0, double(rows - 1)));

    for (int i = first; i <= last; ++i) {
        for (State &s : states) {
            const Trace &t = *s.trace;
            const double v = i < int(t.values->size()) ? (*t.values)[i] : std::nan("");
            if (std::isnan(v)) {
                s.group.flush(cv, t.colour);
                continue;
            }
            const QPoint p = s.place.at(i, v);
            if (s.group.open() && s.group.x() != p.x()) {
                const QPoint from = s.group.last();
                s.group.flush(cv, t.colour);
                cv.segment(from, p, t.colour);
            }
            s.group.add(p);
            if (i == last)
                s.group.flush(cv, t.colour);
        }
    }
}

GraphRenderer::GraphRenderer(GraphSeries &series) : m_series(series) {}

Bounds GraphRenderer::bounds(int model)
{
    Bounds b;
    const auto whole = [](double v) { return double(numfmt::toInt16HalfEven(v)); };
    if (drawsValue(model)) {
        const GraphSeries::Column &c = m_series.column(3);
        b.Tv = (c.any ? whole(c.max) : 0) + 1;
        b.Bv = (c.any ? whole(c.min) : 0) - 1;
    }
    if (drawsHumidity(model)) {
        const GraphSeries::Column &c = m_series.column(4);
        b.Th = (c.any ? whole(c.max) : 0) + 1;
        b.Bh = (c.any ? whole(c.min) : 0) - 1;
    }
    return b;
}

std::optional<AxisTexts> GraphRenderer::draw(QImage &image, int model, const View &view, double r)
{
    const ReadingsTable &table = m_series.table();
    clearPicture(image);
    if (table.rows() < 3)
        return std::nullopt;
    AxisTexts out;
    out.bounds = bounds(model);
    const Bounds &b = out.bounds;
    out.left = Left_Axis(b.Tv, b.Bv, view);
    out.time = Time_Axis(table, view);
    out.right = Right_Axis(model, b.Th, b.Bh, view);

    Trace traces[2];
    int n = 0;
    if (drawsValue(model))
        traces[n++] = Trace{&m_series.column(3).values, b.Tv, b.Bv, kValueColour};
    if (drawsHumidity(model))
        traces[n++] = Trace{&m_series.column(4).values, b.Th, b.Bh, kHumidityColour};
    drawTraces(image, view, r, table.rows(), traces, n);
    return out;
}

} // namespace graph
