#pragma once

#include "analysis/summary.h"
#include "common/numfmt.h"

#include <QStringList>

#include <limits>

// Rows for summaries, written as the table reads: "20.0 * 30.0" is three readings ten minutes
// apart from kStart, the second one "***". A humidity column follows after a slash:
// "20.0/55.0 21.0/*". "26x3" is three readings of 26; "inf" and "-inf" are numbers no sensor
// reads. A first word "@60" puts the readings 60 seconds apart ("@-600": each one ten minutes
// before the one above it).
namespace summarytest {

inline const QDateTime kStart(QDate(2026, 12, 4), QTime(20, 0));
inline constexpr int kStep = 600;

inline std::optional<double> number(const QString &text)
{
    if (text.endsWith(QLatin1String("inf")))
        return (text.startsWith(QLatin1Char('-')) ? -1 : 1) *
               std::numeric_limits<double>::infinity();
    double v = 0;
    return numfmt::parse(text, &v) ? std::optional<double>(v) : std::nullopt;
}

// A number to two decimals, "-" for none: how the tests write figures.
inline QString n(const std::optional<double> &v)
{
    return v ? numfmt::plain(numfmt::roundHalfEven(*v, 2)) : QStringLiteral("-");
}

// Seconds between the script's readings.
inline int stepOf(const QString &script)
{
    return script.startsWith(QLatin1Char('@'))
               ? script.section(QLatin1Char(' '), 0, 0).mid(1).toInt()
               : kStep;
}

inline analysis::SummaryInput input(int model, const QString &script, bool fahrenheit = false)
{
    analysis::SummaryInput in;
    in.model = model;
    in.fahrenheit = fahrenheit;
    const int step = stepOf(script);
    QStringList cells = script.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (!cells.isEmpty() && cells.front().startsWith(QLatin1Char('@')))
        cells.removeFirst();
    for (const QString &cell : cells) {
        const QStringList repeated = cell.split(QLatin1Char('x'));
        const QStringList pair = repeated[0].split(QLatin1Char('/'));
        for (int k = 0; k < (repeated.size() > 1 ? repeated[1].toInt() : 1); ++k)
            in.rows.push_back({kStart.addSecs(qint64(in.rows.size()) * step), number(pair[0]),
                               pair.size() > 1 ? number(pair[1]) : std::nullopt});
    }
    return in;
}

} // namespace summarytest
