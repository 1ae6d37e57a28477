#include "analysis/limits_store.h"

#include "analysis/analysis_texts.h"
#include "analysis/settings_limits.h"

using analysis::Limits;
using analysis::LimitValues;
using analysis::Validation;

QString analysis::loggerScope(const QString &serial)
{
    const QString s = serial.trimmed();
    return s.isEmpty() ? QString() : QStringLiteral("logger:") + s;
}

LimitsStore::LimitsStore() : LimitsStore(std::make_unique<SettingsLimits>()) {}

LimitsStore::LimitsStore(const QString &iniPath)
    : LimitsStore(std::make_unique<SettingsLimits>(iniPath))
{}

LimitsStore::LimitsStore(std::unique_ptr<LimitsBackend> backend) : m_backend(std::move(backend)) {}

LimitsStore::~LimitsStore() = default;

void LimitsStore::reload() { readNow(); }

void LimitsStore::readNow() const
{
    m_unreadable.clear();
    m_sets = m_backend->readAll(&m_unreadable);
    m_read = true;
}

const LimitsBackend::Sets &LimitsStore::sets() const
{
    static const LimitsBackend::Sets none;
    if (!m_read)
        readNow();
    return m_sets ? *m_sets : none;
}

QString LimitsStore::unreadable() const
{
    sets();
    return m_sets ? QString() : analysistext::kLimitsUnreadable.arg(m_unreadable);
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
    // Limits that cannot be read judge nothing, rather than a run be judged by none.
    if (const QString why = unreadable(); !why.isEmpty())
        return {std::nullopt, why};
    if (const auto kept = storedDefaults())
        return checked(*kept, analysistext::kDefaultLimits);
    return {Limits{}, QString()};
}

std::optional<LimitValues> LimitsStore::stored(const QString &scope) const
{
    const LimitsBackend::Sets &all = sets();
    const auto it = all.constFind(scope);
    return it == all.cend() ? std::nullopt : std::optional(*it);
}

std::optional<LimitValues> LimitsStore::storedForLogger(const QString &serial) const
{
    const QString scope = analysis::loggerScope(serial);
    return scope.isEmpty() ? std::nullopt : stored(scope);
}

std::optional<LimitValues> LimitsStore::storedDefaults() const
{
    return stored(analysis::kDefaultScope);
}

LimitValues LimitsStore::startingPoint(const QString &serial) const
{
    if (auto own = storedForLogger(serial))
        return *own;
    return storedDefaults().value_or(LimitValues{});
}

bool LimitsStore::change(const QString &scope, const std::optional<Limits> &limits)
{
    const bool kept = !scope.isEmpty() && m_backend->write(scope, limits);
    reload();
    return kept;
}

bool LimitsStore::setDefaults(const Limits &limits)
{
    return change(analysis::kDefaultScope, limits);
}

bool LimitsStore::setForLogger(const QString &serial, const Limits &limits)
{
    return change(analysis::loggerScope(serial), limits);
}

bool LimitsStore::removeForLogger(const QString &serial)
{
    return change(analysis::loggerScope(serial), std::nullopt);
}

bool LimitsStore::removeDefaults()
{
    return change(analysis::kDefaultScope, std::nullopt);
}

QString LimitsStore::location() const { return m_backend->location(); }
