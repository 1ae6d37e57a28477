#include "view/graph_scales.h"

#include "acquisition/readings_table.h"
#include "common/datetext.h"
#include "common/numfmt.h"

#include <QDateTime>

#include <cmath>

namespace graph {

AxisLabels Left_Axis(double t, double b, const View &view)
{
    AxisLabels out;
    const double k = view.H > 0 ? (t - b) / view.H : 0; // value units per plot unit
    const double top = t - view.vValue * k;
    const double bottom = top - view.height() * k;
    const double step = (top - bottom) / 10;
    for (int j = 0; j <= 10; ++j)
        out[j] = numfmt::picture(numfmt::roundHalfEven(top - j * step, 2), "#00.00");
    return out;
}

AxisLabels Right_Axis(int model, double t, double b, const View &view)
{
    return drawsHumidity(model) ? Left_Axis(t, b, view) : AxisLabels{};
}

TimeLabels Time_Axis(const QString &firstDate, const QString &firstTime, const QString &lastDate,
                     const QString &lastTime, const View &view)
{
    return Time_Axis(datetext::combine(firstDate, firstTime), datetext::combine(lastDate, lastTime),
                     view);
}

TimeLabels Time_Axis(const QDateTime &t0, const QDateTime &t1, const View &view)
{
    TimeLabels out;
    if (!t0.isValid() || !t1.isValid() || view.W <= 0)
        return out;
    // In seconds: the texts carry whole seconds, and every label is rounded to one.
    const double d = double(t0.secsTo(t1)) / view.W;
    const double start = view.hValue * d;
    const double end = start + view.width() * d;
    for (int p = 0; p <= 5; ++p) {
        const double at = p == 5 ? end : start + p * (end - start) / 5;
        const QDateTime t = t0.addSecs(qint64(std::floor(at + 0.5)));
        out.dates[p] = datetext::dateText(t.date());
        out.times[p] = datetext::timeText(t.time());
    }
    return out;
}

TimeLabels Time_Axis(const ReadingsTable &table, const View &view)
{
    const int last = table.rows() - 1;
    return Time_Axis(table.readingTime(1), table.readingTime(last), view);
}

} // namespace graph
