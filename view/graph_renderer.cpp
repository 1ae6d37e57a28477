#include "view/graph_renderer.h"

#include "acquisition/readings_table.h"
#include "view/graph_series.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <deque>
#include <limits>
#include <memory>

namespace graph {

namespace {

using raster::kFar;
// A marker never needs to be larger than the largest picture.
constexpr double kMaxMarkerRadius = 4096;

// A line as the columns it covers, on any canvas with column(x, y0, y1, colour).
template <class C>
void segmentOn(C &cv, QPoint a, QPoint b, QRgb colour)
{
    if (a.x() == b.x()) {
        cv.column(a.x(), std::min(a.y(), b.y()), std::max(a.y(), b.y()), colour);
        return;
    }
    if (a.x() > b.x())
        std::swap(a, b);
    const int c0 = std::max(a.x(), 0);
    const int c1 = std::min(b.x(), cv.width() - 1);
    for (int c = c0; c <= c1; ++c) {
        int y0 = 0, y1 = 0;
        raster::segmentRows(a, b, c, y0, y1);
        cv.column(c, y0, y1, colour);
    }
}

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

    void segment(QPoint a, QPoint b, QRgb colour) { segmentOn(*this, a, b, colour); }

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

// Draws one trace column by column. The readings that fall into one pixel column one after
// the other without a gap form a group: their lines cover the rows between the lowest and the
// highest of them, and their markers the distinct rows marked, so a group is drawn as one band
// in its own column and, beside it, one band per run of marked rows for each column the marker
// disc reaches. A band that lies within the band a neighbouring column draws anyway is skipped:
// the picture is the same, pixel for pixel, as drawing every line and marker.
class TraceDrawer
{
public:
    TraceDrawer(Canvas &cv, const Trace &trace, const Placement &place,
                const raster::Disc &disc)
        : m_cv(cv), m_values(trace.values->data()), m_count(int(trace.values->size())),
          m_colour(trace.colour), m_place(place), m_disc(disc),
          m_h0(disc.half.empty() ? 0 : disc.half[disc.reach]),
          m_markRows(unsigned(cv.height() + 2 * m_h0)), m_marks((m_markRows + 63) / 64, 0),
          m_ownLo(std::size_t(cv.width()), std::numeric_limits<int>::max()),
          m_ownHi(std::size_t(cv.width()), std::numeric_limits<int>::min())
    {}

    // Rows first .. last, all in pixel column c (columns come in increasing order).
    void column(int c, int first, int last)
    {
        bool linked = m_open; // the previous row is a reading: a line leads from it
        const QPoint from(m_x, m_lastY);
        close();
        endColumn();
        flushPending(c);
        const int end = std::min(last, m_count - 1);
        const double *const values = m_values;
        const double ay = m_place.ay(), by = m_place.by();
        std::uint64_t *const marks = m_marks.data();
        const unsigned markRows = m_markRows;
        const int pad = m_h0;
        int j = first;
        while (j <= end) {
            if (std::isnan(values[j])) {
                linked = false;
                ++j;
                continue;
            }
            // A group: readings one after the other up to a gap or the column's end. The
            // locals keep it in registers over the many readings of a dense column.
            int y = raster::wholeFinite(ay + by * values[j]);
            if (linked)
                m_cv.segment(from, QPoint(c, y), m_colour);
            linked = false;
            int minY = y, maxY = y;
            unsigned i = unsigned(y + pad);
            if (i < markRows)
                marks[i >> 6] |= std::uint64_t(1) << (i & 63);
            for (++j; j <= end; ++j) {
                const double v = values[j];
                if (std::isnan(v))
                    break;
                y = raster::wholeFinite(ay + by * v);
                minY = std::min(minY, y);
                maxY = std::max(maxY, y);
                i = unsigned(y + pad);
                if (i < markRows)
                    marks[i >> 6] |= std::uint64_t(1) << (i & 63);
            }
            if (j <= end || end < last) {
                // A gap follows (rows the trace has no numbers for count as missing).
                keep(c, minY, maxY);
            } else {
                m_open = true;
                m_x = c;
                m_minY = minY;
                m_maxY = maxY;
                m_lastY = y;
            }
        }
    }

    void finish()
    {
        close();
        endColumn();
        flushPending(std::numeric_limits<int>::max());
    }

private:
    struct Group
    {
        int x = 0;
        std::vector<QPoint> runs; // marked rows: (first, last), in order
    };

    void close()
    {
        if (!m_open)
            return;
        m_open = false;
        keep(m_x, m_minY, m_maxY);
    }

    // A finished group. Groups of one column (split by missing readings) are gathered: their
    // bands in the column where they meet, their markers as the rows marked.
    void keep(int x, int minY, int maxY)
    {
        if (!m_colActive || x != m_colX) {
            endColumn();
            m_colActive = true;
            m_colX = x;
            m_markLo = minY;
            m_markHi = maxY;
        }
        m_markLo = std::min(m_markLo, minY);
        m_markHi = std::max(m_markHi, maxY);
        const int lo = minY - m_h0, hi = maxY + m_h0;
        if (m_bandActive && lo <= m_bandHi + 1 && hi >= m_bandLo - 1) {
            m_bandLo = std::min(m_bandLo, lo);
            m_bandHi = std::max(m_bandHi, hi);
            return;
        }
        drawBand();
        m_bandActive = true;
        m_bandLo = lo;
        m_bandHi = hi;
    }

    // The band of the column's own lines and markers; the widest is remembered, so that the
    // markers of the columns beside it need not draw there again.
    void drawBand()
    {
        if (!m_bandActive)
            return;
        m_bandActive = false;
        const int lo = m_bandLo, hi = m_bandHi;
        m_cv.column(m_colX, lo, hi, m_colour);
        if (m_colX < 0 || m_colX >= int(m_ownLo.size()))
            return;
        int &ownLo = m_ownLo[std::size_t(m_colX)];
        int &ownHi = m_ownHi[std::size_t(m_colX)];
        if (ownLo > ownHi || hi - lo > ownHi - ownLo) {
            ownLo = lo;
            ownHi = hi;
        }
    }

    // The column is complete: its marked rows become runs for the bands beside it.
    void endColumn()
    {
        if (!m_colActive)
            return;
        m_colActive = false;
        drawBand();
        Group g;
        if (!m_spare.empty()) {
            g = std::move(m_spare.back());
            m_spare.pop_back();
        }
        g.x = m_colX;
        g.runs.clear();
        const int w0 = std::max(0, m_markLo + m_h0) >> 6;
        const int w1 = std::min(int(m_marks.size()) - 1, std::max(0, m_markHi + m_h0) >> 6);
        for (int w = w0; w <= w1; ++w) {
            std::uint64_t bits = m_marks[std::size_t(w)];
            m_marks[std::size_t(w)] = 0;
            while (bits) {
                const int row = w * 64 + std::countr_zero(bits) - m_h0;
                bits &= bits - 1;
                if (!g.runs.empty() && g.runs.back().y() == row - 1)
                    g.runs.back().ry() = row;
                else
                    g.runs.push_back({row, row});
            }
        }
        if (m_disc.reach == 0 || g.runs.empty())
            m_spare.push_back(std::move(g));
        else
            m_pending.push_back(std::move(g));
    }

    // Draws the side bands of the groups whose neighbouring columns are all finished: those
    // more than a marker's reach left of column c.
    void flushPending(int c)
    {
        while (!m_pending.empty() && (c == std::numeric_limits<int>::max() ||
                                      m_pending.front().x + m_disc.reach < c)) {
            sideBands(m_pending.front());
            m_spare.push_back(std::move(m_pending.front()));
            m_pending.pop_front();
        }
    }

    void sideBands(const Group &g)
    {
        for (int dx = -m_disc.reach; dx <= m_disc.reach; ++dx) {
            const int x = g.x + dx;
            if (dx == 0 || x < 0 || x >= m_cv.width())
                continue;
            const int half = m_disc.half[std::size_t(dx + m_disc.reach)];
            const int ownLo = m_ownLo[std::size_t(x)], ownHi = m_ownHi[std::size_t(x)];
            const auto band = [&](int a, int b) {
                if (a < ownLo || b > ownHi)
                    m_cv.column(x, a, b, m_colour);
            };
            int from = 0, to = -1;
            bool any = false;
            for (const QPoint &run : g.runs) {
                const int a = run.x() - half, b = run.y() + half;
                if (any && a <= to + 1) {
                    to = std::max(to, b);
                    continue;
                }
                if (any)
                    band(from, to);
                from = a;
                to = b;
                any = true;
            }
            if (any)
                band(from, to);
        }
    }

    Canvas &m_cv;
    const double *m_values;
    int m_count;
    QRgb m_colour;
    Placement m_place;
    const raster::Disc &m_disc;
    int m_h0;
    unsigned m_markRows;                // rows of the mark table: the picture and a margin
    std::vector<std::uint64_t> m_marks; // rows holding a marker centre, offset by m_h0
    std::vector<int> m_ownLo, m_ownHi;  // per picture column, the band its own group drew
    std::deque<Group> m_pending;
    std::vector<Group> m_spare;
    // The column being gathered: its marked rows' extent and its own band not yet drawn.
    bool m_colActive = false;
    int m_colX = 0, m_markLo = 0, m_markHi = 0;
    bool m_bandActive = false;
    int m_bandLo = 0, m_bandHi = 0;
    // The open group: the readings of the last column seen, up to its last row.
    bool m_open = false;
    int m_x = 0, m_minY = 0, m_maxY = 0, m_lastY = 0;
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
    return QPoint(column(row), pixelRow(v));
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
        cv.column(gridLine(k, w), 0, h - 1, colour);
        cv.row(gridLine(k, h), 0, w - 1, colour);
    }
}

void drawTraces(QImage &image, const View &view, double r, int rows, const Trace *traces,
                int traceCount)
{
    if (rows < 3 || image.isNull() || traceCount <= 0 || view.W <= 0 || view.H <= 0)
        return;
    if (image.format() != QImage::Format_RGB32)
        image = image.convertToFormat(QImage::Format_RGB32);
    Canvas cv(image);
    const PixelMap map(view, image.size());
    const raster::Disc disc = raster::disc(r * map.sx());

    std::vector<std::unique_ptr<TraceDrawer>> drawers;
    for (int i = 0; i < traceCount; ++i) {
        const Trace &t = traces[i];
        if (!t.values || t.values->empty() || t.top == t.bottom)
            continue;
        drawers.push_back(std::make_unique<TraceDrawer>(
            cv, t, Placement(view, image.size(), rows, t.top, t.bottom), disc));
    }
    if (drawers.empty())
        return;

    // The rows whose lines or markers can reach the picture: those within a marker's reach of
    // it, and one more on either side for the lines that come in from outside.
    const Placement p0(view, image.size(), rows, 1, 0);
    const double margin = disc.reach + 1;
    const auto rowAt = [&](double px) { return (px - p0.ax()) / p0.bx() + 1; };
    const double lo = std::floor(rowAt(-margin)) - 1;
    const double hi = std::ceil(rowAt(cv.width() - 1 + margin)) + 1;
    const int first = int(std::clamp(lo, 1.0, double(rows - 1)));
    const int last = int(std::clamp(hi, 1.0, double(rows - 1)));

    // Pixel column by pixel column: the readings of one column, trace after trace, so that
    // where traces cross, the later readings lie on top as they would drawn step by step.
    int i = first;
    while (i <= last) {
        const int c = p0.column(i);
        int e = i;
        if (p0.bx() < 1) {
            const double guess = std::floor((c + 0.5 - (p0.ax() + p0.bx() * (i - 1))) / p0.bx());
            e = int(std::clamp(i + guess, double(i), double(last)));
            while (e > i && p0.column(e) > c)
                --e;
            while (e < last && p0.column(e + 1) == c)
                ++e;
        }
        for (auto &d : drawers)
            d->column(c, i, e);
        i = e + 1;
    }
    for (auto &d : drawers)
        d->finish();
}

GraphRenderer::GraphRenderer(GraphSeries &series) : m_series(series) {}

Bounds GraphRenderer::bounds(int model)
{
    Bounds b;
    if (drawsValue(model)) {
        const GraphSeries::Column &c = m_series.column(3);
        const graphscale::Range r = graphscale::around(c.any, c.max, c.min);
        b.Tv = r.top;
        b.Bv = r.bottom;
    }
    if (drawsHumidity(model)) {
        const GraphSeries::Column &c = m_series.column(4);
        const graphscale::Range r = graphscale::around(c.any, c.max, c.min);
        b.Th = r.top;
        b.Bh = r.bottom;
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

    drawLimitLines(image, model, view, b);
    Trace traces[2];
    int n = 0;
    if (drawsValue(model))
        traces[n++] = Trace{&m_series.column(3).values, b.Tv, b.Bv, kValueColour};
    if (drawsHumidity(model))
        traces[n++] = Trace{&m_series.column(4).values, b.Th, b.Bh, kHumidityColour};
    drawTraces(image, view, r, table.rows(), traces, n);
    return out;
}

void GraphRenderer::drawLimitLines(QImage &image, int model, const View &view,
                                   const Bounds &b) const
{
    // Drawn before the traces, so a trace crossing a line keeps its exact colour.
    constexpr int kDash = 6;
    const int rows = m_series.table().rows();
    for (const LimitLine &line : m_limitLines) {
        const bool value = line.column == 3;
        if (value ? !drawsValue(model) : !drawsHumidity(model))
            continue;
        const Placement place(view, image.size(), rows, value ? b.Tv : b.Th,
                              value ? b.Bv : b.Bh);
        const int y = place.pixelRow(line.value);
        if (y < 0 || y >= image.height())
            continue;
        auto *pixels = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if ((x / kDash) % 2 == 0)
                pixels[x] = line.colour;
    }
}

} // namespace graph
