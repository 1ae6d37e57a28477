#include "output/trace_batch.h"

#include "output/print_surface.h"

#include <QRectF>
#include <QSet>

#include <algorithm>
#include <functional>
#include <map>
#include <tuple>

namespace printout {

namespace {

// Readings drawn together: a stretch a few dots wide on a page of a week of readings, so only
// the stretches where the two traces meet are drawn mark by mark.
constexpr int kReadingsPerStretch = 512;

qint64 packed(QPoint p)
{
    return (qint64(p.x()) << 32) ^ qint64(quint32(p.y()));
}

} // namespace

TraceBatch::TraceBatch(PrintSurface &surface, double radius, const QColor &valueColour,
                       const QColor &humidityColour)
    : m_surface(surface), m_radius(radius), m_colour{valueColour, humidityColour}
{}

TraceBatch::~TraceBatch() { flush(); }

void TraceBatch::marker(QPointF at, bool humidity)
{
    m_marks.push_back({humidity, true, at, at});
}

void TraceBatch::segment(QPointF from, QPointF to, bool humidity)
{
    m_marks.push_back({humidity, false, from, to});
}

void TraceBatch::readingDone()
{
    if (++m_readings >= kReadingsPerStretch)
        flush();
}

void TraceBatch::flush()
{
    if (!m_marks.empty()) {
        if (tracesApart()) {
            drawMerged(false);
            drawMerged(true);
        } else {
            drawInOrder();
        }
    }
    m_marks.clear();
    m_readings = 0;
}

QPoint TraceBatch::dot(QPointF p) const
{
    return m_surface.toDevice(p).toPoint();
}

// Whether no ink of one trace can touch ink of the other: each trace's marks within a box
// grown by how far a mark reaches, and a dot to spare.
bool TraceBatch::tracesApart() const
{
    QRectF box[2];
    const double reach[2] = {m_surface.lineReach() + 1, m_surface.circleReach(m_radius) + 1};
    for (const Mark &m : m_marks) {
        const double r = reach[m.isMarker];
        const QRectF ink = QRectF(m_surface.toDevice(m.a), m_surface.toDevice(m.b))
                               .normalized()
                               .adjusted(-r, -r, r, r);
        QRectF &b = box[m.humidity];
        b = b.isNull() ? ink : b.united(ink);
    }
    return box[0].isNull() || box[1].isNull() || !box[0].intersects(box[1]);
}

// Markers of one colour on one level of the page a few dots apart paint one band: those in
// between two markers kept at most kMostApart dots apart add nothing to it but a sliver of a
// tenth of a dot at the band's edge.
std::vector<QPointF> TraceBatch::thinned(std::vector<std::pair<QPoint, QPointF>> markers)
{
    constexpr int kMostApart = 4;
    std::sort(markers.begin(), markers.end(), [](const auto &a, const auto &b) {
        return std::pair(a.first.y(), a.first.x()) < std::pair(b.first.y(), b.first.x());
    });
    std::vector<QPointF> kept;
    int lastKept = 0;
    for (size_t i = 0; i < markers.size(); ++i) {
        const QPoint d = markers[i].first;
        const bool firstOnLevel = i == 0 || markers[i - 1].first.y() != d.y();
        const bool lastOnLevel = i + 1 == markers.size() || markers[i + 1].first.y() != d.y();
        // Kept where leaving it out would leave more than kMostApart between two kept.
        if (firstOnLevel || lastOnLevel || d.x() - lastKept > kMostApart ||
            markers[i + 1].first.x() - lastKept > kMostApart) {
            kept.push_back(markers[i].second);
            lastKept = d.x();
        }
    }
    return kept;
}

namespace {

// The lines of one colour, joined from segments end to end. The readings of a dot's width
// stand in one column of the page, their line going up and down in it: it paints the column
// from its lowest point to its highest, as a line from where it enters the column down to the
// lowest, up to the highest and on to where it leaves does.
class JoinedLines
{
public:
    explicit JoinedLines(const std::function<QPoint(QPointF)> &dot) : m_dot(dot) {}

    void add(QPointF from, QPointF to)
    {
        if (m_lines.empty() || from != m_end) {
            finish();
            m_lines.emplace_back();
            point(from);
        }
        point(to);
        m_end = to;
    }

    std::vector<std::vector<QPointF>> take()
    {
        finish();
        return std::move(m_lines);
    }

private:
    void point(QPointF p)
    {
        const int column = m_dot(p).x();
        if (m_open && column == m_column) {
            if (p.y() < m_low.y())
                m_low = p;
            if (p.y() > m_high.y())
                m_high = p;
            m_last = p;
            return;
        }
        closeColumn();
        m_open = true;
        m_column = column;
        m_first = m_low = m_high = m_last = p;
    }

    void closeColumn()
    {
        if (!m_open)
            return;
        m_open = false;
        std::vector<QPointF> &line = m_lines.back();
        for (const QPointF &p : {m_first, m_low, m_high, m_last}) {
            // A point on the dot of the point before adds nothing to the line.
            if (line.empty() || m_dot(p) != m_dot(line.back()))
                line.push_back(p);
        }
    }

    void finish()
    {
        closeColumn();
        // A line of one point still shows its round end, as the segment it stands for.
        if (!m_lines.empty() && m_lines.back().size() == 1)
            m_lines.back().push_back(m_end);
    }

    const std::function<QPoint(QPointF)> &m_dot;
    std::vector<std::vector<QPointF>> m_lines;
    QPointF m_end;
    bool m_open = false;
    int m_column = 0;
    QPointF m_first, m_low, m_high, m_last;
};

} // namespace

void TraceBatch::drawMerged(bool humidity)
{
    std::vector<std::pair<QPoint, QPointF>> markers; // one to a dot
    QSet<qint64> marked;
    const std::function<QPoint(QPointF)> dotOf = [this](QPointF p) { return dot(p); };
    JoinedLines lines(dotOf);
    for (const Mark &m : m_marks) {
        if (m.humidity != humidity)
            continue;
        if (!m.isMarker) {
            lines.add(m.a, m.b);
            continue;
        }
        const QPoint d = dot(m.a);
        if (!marked.contains(packed(d))) {
            marked.insert(packed(d));
            markers.emplace_back(d, m.a);
        }
    }
    const QColor &colour = m_colour[humidity];
    m_surface.circles(thinned(markers), m_radius, colour,
                      humidity ? PrintSurface::FillStyle::Transparent
                               : PrintSurface::FillStyle::Solid);
    m_surface.polylines(lines.take(), colour);
}

// Mark by mark; of marks alike on the same dots the last is drawn, where it lies on top.
void TraceBatch::drawInOrder()
{
    using Key = std::tuple<bool, bool, qint64, qint64>;
    const auto keyOf = [this](const Mark &m) {
        qint64 a = packed(dot(m.a)), b = packed(dot(m.b));
        if (b < a)
            std::swap(a, b);
        return Key{m.humidity, m.isMarker, a, b};
    };
    std::map<Key, size_t> last;
    for (size_t i = 0; i < m_marks.size(); ++i)
        last[keyOf(m_marks[i])] = i;
    for (size_t i = 0; i < m_marks.size(); ++i) {
        const Mark &m = m_marks[i];
        if (last[keyOf(m)] != i)
            continue;
        const QColor &colour = m_colour[m.humidity];
        if (!m.isMarker)
            m_surface.line(m.a, m.b, colour);
        else
            m_surface.circle(m.a, m_radius, colour,
                             m.humidity ? PrintSurface::FillStyle::Transparent
                                        : PrintSurface::FillStyle::Solid);
    }
}

} // namespace printout
