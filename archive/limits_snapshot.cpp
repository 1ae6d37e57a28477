#include "archive/limits_snapshot.h"

namespace archive {
namespace {

const QString kHigh = QStringLiteral("high");
const QString kLow = QStringLiteral("low");
const QString kDelay = QStringLiteral("delay_min");
const QString kCumulative = QStringLiteral("cumulative");

QJsonValue orNull(const std::optional<double> &v) { return v ? QJsonValue(*v) : QJsonValue(); }
std::optional<double> number(const QJsonValue &v)
{
    return v.isDouble() ? std::optional<double>(v.toDouble()) : std::nullopt;
}

template <typename Quantities>
QJsonObject snapshotOf(const analysis::Limits &limits, const Quantities &quantities)
{
    QJsonObject out;
    for (const analysis::Quantity q : quantities)
        out.insert(analysis::key(q),
                   QJsonObject{{kHigh, orNull(limits[q].high)}, {kLow, orNull(limits[q].low)}});
    out.insert(kDelay, limits.delayMinutes);
    out.insert(kCumulative, limits.type == analysis::AlarmType::Cumulative);
    return out;
}

// A value as kept: a number's every bit, anything else as its text (checked when read).
QJsonValue keptValue(const QString &text)
{
    // Only a text that reads back as itself becomes a number: "1e3" stays "1e3", and is
    // refused as it was.
    bool isNumber = false;
    const double v = text.toDouble(&isNumber);
    return isNumber && QString::number(v, 'g', 17) == text ? QJsonValue(v) : QJsonValue(text);
}

std::optional<QString> valueText(const QJsonValue &v)
{
    if (v.isDouble())
        return QString::number(v.toDouble(), 'g', 17);
    if (v.isString())
        return v.toString();
    return std::nullopt;
}

std::optional<analysis::LimitValue> limitValue(const QJsonValue &v)
{
    const auto text = valueText(v);
    return text ? std::optional(analysis::LimitValue{*text, false}) : std::nullopt;
}

QJsonValue keptLimit(const std::optional<analysis::LimitValue> &v)
{
    // Settings keep temperatures in °C.
    return v ? keptValue(v->text) : QJsonValue();
}

} // namespace

QJsonObject limitsSnapshot(const analysis::Limits &limits, int model)
{
    return snapshotOf(limits, analysis::sensorsOf(model));
}

QJsonObject siteLimitsJson(const analysis::Limits &limits)
{
    return snapshotOf(limits, analysis::kQuantities);
}

QJsonObject siteLimitsJson(const analysis::LimitValues &values)
{
    QJsonObject out;
    for (const analysis::Quantity q : analysis::kQuantities) {
        const auto i = size_t(index(q));
        out.insert(analysis::key(q),
                   QJsonObject{{kHigh, keptLimit(values.high[i])}, {kLow, keptLimit(values.low[i])}});
    }
    if (values.delayMinutes)
        out.insert(kDelay, keptValue(*values.delayMinutes));
    if (values.type == analysis::typeName(analysis::AlarmType::Cumulative) ||
        values.type == analysis::typeName(analysis::AlarmType::Single))
        out.insert(kCumulative, *values.type == analysis::typeName(analysis::AlarmType::Cumulative));
    else if (values.type)
        out.insert(kCumulative, *values.type);
    return out;
}

analysis::LimitValues limitValuesOf(const QJsonObject &json)
{
    analysis::LimitValues values;
    for (const analysis::Quantity q : analysis::kQuantities) {
        const QJsonObject bounds = json.value(analysis::key(q)).toObject();
        const auto i = size_t(index(q));
        values.high[i] = limitValue(bounds.value(kHigh));
        values.low[i] = limitValue(bounds.value(kLow));
    }
    values.delayMinutes = valueText(json.value(kDelay));
    const QJsonValue type = json.value(kCumulative);
    if (type.isBool())
        values.type = analysis::typeName(type.toBool() ? analysis::AlarmType::Cumulative
                                                       : analysis::AlarmType::Single);
    else
        values.type = valueText(type);
    return values;
}

analysis::Limits limitsFromSnapshot(const QJsonObject &snapshot)
{
    analysis::Limits limits;
    for (const analysis::Quantity q : analysis::kQuantities) {
        const QJsonObject bounds = snapshot.value(analysis::key(q)).toObject();
        limits[q] = {number(bounds.value(kHigh)), number(bounds.value(kLow))};
    }
    limits.delayMinutes = snapshot.value(kDelay).toInt();
    limits.type = snapshot.value(kCumulative).toBool() ? analysis::AlarmType::Cumulative
                                                       : analysis::AlarmType::Single;
    return limits;
}

} // namespace archive
