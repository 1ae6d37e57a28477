#include "analysis/limits.h"

#include "analysis/analysis_texts.h"
#include "common/numfmt.h"

#include <limits>

namespace analysis {

Bounds Limits::shownBounds(Quantity q, bool fahrenheit) const
{
    Bounds b = (*this)[q];
    if (b.high)
        b.high = shown(q, *b.high, fahrenheit);
    if (b.low)
        b.low = shown(q, *b.low, fahrenheit);
    return b;
}

LimitTexts toTexts(const Limits &limits, bool fahrenheit)
{
    LimitTexts t;
    t.fahrenheit = fahrenheit;
    for (Quantity q : kQuantities) {
        const Bounds b = limits.shownBounds(q, fahrenheit);
        const auto i = size_t(index(q));
        t.high[i] = b.high ? numfmt::plain(*b.high) : QString();
        t.low[i] = b.low ? numfmt::plain(*b.low) : QString();
    }
    t.delayMinutes = QString::number(limits.delayMinutes);
    t.cumulative = limits.type == AlarmType::Cumulative;
    return t;
}

namespace {

// One limit field: empty is no limit, a number is a limit, anything else is an error.
bool readLimit(const QString &text, Quantity q, const QString &which, bool fahrenheit,
               std::optional<double> *out, QString *error)
{
    if (text.trimmed().isEmpty())
        return true;
    double v = 0;
    if (!numfmt::parse(text, &v)) {
        *error = analysistext::kNotANumber.arg(which, caption(q).toLower(), text.trimmed());
        return false;
    }
    *out = stored(q, v, fahrenheit);
    return true;
}

} // namespace

Validation validate(const LimitTexts &texts)
{
    Validation result;
    Limits limits;
    for (Quantity q : kQuantities) {
        const auto i = size_t(index(q));
        Bounds &b = limits[q];
        if (!readLimit(texts.high[i], q, analysistext::kHigh, texts.fahrenheit, &b.high,
                       &result.error) ||
            !readLimit(texts.low[i], q, analysistext::kLow, texts.fahrenheit, &b.low,
                       &result.error))
            return result;
        if (b.high && b.low && !(*b.low < *b.high)) {
            result.error = analysistext::kLowNotBelowHigh.arg(
                caption(q).toLower(), texts.low[i].trimmed(), texts.high[i].trimmed());
            return result;
        }
    }
    const QString delay = texts.delayMinutes.trimmed();
    bool ok = delay.isEmpty();
    const qlonglong minutes = ok ? 0 : delay.toLongLong(&ok);
    if (!ok || minutes < 0 || minutes > std::numeric_limits<int>::max()) {
        result.error = analysistext::kBadDelay.arg(delay);
        return result;
    }
    limits.delayMinutes = int(minutes);
    limits.type = texts.cumulative ? AlarmType::Cumulative : AlarmType::Single;
    result.limits = limits;
    return result;
}

} // namespace analysis
