#include "analysis/limits_store.h"

#include "common/numfmt.h"

#include <QSettings>
#include <QUrl>

using analysis::Bounds;
using analysis::Limits;
using analysis::Quantity;

namespace {

const QString kDefaultGroup = QStringLiteral("limits/default");
const QString kDelayKey = QStringLiteral("delay_min");
const QString kTypeKey = QStringLiteral("type");
const QString kCumulative = QStringLiteral("cumulative");
const QString kSingle = QStringLiteral("single");

std::optional<double> readNumber(const QSettings &s, const QString &key)
{
    double v = 0;
    if (numfmt::parse(s.value(key).toString(), &v))
        return v;
    return std::nullopt;
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

Limits LimitsStore::lookup(const QString &serial) const
{
    if (auto own = forLogger(serial))
        return *own;
    return defaults();
}

Limits LimitsStore::defaults() const
{
    return read(kDefaultGroup).value_or(Limits{});
}

std::optional<Limits> LimitsStore::forLogger(const QString &serial) const
{
    if (serial.trimmed().isEmpty())
        return std::nullopt;
    return read(loggerGroup(serial));
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
    m_settings->remove(loggerGroup(serial));
    return commit();
}

QString LimitsStore::location() const
{
    return m_settings->fileName();
}

std::optional<Limits> LimitsStore::read(const QString &group) const
{
    QSettings &s = *m_settings;
    // Every stored set has its delay: without it there is no set in this group.
    if (!s.contains(group + QLatin1Char('/') + kDelayKey))
        return std::nullopt;
    s.beginGroup(group);
    Limits limits;
    for (Quantity q : analysis::kQuantities) {
        const QString k = analysis::key(q);
        limits[q].high = readNumber(s, k + QStringLiteral("/high"));
        limits[q].low = readNumber(s, k + QStringLiteral("/low"));
    }
    limits.delayMinutes = std::max(0, s.value(kDelayKey).toInt());
    limits.type = s.value(kTypeKey).toString() == kCumulative ? analysis::AlarmType::Cumulative
                                                              : analysis::AlarmType::Single;
    s.endGroup();
    return limits;
}

bool LimitsStore::write(const QString &group, const Limits &limits)
{
    QSettings &s = *m_settings;
    s.beginGroup(group);
    for (Quantity q : analysis::kQuantities) {
        const QString k = analysis::key(q);
        writeNumber(s, k + QStringLiteral("/high"), limits[q].high);
        writeNumber(s, k + QStringLiteral("/low"), limits[q].low);
    }
    s.setValue(kDelayKey, limits.delayMinutes);
    s.setValue(kTypeKey, limits.type == analysis::AlarmType::Cumulative ? kCumulative : kSingle);
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
