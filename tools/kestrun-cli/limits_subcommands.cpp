// `kestrun-cli limits show|set|clear`: the limits Setting -> Limits... keeps, in the same
// archive, so a computer without a display can be set up.

#include "tools/kestrun-cli/subcommands.h"
#include "tools/kestrun-cli/site_store.h"

#include "analysis/analysis_texts.h"
#include "analysis/limits_store.h"
#include "common/numfmt.h"
#include "tools/kestrun-cli/command_group.h"
#include "tools/kestrun-cli/console.h"
#include "tools/kestrun-cli/limit_options.h"
#include "tools/kestrun-cli/subcommand_parser.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {

using analysis::Limits;
using analysis::LimitValues;
using analysis::Quantity;

// Whose limits a scope names, as the messages say it.
QString whose(const QString &serial)
{
    return serial.isEmpty() ? analysistext::kDefaultLimits
                            : analysistext::kLoggerLimits.arg(serial);
}

// "low 2 °C, high 8 °C", "none".
QString boundsText(Quantity q, const analysis::Bounds &b)
{
    QStringList parts;
    const QString u = analysis::unit(q, false);
    if (b.low)
        parts << QStringLiteral("low %1 %2").arg(numfmt::plain(*b.low), u);
    if (b.high)
        parts << QStringLiteral("high %1 %2").arg(numfmt::plain(*b.high), u);
    return parts.isEmpty() ? QStringLiteral("none") : parts.join(QStringLiteral(", "));
}

QJsonValue number(const std::optional<double> &v)
{
    return v ? QJsonValue(*v) : QJsonValue();
}

// The stored set of a scope as kept, and what the store makes of it (a change starts from it).
struct Base
{
    LimitValues values;
    analysis::Validation check;
};

Base baseOf(const LimitsStore &store, const QString &serial)
{
    if (serial.isEmpty())
        return {store.storedDefaults().value_or(LimitValues{}), store.defaults()};
    return {store.startingPoint(serial), store.lookup(serial)};
}

// Parses the words of a `limits` command and the set they name; the status to end with when
// that fails.
std::optional<int> parseScope(SubcommandParser &p, const QStringList &words, QString *serial)
{
    if (const auto status = p.parse(words))
        return status;
    const auto scope = limitoptions::scope(p);
    if (!scope)
        return 1;
    *serial = *scope;
    return std::nullopt;
}

int show(const QStringList &words)
{
    SubcommandParser p(QStringLiteral("limits show"));
    QString serial;
    if (const auto status = parseScope(p, words, &serial))
        return *status;
    const LimitsStore &store = archivecli::siteLimits();
    const analysis::Validation v = baseOf(store, serial).check;
    if (!v.limits)
        return console::fail(v.error);
    const Limits &l = *v.limits;
    // A logger without a set of its own has the default's.
    const bool own = serial.isEmpty() ? store.storedDefaults().has_value()
                                       : store.storedForLogger(serial).has_value();
    if (p.isSet(QStringLiteral("json"))) {
        QJsonObject o{{QStringLiteral("serial"), serial.isEmpty() ? QJsonValue() : serial},
                      {QStringLiteral("own"), own}};
        for (Quantity q : analysis::kQuantities)
            o.insert(analysis::key(q), QJsonObject{{QStringLiteral("high"), number(l[q].high)},
                                                   {QStringLiteral("low"), number(l[q].low)}});
        o.insert(QStringLiteral("delay_min"), l.delayMinutes);
        o.insert(QStringLiteral("type"), analysis::typeName(l.type));
        o.insert(QStringLiteral("stored_in"), store.location());
        console::out(QJsonDocument(o).toJson(QJsonDocument::Indented));
        return 0;
    }
    const auto line = [](const QString &label, const QString &value) {
        console::outLine((label + QLatin1Char(':')).leftJustified(14) + value);
    };
    QString of = whose(serial);
    if (!serial.isEmpty())
        of += own ? QStringLiteral(", its own set") : QStringLiteral(", the default set");
    else if (!own)
        of += QStringLiteral(", none stored");
    line(QStringLiteral("Limits of"), of);
    for (Quantity q : analysis::kQuantities)
        line(analysis::caption(q), boundsText(q, l[q]));
    line(QStringLiteral("Alarm delay"),
         QStringLiteral("%1 min, %2").arg(l.delayMinutes).arg(analysis::typeName(l.type)));
    line(QStringLiteral("Stored in"), store.location());
    return 0;
}

// Stores `limits` as the set of the scope; false after the reason was printed.
bool store(LimitsStore &store, const QString &serial, const Limits &limits)
{
    const bool stored =
        serial.isEmpty() ? store.setDefaults(limits) : store.setForLogger(serial, limits);
    if (!stored)
        console::fail(analysistext::kNotStored.arg(store.location()));
    return stored;
}

int set(const QStringList &words)
{
    SubcommandParser p(QStringLiteral("limits set"));
    QString serial;
    if (const auto status = parseScope(p, words, &serial))
        return *status;
    const auto given = limitoptions::given(p, Quantity::Temperature);
    if (!given)
        return 1;
    if (*given == LimitValues{})
        return p.usageError(QStringLiteral("nothing to set: give a limit, --delay, --single or "
                                           "--cumulative"));
    LimitsStore &limits = archivecli::siteLimits();
    const Base base = baseOf(limits, serial);
    const auto checked = limitoptions::checkedOver(base.values, base.check, *given);
    return checked && store(limits, serial, *checked) ? 0 : 1;
}

int clear(const QStringList &words)
{
    SubcommandParser p(QStringLiteral("limits clear"));
    QString serial;
    if (const auto status = parseScope(p, words, &serial))
        return *status;
    LimitsStore &limits = archivecli::siteLimits();
    Base base = baseOf(limits, serial);
    bool any = false;
    const struct
    {
        const char *option;
        std::optional<analysis::LimitValue> *value;
    } fields[] = {
        {"high", &base.values.high[size_t(index(Quantity::Temperature))]},
        {"low", &base.values.low[size_t(index(Quantity::Temperature))]},
        {"rh-high", &base.values.high[size_t(index(Quantity::Humidity))]},
        {"rh-low", &base.values.low[size_t(index(Quantity::Humidity))]},
    };
    for (const auto &f : fields)
        if (p.isSet(QLatin1String(f.option))) {
            f.value->reset();
            any = true;
        }
    if (!any) {
        // The whole set: a logger goes back to the default, the default to no limits.
        const bool removed =
            serial.isEmpty() ? limits.removeDefaults() : limits.removeForLogger(serial);
        return removed ? 0 : console::fail(analysistext::kNotStored.arg(limits.location()));
    }
    const auto checked = limitoptions::checkedOver(base.values, base.check, LimitValues{});
    return checked && store(limits, serial, *checked) ? 0 : 1;
}

} // namespace

int runLimits(const QStringList &words)
{
    return commandgroup::run(
        QStringLiteral("limits"),
        QStringLiteral("The alarm limits of Setting \u2192 Limits..., kept in the same "
                       "archive: a set per\nlogger serial number (--serial N) and the default "
                       "for every logger (--default). Every change is recorded in the\naudit "
                       "trail with the old and the new set."),
        {{"show", show}, {"set", set}, {"clear", clear}}, words);
}
