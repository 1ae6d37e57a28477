#include "analysis/limits_store.h"

#include "analysis/analysis_texts.h"
#include "common/numfmt.h"

#include <QSettings>
#include <QUrl>

using analysis::Limits;
using analysis::LimitValue;
using analysis::LimitValues;
using analysis::Quantity;
using analysis::Validation;

namespace {

const QString kDefaultGroup = QStringLiteral("limits/default");
const QString kDelayKey = QStringLiteral("delay_min");
const QString kTypeKey = QStringLiteral("type");
const QString kHighKey = QStringLiteral("/high");
const QString kLowKey = QStringLiteral("/low");

// A stored value exactly as kept; nullopt when there is none.
std::optional<QString> readText(const QSettings &s, const QString &key)
{
    if (!s.contains(key))
        return std::nullopt;
    return s.value(key).toString();
}

std::optional<LimitValue> readLimit(const QSettings &s, const QString &key)
{
    const auto text = readText(s, key);
    if (!text)
        return std::nullopt;
    return LimitValue{*text, false};
}

void writeNumber(QSettings &s, const QString &key, const std::optional<double> &v)
{
    if (v)
        s.setValue(key, QString::number(*v, 'g', 17)); // every bit back on reading
    else
        s.remove(key);
}

} // namespace

LimitsStore::LimitsStore()
    : m_settings(std::make_unique<QSettings>(QSettings::UserScope, QStringLiteral("Brivak"),
                                             QStringLiteral("Kestrun")))
{}

LimitsStore::LimitsStore(const QString &iniPath)
    : m_settings(std::make_unique<QSettings>(iniPath, QSettings::IniFormat))
{}

LimitsStore::~LimitsStore() = default;

QString LimitsStore::loggerGroup(const QString &serial)
{
    // Serial texts are digits, but nothing in them may open a settings group of its own.
    return QStringLiteral("limits/logger/") +
           QString::fromLatin1(QUrl::toPercentEncoding(serial.trimmed()));
}

Validation LimitsStore::checked(const LimitValues &values, const QString &whose)
{
    Validation v = analysis::validate(values);
    if (!v.limits)
        v.error = analysistext::kStoredRefused.arg(whose, v.error);
    return v;
}

Validation LimitsStore::lookup(const QString &serial) const
{
    if (const auto own = storedForLogger(serial))
        return checked(*own, analysistext::kLoggerLimits.arg(serial.trimmed()));
    return defaults();
}

Validation LimitsStore::defaults() const
{
    if (const auto stored = storedDefaults())
        return checked(*stored, analysistext::kDefaultLimits);
    return {Limits{}, QString()};
}

std::optional<LimitValues> LimitsStore::storedForLogger(const QString &serial) const
{
    if (serial.trimmed().isEmpty())
        return std::nullopt;
    return read(loggerGroup(serial));
}

std::optional<LimitValues> LimitsStore::storedDefaults() const
{
    return read(kDefaultGroup);
}

LimitValues LimitsStore::startingPoint(const QString &serial) const
{
    if (auto own = storedForLogger(serial))
        return *own;
    return storedDefaults().value_or(LimitValues{});
}

bool LimitsStore::setDefaults(const Limits &limits)
{
    return write(kDefaultGroup, limits);
}

bool LimitsStore::setForLogger(const QString &serial, const Limits &limits)
{
    return !serial.trimmed().isEmpty() && write(loggerGroup(serial), limits);
}

bool LimitsStore::removeForLogger(const QString &serial)
{
    if (serial.trimmed().isEmpty())
        return false;
    m_settings->remove(loggerGroup(serial));
    return commit();
}

bool LimitsStore::removeDefaults()
{
    m_settings->remove(kDefaultGroup);
    return commit();
}

QString LimitsStore::location() const
{
    return m_settings->fileName();
}

std::optional<LimitValues> LimitsStore::read(const QString &group) const
{
    QSettings &s = *m_settings;
    // kestrun-cli may have changed the file while the window kept it open: read it afresh.
    s.sync();
    // Every stored set has its delay: without it there is no set in this group.
    if (!s.contains(group + QLatin1Char('/') + kDelayKey))
        return std::nullopt;
    s.beginGroup(group);
    LimitValues values;
    for (Quantity q : analysis::kQuantities) {
        const QString k = analysis::key(q);
        const auto i = size_t(index(q));
        values.high[i] = readLimit(s, k + kHighKey);
        values.low[i] = readLimit(s, k + kLowKey);
    }
    values.delayMinutes = readText(s, kDelayKey);
    values.type = readText(s, kTypeKey);
    s.endGroup();
    return values;
}

bool LimitsStore::write(const QString &group, const Limits &limits)
{
    QSettings &s = *m_settings;
    s.beginGroup(group);
    for (Quantity q : analysis::kQuantities) {
        const QString k = analysis::key(q);
        writeNumber(s, k + kHighKey, limits[q].high);
        writeNumber(s, k + kLowKey, limits[q].low);
    }
    s.setValue(kDelayKey, limits.delayMinutes);
    s.setValue(kTypeKey, analysis::typeName(limits.type));
    s.endGroup();
    return commit();
}

bool LimitsStore::commit()
{
    m_settings->sync();
    if (m_settings->status() == QSettings::NoError)
        return true;
    // What could not be written must not be seen either: read the settings afresh.
    const QString file = m_settings->fileName();
    const QSettings::Format format = m_settings->format();
    m_settings.reset(); // its last attempt to write fails like this one
    m_settings = std::make_unique<QSettings>(file, format);
    return false;
}
