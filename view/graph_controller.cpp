#include "view/graph_controller.h"

#include "acquisition/reading_set.h"
#include "acquisition/readings_table.h"
#include "view/graph_zoom.h"

#include <algorithm>
#include <cmath>

using namespace graph;

namespace {

// Where the cross-hair waits before its first use, on the designed plot area.
constexpr QPointF kCrossHairStart(4080, 2400);
// The zoom rectangle's size when the button goes down: one pixel at full view.
constexpr double kShapeStart = kUnitsPerPixel;

bool sameColour(QRgb a, QRgb b)
{
    return (a & 0xffffff) == (b & 0xffffff);
}

} // namespace

GraphController::GraphController(ReadingSet &set, QObject *parent)
    : QObject(parent), m_set(set), m_series(set.table()), m_renderer(m_series)
{
    const QSize designed = kDesignedPixels;
    const double w = extentFor(designed.width());
    const double h = extentFor(designed.height());
    m_cross = kCrossHairStart;
    m_view = View::full(w, h);
    m_pixels = designed;
    m_picture = QImage(designed, QImage::Format_RGB32);
    clearPicture(m_picture);
}

GraphController::~GraphController() = default;

void GraphController::setSurface(QSize pixels, double W, double H)
{
    pixels = pixels.expandedTo(QSize(2, 2));
    if (pixels == m_pixels && W == m_view.W && H == m_view.H)
        return;
    // The objects over the picture keep their place on the graph.
    const double fx = m_view.W > 0 ? W / m_view.W : 1;
    const double fy = m_view.H > 0 ? H / m_view.H : 1;
    m_cross = QPointF(m_cross.x() * fx, m_cross.y() * fy);
    m_shape = QRectF(m_shape.x() * fx, m_shape.y() * fy, m_shape.width() * fx,
                     m_shape.height() * fy);
    m_view = rescaled(m_view, W, H);
    m_pixels = pixels;
    Q_EMIT viewChanged();
    if (m_shown) {
        render();
    } else {
        m_picture = QImage(m_pixels, QImage::Format_RGB32);
        clearPicture(m_picture);
        Q_EMIT pictureChanged();
    }
}

void GraphController::draw()
{
    m_set.Put_Unit();
    render();
}

void GraphController::render()
{
    if (m_picture.size() != m_pixels)
        m_picture = QImage(m_pixels, QImage::Format_RGB32);
    const std::optional<AxisTexts> texts = m_renderer.draw(m_picture, m_set.MODEL, m_view, R);
    m_shown = texts.has_value();
    if (texts) {
        setLabels(*texts);
        setReadouts(QString(), QString(), m_readoutColour);
    }
    Q_EMIT pictureChanged();
}

void GraphController::setLimitLines(std::vector<graph::LimitLine> lines)
{
    const auto same = [](const graph::LimitLine &a, const graph::LimitLine &b) {
        return a.column == b.column && a.value == b.value && a.colour == b.colour;
    };
    const std::vector<graph::LimitLine> &now = m_renderer.limitLines();
    if (std::equal(now.begin(), now.end(), lines.begin(), lines.end(), same))
        return;
    m_renderer.setLimitLines(std::move(lines));
    if (m_shown)
        render();
}

void GraphController::clear()
{
    clearPicture(m_picture);
    m_shown = false;
    for (QString &l : m_labels)
        l.clear();
    Q_EMIT labelsChanged();
    Q_EMIT pictureChanged();
}

void GraphController::resetView()
{
    endZoomModes();
    R = kDefaultR;
    const bool wasZoomed = m_view.zoomed();
    setView(View::full(m_view.W, m_view.H));
    if (wasZoomed && m_shown)
        render();
}

void GraphController::endZoomModes()
{
    zoomin = false;
    zoomout = false;
    clearDrag();
}

void GraphController::clearDrag()
{
    DragX0 = DragX1 = DragY0 = 0;
    DragY1 = 0;
}

void GraphController::setView(const View &v)
{
    if (v == m_view)
        return;
    m_view = v;
    Q_EMIT viewChanged();
}

void GraphController::setHValue(int value)
{
    value = std::clamp(value, 0, m_view.hMax);
    if (value == m_view.hValue)
        return;
    m_view.hValue = value;
    Q_EMIT viewChanged();
    render();
}

void GraphController::setVValue(int value)
{
    value = std::clamp(value, 0, m_view.vMax);
    if (value == m_view.vValue)
        return;
    m_view.vValue = value;
    Q_EMIT viewChanged();
    render();
}

void GraphController::press(Qt::MouseButton button, QPointF at)
{
    if (button != Qt::LeftButton)
        return;
    if (zoomin || zoomout) {
        m_crossVisible = false;
        DragX0 = at.x();
        DragY0 = at.y();
        ZoomLeft = at.x();
        ZoomTop = roundWhole(at.y());
        m_shape = QRectF(at.x(), at.y(), kShapeStart, kShapeStart);
        m_shapeVisible = true;
        Q_EMIT pictureChanged();
        return;
    }
    m_shapeVisible = false;
    m_crossVisible = true;
    m_cross = at;
    Q_EMIT pictureChanged();
    readOut(at);
}

void GraphController::move(Qt::MouseButtons buttons, QPointF at)
{
    if (!(buttons & Qt::LeftButton))
        return;
    if (zoomin || zoomout) {
        const double x = at.x();
        const double y = at.y();
        DragX1 = x;
        DragY1 = roundWhole(y);
        // Straight along either axis the rectangle keeps its size.
        double left = DragX0, top = DragY0;
        double w = m_shape.width(), h = m_shape.height();
        if (x != DragX0 && y != DragY0) {
            w = std::abs(x - DragX0);
            h = std::abs(y - DragY0);
            left = std::min(x, DragX0);
            top = std::min(y, DragY0);
        }
        m_shape = QRectF(left, top, w, h);
        Q_EMIT pictureChanged();
        return;
    }
    m_cross = at;
    Q_EMIT pictureChanged();
    readOut(at);
}

void GraphController::release(Qt::MouseButton)
{
    // Any button: a zoom step does not ask which one went up.
    if (m_shapeVisible) {
        m_shapeVisible = false;
        Q_EMIT pictureChanged();
    }
    if (label(kLeftAxisLabels[0]).isEmpty())
        return; // no graph has been drawn
    if (zoomin) {
        View v = m_view;
        const int f = timeZoomFactor(label(kTimeLabels[0]), label(kTimeLabels[1]));
        const int g = valueZoomFactor(label(kLeftAxisLabels[0]), label(kLeftAxisLabels[1]));
        zoomIn(v, R, ZoomLeft, ZoomTop, f, g);
        setView(v);
        render();
    } else if (zoomout) {
        View v = m_view;
        zoomOut(v, R);
        setView(v);
        render();
    }
    clearDrag();
}

QRgb GraphController::pixelAt(QPointF at) const
{
    const QPointF p = pixelMap().toPixel(at);
    const int x = int(std::floor(p.x() + 0.5));
    const int y = int(std::floor(p.y() + 0.5));
    return m_picture.valid(x, y) ? m_picture.pixel(x, y) : 0;
}

void GraphController::readOut(QPointF at)
{
    const QRgb c = pixelAt(at);
    const auto time = [&] {
        return timeReadout(label(kDateLabels[0]), label(kTimeLabels[0]), label(kDateLabels[5]),
                           label(kTimeLabels[5]), at.x(), m_view);
    };
    if (sameColour(c, kValueColour)) {
        setReadouts(valueReadout(label(kLeftAxisLabels[0]), label(kLeftAxisLabels[10]),
                                 m_set.valueUnitCaption(), at.y(), m_view),
                    time(), kValueColour);
    } else if (sameColour(c, kHumidityColour)) {
        setReadouts(valueReadout(label(kRightAxisLabels[0]), label(kRightAxisLabels[10]),
                                 m_set.humidityUnitCaption(), at.y(), m_view),
                    time(), kHumidityColour);
    } else {
        setReadouts(QString(), QString(), m_readoutColour);
    }
}

void GraphController::setReadouts(const QString &t1, const QString &t2, QRgb colour)
{
    if (t1 == m_text1 && t2 == m_text2 && colour == m_readoutColour)
        return;
    m_text1 = t1;
    m_text2 = t2;
    m_readoutColour = colour;
    Q_EMIT readoutsChanged();
}

QString GraphController::label(int number) const
{
    return number >= 2 && number < int(m_labels.size()) ? m_labels[number] : QString();
}

void GraphController::setLabels(const AxisTexts &texts)
{
    for (int j = 0; j < 11; ++j) {
        m_labels[kLeftAxisLabels[j]] = texts.left[j];
        m_labels[kRightAxisLabels[j]] = texts.right[j];
    }
    for (int p = 0; p < 6; ++p) {
        m_labels[kDateLabels[p]] = texts.time.dates[p];
        m_labels[kTimeLabels[p]] = texts.time.times[p];
    }
    Q_EMIT labelsChanged();
}
