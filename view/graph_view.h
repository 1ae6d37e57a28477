#pragma once

#include <QPointF>
#include <QSize>

#include <algorithm>
#include <cmath>

// The graph's coordinate system and the part of it the plot area shows.
//
// The graph is drawn in plot units over the full extent W x H of the plot area: x from 0 (left)
// to W, y from 0 (top) to H. A plot unit is a twip at 96 dots per inch (15 to a pixel), so the
// marker radius of 20 units is a little over a pixel at full view whatever the window's size.
// The extent follows the plot area's size; the grid keeps dividing it into 10 x 10 cells.
namespace graph {

inline constexpr double kUnitsPerPixel = 15;
// Marker radius at full view, in plot units.
inline constexpr double kDefaultR = 20;
// Half a pixel at full view. The scroll bars hold whole units, so a view's size drifts from its
// exact fraction of the extent by a unit or two over a few zoom steps; a size this close to
// the full extent is the full extent.
inline constexpr double kSnap = kUnitsPerPixel / 2;

// The designed plot area, in pixels: 9,015 x 5,265 plot units.
inline constexpr QSize kDesignedPixels(602, 352);

// The full extent along one side of a plot area `pixels` wide (or high): the first pixel is at
// 0, the last at the extent, so both edge readings are on screen.
inline double extentFor(int pixels)
{
    return std::max(1, pixels - 1) * kUnitsPerPixel;
}

// Pixel position of grid line k (0 to 10; 0 and 10 are the edges) across a side of `pixels`.
// The picture draws the lines here and the axis labels are placed by them.
inline int gridLine(int k, int pixels)
{
    return int(std::lround(k * (pixels - 1) / 10.0));
}

// Halves go to the even neighbour, as in every whole-number rounding of the graph.
inline int roundWhole(double v)
{
    return int(std::nearbyint(v));
}

// The view: the scroll bars carry it. Its left edge is the horizontal scroll value, its top edge
// the vertical one; the visible width is W minus the horizontal maximum and the visible height H
// minus the vertical maximum. Unzoomed all four numbers are 0.
struct View
{
    double W = 0;
    double H = 0;
    int hValue = 0;
    int hMax = 0;
    int vValue = 0;
    int vMax = 0;

    double left() const { return hValue; }
    double top() const { return vValue; }
    double width() const { return W - hMax; }
    double height() const { return H - vMax; }
    bool zoomed() const { return hMax != 0 || vMax != 0; }

    static View full(double w, double h) { return View{w, h, 0, 0, 0, 0}; }
    friend bool operator==(const View &, const View &) = default;
};

// Maps plot units to the pixels of a picture of `pixels` size showing `view`: the view's left
// edge lands on pixel column 0 and its right edge on the last column, likewise vertically.
class PixelMap
{
public:
    PixelMap(const View &view, QSize pixels)
        : m_left(view.left()), m_top(view.top()),
          m_sx(std::max(1, pixels.width() - 1) / std::max(view.width(), 1e-9)),
          m_sy(std::max(1, pixels.height() - 1) / std::max(view.height(), 1e-9))
    {}

    double sx() const { return m_sx; }
    double sy() const { return m_sy; }
    double pixelX(double x) const { return (x - m_left) * m_sx; }
    double pixelY(double y) const { return (y - m_top) * m_sy; }
    QPointF toPixel(QPointF plot) const { return {pixelX(plot.x()), pixelY(plot.y())}; }
    QPointF toPlot(QPointF pixel) const
    {
        return {m_left + pixel.x() / m_sx, m_top + pixel.y() / m_sy};
    }

private:
    double m_left;
    double m_top;
    double m_sx;
    double m_sy;
};

} // namespace graph
