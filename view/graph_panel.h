#pragma once

#include <QWidget>

#include <array>

class GraphController;
class PlotWidget;
class QLabel;
class QScrollBar;

// The graph as laid out on the "Graph" tab: the plot area, the values of the left axis (Label2
// at the top edge ... Label12 at the bottom edge) and of the right axis (Label35 ... Label25)
// beside the grid lines, the dates (Label13, 18, 20, 22, 24, 15) and times (Label14, 17, 19,
// 21, 23, 16) under the six time positions, the unit captions Label36 / Label37 above the axes,
// and the scroll bars: HScroll1 under the time labels, VScroll1 beyond the right axis, each as
// long as the plot area's side it moves along.
//
// Placed by hand rather than by a layout: each label sits centred on the grid line it names,
// wherever the plot area's size puts the lines. The plot area takes all the room there is.
class GraphPanel : public QWidget
{
    Q_OBJECT
public:
    explicit GraphPanel(GraphController &graph, QWidget *parent = nullptr);

    PlotWidget *plot() const { return m_plot; }
    QScrollBar *hscroll() const { return m_hscroll; }
    QScrollBar *vscroll() const { return m_vscroll; }
    // Label2 ... Label37 by number; nullptr for other numbers.
    QLabel *label(int number) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent *e) override;
    void changeEvent(QEvent *e) override;

private:
    struct Margins
    {
        int left, top, right, bottom;
    };
    Margins margins() const;
    int valueWidth() const;
    int dateWidth() const;
    void placeChildren();
    void showTexts();

    GraphController &m_graph;
    PlotWidget *m_plot = nullptr;
    QScrollBar *m_hscroll = nullptr;
    QScrollBar *m_vscroll = nullptr;
    std::array<QLabel *, 38> m_labels{};
};
