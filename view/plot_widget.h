#pragma once

#include "view/graph_view.h"

#include <QImage>
#include <QRectF>
#include <QWidget>

// The plot area PicGraph: it shows the retained picture of the graph, keeps it until the next
// redraw or clear (the cursor reads its pixels), and shows the zoom rectangle Shape1 and the
// cross-hair LineX / LineY over it. Those three are not part of the picture.
//
// Positions: the coordinate system is the graph's plot units (graph_view.h). Its full extent
// follows the widget's size; the view the picture was drawn with decides where a mouse
// position lands in it.
class PlotWidget : public QWidget
{
    Q_OBJECT
public:
    explicit PlotWidget(QWidget *parent = nullptr);

    // The designed plot area: 9,015 x 5,265 plot units.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // Full extent W and H of the coordinate system at the current size.
    double extentW() const;
    double extentH() const;

    // The retained picture at the current size (device pixels), made anew, blank, when the size
    // has changed. Draw into it, then setView() with the view drawn.
    QImage &picture();
    const QImage &currentPicture() const { return m_picture; }
    void setView(const graph::View &view);
    const graph::View &view() const { return m_view; }

    // Mouse position (widget coordinates) to plot units and back, through the view shown.
    QPointF toPlot(QPointF pos) const;
    QPointF toWidget(QPointF plot) const;
    // Colour of the picture's pixel under a widget position; 0 outside the picture.
    QRgb pixelAt(QPointF pos) const;

    // Shape1: the rectangle a zoom drag outlines, in plot units.
    bool shape1Visible() const { return m_shapeVisible; }
    QRectF shape1() const { return m_shape; }
    void setShape1(const QRectF &rect);
    void setShape1Visible(bool visible);

    // LineX, the horizontal cross-hair line at height y; LineY, the vertical one at x.
    bool crossHairVisible() const { return m_crossVisible; }
    double lineX() const { return m_lineX; }
    double lineY() const { return m_lineY; }
    void setCrossHair(double x, double y);
    void setCrossHairVisible(bool visible);

Q_SIGNALS:
    void mousePressed(Qt::MouseButton button, QPointF pos);
    void mouseMoved(Qt::MouseButtons buttons, QPointF pos);
    void mouseReleased(Qt::MouseButton button, QPointF pos);
    // The full extent changed from (oldW, oldH) to the new size's.
    void extentChanged(double oldW, double oldH);

protected:
    void paintEvent(QPaintEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;

private:
    QSize logicalSize() const;
    QSize pictureSize() const;
    graph::PixelMap pixelMap() const;

    QImage m_picture;
    graph::View m_view;
    bool m_shapeVisible = false;
    QRectF m_shape;
    bool m_crossVisible = false;
    double m_lineX = 2400;
    double m_lineY = 4080;
    double m_lastW = 0;
    double m_lastH = 0;
};
