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

} // namespace

QJsonObject limitsSnapshot(const analysis::Limits &limits, int model)
{
    QJsonObject out;
    for (const analysis::Quantity q : analysis::sensorsOf(model))
        out.insert(analysis::key(q),
                   QJsonObject{{kHigh, orNull(limits[q].high)}, {kLow, orNull(limits[q].low)}});
    out.insert(kDelay, limits.delayMinutes);
    out.insert(kCumulative, limits.type == analysis::AlarmType::Cumulative);
    return out;
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
