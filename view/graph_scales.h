#pragma once

#include "view/graph_view.h"

#include <QString>

#include <array>

class ReadingsTable;

// The graph's scales and the texts of its axis labels. The labels are part of the interface:
// the cursor read-out and zoom read them back, so values are "#00.00" texts and dates and times
// the table's own date and time texts.
namespace graph {

// Models drawn with a value trace (every known code) and with a humidity trace.
bool drawsValue(int model);
bool drawsHumidity(int model);

// Bounds of the two scales, whole numbers: one above the largest and one below the smallest
// reading of the whole table (not only of the visible part). Bounds not drawn stay 0.
struct Bounds
{
    double Tv = 0, Bv = 0; // value axis, top and bottom
    double Th = 0, Bh = 0; // humidity axis
};

// The 11 labels of an axis from its top value `t` to its bottom value `b`, as far as the view
// shows them: position 0 at the top edge of the view, 10 at the bottom edge.
using AxisLabels = std::array<QString, 11>;
AxisLabels Left_Axis(double t, double b, const View &view);
// The same for the humidity axis; all empty unless the model has humidity.
AxisLabels Right_Axis(int model, double t, double b, const View &view);

// Dates and times of day at 0, 1/5, ... 5/5 of the visible time span.
struct TimeLabels
{
    std::array<QString, 6> dates;
    std::array<QString, 6> times;
};
// The span runs from the first reading (date and time texts of row 1) to the last one; texts
// that are not a date and time give empty labels.
TimeLabels Time_Axis(const QString &firstDate, const QString &firstTime, const QString &lastDate,
                     const QString &lastTime, const View &view);
TimeLabels Time_Axis(const ReadingsTable &table, const View &view);

// Everything the axes show after a redraw.
struct AxisTexts
{
    Bounds bounds;
    AxisLabels left;
    AxisLabels right;
    TimeLabels time;
};

} // namespace graph
