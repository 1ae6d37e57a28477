#include "archive/site_limits.h"

#include "analysis/limits_store.h"
#include "analysis/settings_limits.h"
#include "archive/archive.h"
#include "archive/archive_db.h"
#include "archive/limits_snapshot.h"

namespace archive {

SiteLimits::SiteLimits(Location location)
    : m_location(std::move(location)), m_db(std::make_unique<ArchiveDb>(m_location))
{}

SiteLimits::SiteLimits() : SiteLimits(chosenLocation()) { m_followChosen = true; }

SiteLimits::SiteLimits(Archive &archive) : m_archive(&archive) {}

SiteLimits::~SiteLimits() = default;

ArchiveDb &SiteLimits::db()
{
    if (m_archive)
        return m_archive->db();
    if (m_followChosen) {
        if (Location chosen = chosenLocation(); !(chosen == m_location))
            relocate(std::move(chosen));
    }
    return *m_db;
}

void SiteLimits::relocate(Location location)
{
    m_location = std::move(location);
    m_db = std::make_unique<ArchiveDb>(m_location);
    m_adopted = false;
}

QString SiteLimits::location() const
{
    return describe(m_archive ? m_archive->db().location() : m_location);
}

bool SiteLimits::adoptSettings()
{
    if (m_adopted)
        return true;
    QString unused;
    const auto kept = SettingsLimits().readAll(&unused);
    QMap<QString, QJsonObject> sets;
    for (auto set = kept->cbegin(); set != kept->cend(); ++set)
        sets.insert(set.key(), siteLimitsJson(set.value()));
    m_adopted = db().adoptLimitsOnce(sets);
    return m_adopted;
}

std::optional<LimitsBackend::Sets> SiteLimits::readAll(QString *why)
{
    if (m_archive && !m_archive->gaveUpBecause().isEmpty()) {
        *why = m_archive->gaveUpBecause();
        return std::nullopt;
    }
    const auto kept = adoptSettings() ? db().siteLimits() : std::nullopt;
    if (!kept) {
        *why = db().error();
        if (m_archive)
            m_archive->giveUpIfAway();
        return std::nullopt;
    }
    Sets sets;
    for (auto set = kept->cbegin(); set != kept->cend(); ++set)
        sets.insert(set.key(), limitValuesOf(set.value()));
    return sets;
}

bool SiteLimits::write(const QString &scope, const std::optional<analysis::Limits> &limits)
{
    return adoptSettings() &&
           db().setSiteLimits(scope, limits ? std::optional(siteLimitsJson(*limits))
                                             : std::nullopt);
}

std::unique_ptr<LimitsStore> siteLimitsStore()
{
    return std::make_unique<LimitsStore>(std::make_unique<SiteLimits>());
}

} // namespace archive
