#include "tools/kestrun-cli/limit_options.h"

#include "analysis/limits_store.h"
#include "common/numfmt.h"
#include "tools/kestrun-cli/console.h"
#include "tools/kestrun-cli/subcommand_parser.h"

namespace limitoptions {

using analysis::LimitValue;
using analysis::LimitValues;
using analysis::Quantity;

namespace {

struct TypeOption
{
    const char *option;
    analysis::AlarmType type;
};
constexpr TypeOption kTypeOptions[] = {{"single", analysis::AlarmType::Single},
                                       {"cumulative", analysis::AlarmType::Cumulative}};

} // namespace

bool anyGiven(const SubcommandParser &p)
{
    for (const char *name : {"high", "low", "rh-high", "rh-low", "delay", "single", "cumulative"})
        if (p.isSet(QLatin1String(name)))
            return true;
    return false;
}

std::optional<LimitValues> given(SubcommandParser &p, Quantity valueQuantity)
{
    if (p.isSet(QStringLiteral("single")) && p.isSet(QStringLiteral("cumulative"))) {
        p.usageError(QStringLiteral("give either --single or --cumulative, not both"));
        return std::nullopt;
    }
    const bool fahrenheit = p.isSet(QStringLiteral("fahrenheit"));
    LimitValues values;
    const struct
    {
        const char *option;
        std::optional<LimitValue> *value;
    } limits[] = {
        {"high", &values.high[size_t(index(valueQuantity))]},
        {"low", &values.low[size_t(index(valueQuantity))]},
        {"rh-high", &values.high[size_t(index(Quantity::Humidity))]},
        {"rh-low", &values.low[size_t(index(Quantity::Humidity))]},
    };
    for (const auto &l : limits)
        if (p.isSet(QLatin1String(l.option)))
            *l.value = LimitValue{p.value(QLatin1String(l.option)), fahrenheit};
    if (p.isSet(QStringLiteral("delay")))
        values.delayMinutes = p.value(QStringLiteral("delay"));
    // Neither: the type stays as stored.
    for (const TypeOption &t : kTypeOptions)
        if (p.isSet(QLatin1String(t.option)))
            values.type = analysis::typeName(t.type);
    // Options that fail on their own are the user's to mend, whatever is stored.
    const analysis::Validation alone = analysis::validate(values);
    if (!alone.limits) {
        p.usageError(alone.error);
        return std::nullopt;
    }
    return values;
}

std::optional<analysis::Limits> checkedOver(const LimitValues &stored,
                                            const analysis::Validation &storedCheck,
                                            const LimitValues &over)
{
    const analysis::Validation v = analysis::validate(analysis::laidOver(stored, over));
    if (v.limits)
        return v.limits;
    // The stored set's own fault is said with whose set it is.
    console::fail(storedCheck.limits ? v.error : storedCheck.error);
    return std::nullopt;
}

std::optional<analysis::Limits> runLimits(SubcommandParser &p, const LimitsStore &store,
                                          const QString &serial, Quantity valueQuantity)
{
    const auto options = given(p, valueQuantity);
    if (!options)
        return std::nullopt;
    return checkedOver(store.startingPoint(serial), store.lookup(serial), *options);
}

std::optional<QString> scope(SubcommandParser &p)
{
    const QString serial = QStringLiteral("serial");
    if (p.isSet(serial) && p.isSet(QStringLiteral("default"))) {
        p.usageError(QStringLiteral("give either --serial N or --default, not both"));
        return std::nullopt;
    }
    if (!p.isSet(serial))
        return QString();
    const auto n = p.number(serial, 0, 9999);
    if (!n)
        return std::nullopt;
    // As the window keys them: the serial number of the caption, four digits.
    return numfmt::picture(*n, "#0000");
}

} // namespace limitoptions
