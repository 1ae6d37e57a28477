#pragma once

#include "acquisition/graph_scale.h"
#include "view/graph_view.h"

#include <QDateTime>
#include <QString>

#include <array>

class ReadingsTable;

// The graph's scales and the texts of its axis labels. The labels are part of the interface:
// the cursor read-out and zoom read them back, so values are "#00.00" texts and dates and times
// the table's own date and time texts.
namespace graph {

using graphscale::drawsHumidity;
using graphscale::drawsValue;

// Bounds of the two scales by the graph's scale rule, over the whole table (not only the
// visible part). Bounds not drawn stay 0.
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
TimeLabels Time_Axis(const QDateTime &first, const QDateTime &last, const View &view);
TimeLabels Time_Axis(const ReadingsTable &table, const View &view);

// The labels' numbers in screen order: the left axis top to bottom, the right axis top to
// bottom, the dates and the times left to right.
inline constexpr std::array<int, 11> kLeftAxisLabels{2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
inline constexpr std::array<int, 11> kRightAxisLabels{35, 34, 33, 32, 31, 30, 29, 28, 27, 26, 25};
inline constexpr std::array<int, 6> kDateLabels{13, 18, 20, 22, 24, 15};
inline constexpr std::array<int, 6> kTimeLabels{14, 17, 19, 21, 23, 16};
// The unit captions above the left and the right axis.
inline constexpr int kValueUnitLabel = 36;
inline constexpr int kHumidityUnitLabel = 37;

// Everything the axes show after a redraw.
struct AxisTexts
{
    Bounds bounds;
    AxisLabels left;
    AxisLabels right;
    TimeLabels time;
};

} // namespace graph
