#include "analysis/settings_limits.h"

#include <QSettings>
#include <QUrl>

using analysis::Limits;
using analysis::LimitValue;
using analysis::LimitValues;
using analysis::Quantity;

namespace {

const QString kDefaultGroup = QStringLiteral("limits/default");
const QString kLoggerGroups = QStringLiteral("limits/logger");
const QString kLoggerPrefix = QStringLiteral("logger:");
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

// The settings group of a scope. Serial texts are digits, but nothing in them may open a
// settings group of its own.
QString groupOf(const QString &scope)
{
    if (!scope.startsWith(kLoggerPrefix))
        return kDefaultGroup;
    return kLoggerGroups + QLatin1Char('/') +
           QString::fromLatin1(QUrl::toPercentEncoding(scope.mid(kLoggerPrefix.size())));
}

} // namespace

SettingsLimits::SettingsLimits()
    : m_settings(std::make_unique<QSettings>(QSettings::UserScope, QStringLiteral("Brivak"),
                                             QStringLiteral("Kestrun")))
{}

SettingsLimits::SettingsLimits(const QString &iniPath)
    : m_settings(std::make_unique<QSettings>(iniPath, QSettings::IniFormat))
{}

SettingsLimits::~SettingsLimits() = default;

QString SettingsLimits::location() const { return m_settings->fileName(); }

std::optional<LimitsBackend::Sets> SettingsLimits::readAll(QString *)
{
    // kestrun-cli may have changed the file while the window kept it open: read it afresh.
    m_settings->sync();
    Sets sets;
    if (auto values = read(kDefaultGroup))
        sets.insert(analysis::kDefaultScope, *values);
    m_settings->beginGroup(kLoggerGroups);
    const QStringList loggers = m_settings->childGroups();
    m_settings->endGroup();
    for (const QString &encoded : loggers) {
        const QString serial = QUrl::fromPercentEncoding(encoded.toLatin1());
        if (auto values = read(kLoggerGroups + QLatin1Char('/') + encoded))
            sets.insert(analysis::loggerScope(serial), *values);
    }
    return sets;
}

std::optional<LimitValues> SettingsLimits::read(const QString &group) const
{
    QSettings &s = *m_settings;
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

bool SettingsLimits::write(const QString &scope, const std::optional<Limits> &limits)
{
    QSettings &s = *m_settings;
    const QString group = groupOf(scope);
    if (!limits) {
        s.remove(group);
        return commit();
    }
    s.beginGroup(group);
    for (Quantity q : analysis::kQuantities) {
        const QString k = analysis::key(q);
        writeNumber(s, k + kHighKey, (*limits)[q].high);
        writeNumber(s, k + kLowKey, (*limits)[q].low);
    }
    s.setValue(kDelayKey, limits->delayMinutes);
    s.setValue(kTypeKey, analysis::typeName(limits->type));
    s.endGroup();
    return commit();
}

bool SettingsLimits::commit()
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
