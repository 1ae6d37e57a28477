#pragma once

#include "view/graph_view.h"

#include <QString>

// Zoom steps and the cursor read-outs of the graph. Both work from the axis labels as shown, so
// a zoomed view keeps whole seconds per time division and round value steps, and the read-outs
// agree with the labels the user sees.
namespace graph {

// 2 if m is even (0 included), else 3 if 3 divides it, else 5 if 5 does; 1 (no zoom) otherwise.
int zoomFactor(long long m);
// The horizontal factor from the seconds per time division, i.e. the time of day of the label
// at the first fifth of the view minus that of the label at its left edge.
int timeZoomFactor(const QString &startTime, const QString &fifthTime);
// The vertical factor from the value step between the two top labels of the left axis, counted
// in hundredths.
int valueZoomFactor(const QString &topLabel, const QString &secondLabel);

// Zoom in by `f` horizontally and `g` vertically (1: that direction stays as it is): the view
// shrinks to 1/f and 1/g of its size, anchored at (`left`, `top`) as far as the new maxima
// allow, and the marker radius `r` shrinks with the width so markers keep their size on screen.
// A step that would leave less than one plot unit visible is not taken.
void zoomIn(View &view, double &r, double left, int top, int f, int g);
// Zoom out: twice the width and height, never more than the full extent; the view keeps its
// left and top edges as far as the new maxima allow. `r` doubles unless the width was capped;
// a width that overshoots the extent only by the rounding of earlier steps (kSnap) is a plain
// doubling back to the full view, so markers get their full-view size back.
void zoomOut(View &view, double &r);
// The same view on a plot area whose full extent became `w` x `h` (the window was resized).
View rescaled(const View &view, double w, double h);

// Cursor read-outs at the plot point (x, y).
// The value under y from the top and bottom labels of an axis: one decimal, a blank, the unit.
QString valueReadout(const QString &topLabel, const QString &bottomLabel, const QString &unit,
                     double y, const View &view);
// The moment under x from the date and time labels at the view's left and right edges:
// "date , time". Empty when the labels hold no date and time.
QString timeReadout(const QString &startDate, const QString &startTime, const QString &endDate,
                    const QString &endTime, double x, const View &view);

} // namespace graph
