#pragma once

#include <QWidget>

#include <array>

class PlotWidget;
class QLabel;
class QScrollBar;

// The graph as laid out on the "Graph" tab: the plot area with its scroll bars (VScroll1 to its
// right, HScroll1 below it), the values of the left axis (Label2 at the top edge ... Label12 at
// the bottom edge) and of the right axis (Label35 ... Label25) beside the grid lines, the dates
// (Label13, 18, 20, 22, 24, 15) and times (Label14, 17, 19, 21, 23, 16) under the six time
// positions, and the unit captions Label36 / Label37 above the axes.
//
// Placed by hand rather than by a layout: each label sits centred on the grid line it names,
// wherever the plot area's size puts the lines.
class GraphPanel : public QWidget
{
    Q_OBJECT
public:
    explicit GraphPanel(QWidget *parent = nullptr);

    PlotWidget *plot() const { return m_plot; }
    QScrollBar *hscroll() const { return m_hscroll; }
    QScrollBar *vscroll() const { return m_vscroll; }
    // Label2 ... Label37 by number; nullptr for other numbers.
    QLabel *label(int number) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // Labels of the left axis, the time positions and the right axis, in screen order.
    static constexpr std::array<int, 11> kLeftAxis{2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    static constexpr std::array<int, 11> kRightAxis{35, 34, 33, 32, 31, 30, 29, 28, 27, 26, 25};
    static constexpr std::array<int, 6> kDates{13, 18, 20, 22, 24, 15};
    static constexpr std::array<int, 6> kTimes{14, 17, 19, 21, 23, 16};

protected:
    void resizeEvent(QResizeEvent *e) override;
    void changeEvent(QEvent *e) override;

private:
    struct Margins
    {
        int left, top, right, bottom;
    };
    Margins margins() const;
    void placeChildren();

    PlotWidget *m_plot = nullptr;
    QScrollBar *m_hscroll = nullptr;
    QScrollBar *m_vscroll = nullptr;
    std::array<QLabel *, 38> m_labels{};
};
