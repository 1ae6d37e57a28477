#pragma once

#include <QWidget>

class GraphController;

// The plot area PicGraph: it shows the controller's retained picture with the zoom rectangle
// Shape1 and the cross-hair LineX / LineY over it, tells the controller its size, and hands
// the mouse to it in plot units. Nothing repaints the graph itself: a covered and uncovered
// plot area shows the same retained picture.
class PlotWidget : public QWidget
{
    Q_OBJECT
public:
    explicit PlotWidget(GraphController &graph, QWidget *parent = nullptr);

    // The designed plot area, 9,015 x 5,265 plot units; it may grow with the window.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // Full extent W and H of the coordinate system at the current size.
    double extentW() const;
    double extentH() const;

    // Widget position to plot units and back, through the view shown.
    QPointF toPlot(QPointF pos) const;
    QPointF toWidget(QPointF plot) const;

protected:
    void paintEvent(QPaintEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;

private:
    QSize logicalSize() const;
    QSize pictureSize() const;
    void tellSize();

    GraphController &m_graph;
};
