#pragma once

#include "analysis/summary.h"
#include "common/numfmt.h"

#include <QStringList>

// Rows for summaries, written as the table reads: "20.0 * 30.0" is three readings ten minutes
// apart from kStart, the second one "***". A humidity column follows after a slash:
// "20.0/55.0 21.0/*".
namespace summarytest {

inline const QDateTime kStart(QDate(2026, 12, 4), QTime(20, 0));
inline constexpr int kStep = 600;

inline std::optional<double> number(const QString &text)
{
    double v = 0;
    return numfmt::parse(text, &v) ? std::optional<double>(v) : std::nullopt;
}

// A number to two decimals, "-" for none: how the tests write figures.
inline QString n(const std::optional<double> &v)
{
    return v ? numfmt::plain(numfmt::roundHalfEven(*v, 2)) : QStringLiteral("-");
}

inline analysis::SummaryInput input(int model, const QString &script, bool fahrenheit = false)
{
    analysis::SummaryInput in;
    in.model = model;
    in.fahrenheit = fahrenheit;
    const QStringList cells = script.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < cells.size(); ++i) {
        const QStringList pair = cells[i].split(QLatin1Char('/'));
        in.rows.push_back({kStart.addSecs(i * kStep), number(pair[0]),
                           pair.size() > 1 ? number(pair[1]) : std::nullopt});
    }
    return in;
}

} // namespace summarytest
