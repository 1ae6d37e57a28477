#pragma once

#include <QColor>
#include <QPoint>
#include <QPointF>

#include <utility>
#include <vector>

class PrintSurface;

namespace printout {

// The markers and segments of the printed graph's traces, taken in the order the graph draws
// them and drawn as the same page with far fewer drawing operations: a page of a week of
// readings every 2 s holds a million of them, more than thirty to each dot of the printer.
//
// Marks of one colour all paint that colour, so among themselves their order does not matter:
// the marks of a stretch of readings are drawn as one path per colour and kind (the marker
// circles, the segments joined into lines), and where two markers fall on one device dot, one
// is drawn. Where the value and the humidity traces of a stretch come near each other, which
// one lies on top matters: there every mark is drawn in its order, and a mark that is drawn
// again later on the same dots is drawn only then.
class TraceBatch
{
public:
    // `radius` of the markers in the surface's current scale; the value trace has filled
    // markers, the humidity trace open ones.
    TraceBatch(PrintSurface &surface, double radius, const QColor &valueColour,
               const QColor &humidityColour);
    // Draws what is still held.
    ~TraceBatch();
    TraceBatch(const TraceBatch &) = delete;
    TraceBatch &operator=(const TraceBatch &) = delete;

    // Points in the surface's current scale.
    void marker(QPointF at, bool humidity);
    void segment(QPointF from, QPointF to, bool humidity);
    // The end of one reading's marks: a stretch is drawn after a number of readings.
    void readingDone();
    void flush();

private:
    struct Mark
    {
        bool humidity;
        bool isMarker;
        QPointF a, b; // a marker stands at a
    };
    bool tracesApart() const;
    void drawMerged(bool humidity);
    static std::vector<QPointF> thinned(std::vector<std::pair<QPoint, QPointF>> markers);
    void drawInOrder();
    QPoint dot(QPointF p) const;

    PrintSurface &m_surface;
    const double m_radius;
    const QColor m_colour[2];
    std::vector<Mark> m_marks;
    int m_readings = 0;
};

} // namespace printout
