#include "view/graph_zoom.h"

#include "common/datetext.h"
#include "common/numfmt.h"

#include <QDateTime>
#include <QTime>

#include <cmath>

namespace graph {

int zoomFactor(long long m)
{
    if (m % 2 == 0)
        return 2;
    if (m % 3 == 0)
        return 3;
    if (m % 5 == 0)
        return 5;
    return 1;
}

int timeZoomFactor(const QString &startTime, const QString &fifthTime)
{
    const QTime a = datetext::parseTime(startTime);
    const QTime b = datetext::parseTime(fifthTime);
    if (!a.isValid() || !b.isValid())
        return 1;
    // Times of day only: across midnight the difference is off by whole days, and a day's
    // 86,400 seconds keep divisibility by 2, 3 and 5 unchanged.
    const long long n = (b.msecsSinceStartOfDay() / 1000) - (a.msecsSinceStartOfDay() / 1000);
    return zoomFactor(n);
}

int valueZoomFactor(const QString &topLabel, const QString &secondLabel)
{
    double top = 0, second = 0;
    if (!numfmt::parse(topLabel, &top) || !numfmt::parse(secondLabel, &second))
        return 1;
    return zoomFactor((long long)numfmt::roundHalfEven((top - second) * 100, 0));
}

void zoomIn(View &view, double &r, double left, int top, int f, int g)
{
    const double w = view.width();
    const double h = roundWhole(view.height());
    if (f > 1) {
        const int hMax = roundWhole(view.W - w / f);
        if (view.W - hMax >= 1) {
            view.hMax = hMax;
            view.hValue = std::clamp(roundWhole(std::min(left, double(hMax))), 0, hMax);
            r /= f;
        }
    }
    if (g > 1) {
        const int vMax = roundWhole(view.H - h / g);
        if (view.H - vMax >= 1) {
            view.vMax = vMax;
            view.vValue = std::clamp(std::min(top, vMax), 0, vMax);
        }
    }
}

void zoomOut(View &view, double &r)
{
    double w = 2 * view.width();
    double h = 2 * double(roundWhole(view.height()));
    if (h >= view.H - kSnap)
        h = view.H;
    if (w <= view.W + kSnap)
        r *= 2;
    if (w >= view.W - kSnap)
        w = view.W;
    view.vMax = std::max(0, roundWhole(view.H - h));
    view.hMax = std::max(0, roundWhole(view.W - w));
    view.hValue = std::min(view.hValue, view.hMax);
    view.vValue = std::min(view.vValue, view.vMax);
}

View rescaled(const View &view, double w, double h)
{
    View out = View::full(w, h);
    if (view.W > 0) {
        const double fx = w / view.W;
        out.hMax = std::max(0, roundWhole(view.hMax * fx));
        out.hValue = std::clamp(roundWhole(view.hValue * fx), 0, out.hMax);
    }
    if (view.H > 0) {
        const double fy = h / view.H;
        out.vMax = std::max(0, roundWhole(view.vMax * fy));
        out.vValue = std::clamp(roundWhole(view.vValue * fy), 0, out.vMax);
    }
    return out;
}

QString valueReadout(const QString &topLabel, const QString &bottomLabel, const QString &unit,
                     double y, const View &view)
{
    const double top = numfmt::parseOr(topLabel, 0);
    const double bottom = numfmt::parseOr(bottomLabel, 0);
    const double h = view.height();
    const double v = h > 0 ? top - (y - view.vValue) * (top - bottom) / h : top;
    return numfmt::plain(numfmt::roundHalfEven(v, 1)) + QLatin1Char(' ') + unit;
}

QString timeReadout(const QString &startDate, const QString &startTime, const QString &endDate,
                    const QString &endTime, double x, const View &view)
{
    const QDateTime ts = datetext::combine(startDate, startTime);
    const QDateTime te = datetext::combine(endDate, endTime);
    if (!ts.isValid() || !te.isValid())
        return QString();
    const double w = view.width();
    const double at = w > 0 ? (x - view.hValue) * double(ts.secsTo(te)) / w : 0;
    const QDateTime t = ts.addSecs(qint64(std::floor(at + 0.5)));
    return datetext::dateText(t.date()) + QStringLiteral(" , ") + datetext::timeText(t.time());
}

} // namespace graph
