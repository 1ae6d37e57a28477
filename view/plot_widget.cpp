#include "view/plot_widget.h"

#include "view/graph_renderer.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace {

// 9,015 x 5,265 plot units: the designed plot area.
constexpr QSize kDesigned(602, 352);
constexpr QSize kSmallest(302, 182);
// Drawn over the picture in neither trace colour.
const QColor kOverlayColour(40, 40, 40);

} // namespace

PlotWidget::PlotWidget(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("PicGraph"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    m_lastW = extentW();
    m_lastH = extentH();
    m_view = graph::View::full(m_lastW, m_lastH);
}

QSize PlotWidget::sizeHint() const
{
    return kDesigned;
}

QSize PlotWidget::minimumSizeHint() const
{
    return kSmallest;
}

QSize PlotWidget::logicalSize() const
{
    // Before the window is laid out the widget has a placeholder size; the designed size
    // stands in for it so a graph drawn early has sensible proportions.
    const QSize s = size();
    return s.width() < kSmallest.width() || s.height() < kSmallest.height() ? kDesigned : s;
}

QSize PlotWidget::pictureSize() const
{
    const double dpr = devicePixelRatioF();
    const QSize s = logicalSize();
    return QSize(int(std::lround(s.width() * dpr)), int(std::lround(s.height() * dpr)));
}

double PlotWidget::extentW() const
{
    return graph::extentFor(logicalSize().width());
}

double PlotWidget::extentH() const
{
    return graph::extentFor(logicalSize().height());
}

QImage &PlotWidget::picture()
{
    const QSize want = pictureSize();
    if (m_picture.size() != want || m_picture.format() != QImage::Format_RGB32) {
        m_picture = QImage(want, QImage::Format_RGB32);
        graph::clearPicture(m_picture);
    }
    m_picture.setDevicePixelRatio(devicePixelRatioF());
    return m_picture;
}

void PlotWidget::setView(const graph::View &view)
{
    m_view = view;
    update();
}

graph::PixelMap PlotWidget::pixelMap() const
{
    return graph::PixelMap(m_view, pictureSize());
}

QPointF PlotWidget::toPlot(QPointF pos) const
{
    return pixelMap().toPlot(pos * devicePixelRatioF());
}

QPointF PlotWidget::toWidget(QPointF plot) const
{
    return pixelMap().toPixel(plot) / devicePixelRatioF();
}

QRgb PlotWidget::pixelAt(QPointF pos) const
{
    const QPointF p = pos * devicePixelRatioF();
    const int x = int(std::floor(p.x() + 0.5));
    const int y = int(std::floor(p.y() + 0.5));
    if (m_picture.isNull() || !m_picture.valid(x, y))
        return 0;
    return m_picture.pixel(x, y);
}

void PlotWidget::setShape1(const QRectF &rect)
{
    m_shape = rect;
    if (m_shapeVisible)
        update();
}

void PlotWidget::setShape1Visible(bool visible)
{
    if (visible == m_shapeVisible)
        return;
    m_shapeVisible = visible;
    update();
}

void PlotWidget::setCrossHair(double x, double y)
{
    m_lineY = x;
    m_lineX = y;
    if (m_crossVisible)
        update();
}

void PlotWidget::setCrossHairVisible(bool visible)
{
    if (visible == m_crossVisible)
        return;
    m_crossVisible = visible;
    update();
}

void PlotWidget::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (m_picture.isNull())
        p.fillRect(rect(), QColor::fromRgb(graph::kBackground));
    else
        p.drawImage(QPointF(0, 0), m_picture);
    if (!m_shapeVisible && !m_crossVisible)
        return;
    p.setRenderHint(QPainter::Antialiasing, false);
    QPen pen(kOverlayColour, 0, Qt::DotLine);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    if (m_crossVisible) {
        const QPointF c = toWidget(QPointF(m_lineY, m_lineX));
        p.drawLine(QLineF(0, c.y(), width(), c.y()));
        p.drawLine(QLineF(c.x(), 0, c.x(), height()));
    }
    if (m_shapeVisible) {
        const QPointF a = toWidget(m_shape.topLeft());
        const QPointF b = toWidget(m_shape.bottomRight());
        p.drawRect(QRectF(a, b).normalized());
    }
}

void PlotWidget::resizeEvent(QResizeEvent *e)
{
    QWidget::resizeEvent(e);
    const double w = extentW();
    const double h = extentH();
    if (w == m_lastW && h == m_lastH)
        return;
    const double oldW = m_lastW;
    const double oldH = m_lastH;
    m_lastW = w;
    m_lastH = h;
    // The objects over the picture stay where they were relative to the graph.
    const double fx = oldW > 0 ? w / oldW : 1;
    const double fy = oldH > 0 ? h / oldH : 1;
    m_lineY *= fx;
    m_lineX *= fy;
    m_shape = QRectF(m_shape.x() * fx, m_shape.y() * fy, m_shape.width() * fx,
                     m_shape.height() * fy);
    Q_EMIT extentChanged(oldW, oldH);
}

void PlotWidget::mousePressEvent(QMouseEvent *e)
{
    Q_EMIT mousePressed(e->button(), e->position());
}

void PlotWidget::mouseMoveEvent(QMouseEvent *e)
{
    Q_EMIT mouseMoved(e->buttons(), e->position());
}

void PlotWidget::mouseReleaseEvent(QMouseEvent *e)
{
    Q_EMIT mouseReleased(e->button(), e->position());
}
