#pragma once

#include "view/graph_renderer.h"
#include "view/graph_series.h"
#include "view/graph_view.h"

#include <QImage>
#include <QObject>
#include <QPointF>
#include <QRectF>
#include <QRgb>
#include <QSize>
#include <QString>

#include <array>

class ReadingSet;

// Everything the graph does, without a widget: the retained picture, the view the scroll bars
// carry, the texts of the axis labels and of the two read-outs, the zoom rectangle and the
// cross-hair, and what the mouse does in each mode. The data window shows this state and
// forwards its events here; tests drive it directly.
//
// Positions are plot units (graph_view.h). The full extent W x H follows the plot area's size.
class GraphController : public QObject
{
    Q_OBJECT
public:
    explicit GraphController(ReadingSet &set, QObject *parent = nullptr);
    ~GraphController() override;

    // The mode and the marker radius; the data window shows them under its own names and the
    // main window's zoom commands set them. Neither zoom flag set: cursor mode.
    bool zoomin = false;
    bool zoomout = false;
    double R = graph::kDefaultR;
    // The drag of a zoom: where the left button went down, where it is now, and the corner a
    // zoom-in anchors the new view at.
    double DragX0 = 0, DragY0 = 0, DragX1 = 0;
    int DragY1 = 0;
    double ZoomLeft = 0;
    int ZoomTop = 0;

    // The plot area: its picture in device pixels and its full extent in plot units. The view
    // keeps its place relative to the graph, and a graph on show is drawn again at the new size.
    void setSurface(QSize pixels, double W, double H);
    QSize pixels() const { return m_pixels; }
    const QImage &picture() const { return m_picture; }
    const graph::View &view() const { return m_view; }
    graph::PixelMap pixelMap() const { return graph::PixelMap(m_view, m_pixels); }

    // DRAW_GRAPH: unit captions, then the picture and the axis labels from the whole table.
    void draw();
    // Clear_screen: a blank picture and empty axis labels (not the unit captions or read-outs).
    void clear();
    // Back to the full extent with no zoom mode and the full-view marker size. A graph on show
    // that was zoomed is drawn again, so the picture always shows the scroll bars' view.
    void resetView();
    // The start values of the data window's load and activation: cursor mode (no zoom flag)
    // and no drag. The view and R, which belongs to the view shown, stay as they are.
    void endZoomModes();
    // A scroll bar moved: the view's left (top) edge follows and the graph is redrawn.
    void setHValue(int value);
    void setVValue(int value);

    // The mouse on the plot area, at a position in plot units.
    void press(Qt::MouseButton button, QPointF at);
    void move(Qt::MouseButtons buttons, QPointF at);
    void release(Qt::MouseButton button);

    // Texts of the axis labels Label2 ... Label35 (empty for other numbers).
    QString label(int number) const;
    // The read-outs Text1 (value and unit) and Text2 (date , time) and their text colour.
    const QString &text1() const { return m_text1; }
    const QString &text2() const { return m_text2; }
    QRgb readoutColour() const { return m_readoutColour; }
    // Colour of the picture's pixel under a plot position; 0 off the picture.
    QRgb pixelAt(QPointF at) const;

    // Shape1, the rectangle of a zoom drag, and the cross-hair LineX (horizontal, at height
    // crossHair().y()) and LineY (vertical, at crossHair().x()). None of them is in the picture.
    bool shape1Visible() const { return m_shapeVisible; }
    QRectF shape1() const { return m_shape; }
    bool crossHairVisible() const { return m_crossVisible; }
    QPointF crossHair() const { return m_cross; }

    // The limit lines of the graph; a graph on show is drawn again with them.
    void setLimitLines(std::vector<graph::LimitLine> lines);

    // Whether the picture holds a graph (drawn from at least two readings, not cleared since).
    bool showsGraph() const { return m_shown; }

Q_SIGNALS:
    void pictureChanged();  // picture, zoom rectangle or cross-hair
    void labelsChanged();   // axis label texts
    void viewChanged();     // scroll values or maxima
    void readoutsChanged(); // Text1, Text2 or their colour

private:
    void render();
    void clearDrag();
    void setView(const graph::View &v);
    void readOut(QPointF at);
    void setReadouts(const QString &t1, const QString &t2, QRgb colour);
    void setLabels(const graph::AxisTexts &texts);

    ReadingSet &m_set;
    graph::GraphSeries m_series;
    graph::GraphRenderer m_renderer;
    QImage m_picture;
    QSize m_pixels;
    graph::View m_view;
    bool m_shown = false;
    std::array<QString, 36> m_labels; // Label2 ... Label35 by number
    QString m_text1;
    QString m_text2;
    QRgb m_readoutColour = graph::kValueColour;
    bool m_shapeVisible = false;
    QRectF m_shape;
    bool m_crossVisible = false;
    QPointF m_cross;
};
