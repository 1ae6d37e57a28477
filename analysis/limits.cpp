#include "analysis/limits.h"

#include "analysis/analysis_texts.h"
#include "common/numfmt.h"

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

QString typeName(AlarmType type)
{
    return type == AlarmType::Cumulative ? QStringLiteral("cumulative") : QStringLiteral("single");
}

namespace {

// One limit: none, or a number (kept in °C); anything else is refused.
bool readLimit(const std::optional<LimitValue> &given, Quantity q, const QString &which,
               std::optional<double> *out, QString *error)
{
    if (!given)
        return true;
    double v = 0;
    const QString text = given->text.trimmed();
    if (text.isEmpty()) {
        *error = analysistext::kEmptyLimit.arg(which, caption(q).toLower());
        return false;
    }
    if (!numfmt::parse(text, &v)) {
        *error = analysistext::kNotANumber.arg(which, caption(q).toLower(), text);
        return false;
    }
    *out = stored(q, v, given->fahrenheit);
    return true;
}

// A limit as its text says it; with the unit when the two limits compared were given in
// different units (a °F option against a stored °C limit).
QString limitText(const LimitValue &v, Quantity q, bool withUnit)
{
    const QString text = v.text.trimmed();
    return withUnit ? text + QLatin1Char(' ') + unit(q, v.fahrenheit) : text;
}

bool readDelay(const std::optional<QString> &given, int *out, QString *error)
{
    if (!given)
        return true;
    const QString delay = given->trimmed();
    bool ok = false;
    const qlonglong minutes = delay.toLongLong(&ok);
    if (!ok || minutes < 0 || minutes > kMaxDelayMinutes) {
        *error = analysistext::kBadDelay.arg(delay);
        return false;
    }
    *out = int(minutes);
    return true;
}

bool readType(const std::optional<QString> &given, AlarmType *out, QString *error)
{
    if (!given)
        return true;
    for (const AlarmType t : {AlarmType::Single, AlarmType::Cumulative})
        if (given->trimmed() == typeName(t)) {
            *out = t;
            return true;
        }
    *error = analysistext::kBadType.arg(given->trimmed());
    return false;
}

} // namespace

Validation validate(const LimitValues &values)
{
    Validation result;
    Limits limits;
    for (Quantity q : kQuantities) {
        const auto i = size_t(index(q));
        Bounds &b = limits[q];
        if (!readLimit(values.high[i], q, analysistext::kHigh, &b.high, &result.error) ||
            !readLimit(values.low[i], q, analysistext::kLow, &b.low, &result.error))
            return result;
        if (b.high && b.low && !(*b.low < *b.high)) {
            const bool units = q == Quantity::Temperature &&
                               values.low[i]->fahrenheit != values.high[i]->fahrenheit;
            result.error = analysistext::kLowNotBelowHigh.arg(
                caption(q).toLower(), limitText(*values.low[i], q, units),
                limitText(*values.high[i], q, units));
            return result;
        }
    }
    if (!readDelay(values.delayMinutes, &limits.delayMinutes, &result.error) ||
        !readType(values.type, &limits.type, &result.error))
        return result;
    result.limits = limits;
    return result;
}

LimitValues laidOver(LimitValues base, const LimitValues &over)
{
    const auto lay = [](auto &to, const auto &from) {
        if (from)
            to = from;
    };
    for (size_t i = 0; i < size_t(kQuantityCount); ++i) {
        lay(base.high[i], over.high[i]);
        lay(base.low[i], over.low[i]);
    }
    lay(base.delayMinutes, over.delayMinutes);
    lay(base.type, over.type);
    return base;
}

LimitTexts toTexts(const LimitValues &values, bool fahrenheit)
{
    LimitTexts t;
    t.fahrenheit = fahrenheit;
    const auto text = [fahrenheit](Quantity q, const std::optional<LimitValue> &v) {
        double n = 0;
        if (!v)
            return QString();
        if (!numfmt::parse(v->text, &n))
            return v->text;
        return numfmt::plain(shown(q, stored(q, n, v->fahrenheit), fahrenheit));
    };
    for (Quantity q : kQuantities) {
        const auto i = size_t(index(q));
        t.high[i] = text(q, values.high[i]);
        t.low[i] = text(q, values.low[i]);
    }
    t.delayMinutes = values.delayMinutes.value_or(QStringLiteral("0"));
    t.cumulative = values.type == typeName(AlarmType::Cumulative);
    return t;
}

Validation validate(const LimitTexts &texts)
{
    LimitValues values;
    const auto field = [&texts](const QString &text) -> std::optional<LimitValue> {
        if (text.trimmed().isEmpty())
            return std::nullopt;
        return LimitValue{text, texts.fahrenheit};
    };
    for (size_t i = 0; i < size_t(kQuantityCount); ++i) {
        values.high[i] = field(texts.high[i]);
        values.low[i] = field(texts.low[i]);
    }
    if (!texts.delayMinutes.trimmed().isEmpty())
        values.delayMinutes = texts.delayMinutes;
    values.type = typeName(texts.cumulative ? AlarmType::Cumulative : AlarmType::Single);
    return validate(values);
}

} // namespace analysis
