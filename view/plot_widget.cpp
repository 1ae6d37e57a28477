#include "view/plot_widget.h"

#include "view/graph_controller.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace {

constexpr QSize kSmallest(302, 182);
// Drawn over the picture in neither trace colour.
const QColor kOverlayColour(40, 40, 40);

} // namespace

PlotWidget::PlotWidget(GraphController &graph, QWidget *parent) : QWidget(parent), m_graph(graph)
{
    setObjectName(QStringLiteral("PicGraph"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    connect(&m_graph, &GraphController::pictureChanged, this, qOverload<>(&QWidget::update));
    tellSize();
}

QSize PlotWidget::sizeHint() const
{
    return graph::kDesignedPixels;
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
    return s.width() < kSmallest.width() || s.height() < kSmallest.height()
               ? graph::kDesignedPixels
               : s;
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

void PlotWidget::tellSize()
{
    m_graph.setSurface(pictureSize(), extentW(), extentH());
}

QPointF PlotWidget::toPlot(QPointF pos) const
{
    return m_graph.pixelMap().toPlot(pos * devicePixelRatioF());
}

QPointF PlotWidget::toWidget(QPointF plot) const
{
    return m_graph.pixelMap().toPixel(plot) / devicePixelRatioF();
}

void PlotWidget::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    // The picture is in device pixels: drawn into its logical size it lands 1:1 on them.
    const QImage &picture = m_graph.picture();
    p.drawImage(QRectF(QPointF(0, 0), QSizeF(picture.size()) / devicePixelRatioF()), picture);
    if (!m_graph.shape1Visible() && !m_graph.crossHairVisible())
        return;
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(kOverlayColour, 0, Qt::DotLine));
    p.setBrush(Qt::NoBrush);
    if (m_graph.crossHairVisible()) {
        const QPointF c = toWidget(m_graph.crossHair());
        p.drawLine(QLineF(0, c.y(), width(), c.y()));
        p.drawLine(QLineF(c.x(), 0, c.x(), height()));
    }
    if (m_graph.shape1Visible()) {
        const QRectF s = m_graph.shape1();
        p.drawRect(QRectF(toWidget(s.topLeft()), toWidget(s.bottomRight())).normalized());
    }
}

void PlotWidget::resizeEvent(QResizeEvent *e)
{
    QWidget::resizeEvent(e);
    tellSize();
}

void PlotWidget::mousePressEvent(QMouseEvent *e)
{
    m_graph.press(e->button(), toPlot(e->position()));
}

void PlotWidget::mouseMoveEvent(QMouseEvent *e)
{
    m_graph.move(e->buttons(), toPlot(e->position()));
}

void PlotWidget::mouseReleaseEvent(QMouseEvent *e)
{
    m_graph.release(e->button());
}
