#pragma once

#include "analysis/limits_backend.h"
#include "archive/archive_location.h"

#include <memory>

class LimitsStore;

namespace archive {

class Archive;
class ArchiveDb;

// The limits of a site, kept in the archive's database beside its runs: every computer that
// shares the archive judges by the same limits, and every change is one "limits" event of the
// trail with the old and the new set, in the change's own transaction. The first time an
// archive is read this way, this user's limits from the per-user settings move into it (once
// in the archive's life, each set its own event marked as migrated).
//
// One connection of its own, on the thread that uses the store.
class SiteLimits final : public LimitsBackend
{
public:
    // The archive at `location`; without one, the chosen archive, followed when the choice
    // changes (the Archive setting, KESTRUN_ARCHIVE).
    SiteLimits();
    explicit SiteLimits(Location location);
    // Through `archive`'s own connection (it outlives this), and not at all once it gave the
    // shared database up: a command that stores runs waits on an absent server once.
    explicit SiteLimits(Archive &archive);
    ~SiteLimits() override;

    std::optional<Sets> readAll(QString *why) override;
    bool write(const QString &scope, const std::optional<analysis::Limits> &limits) override;
    QString location() const override;

private:
    // The next reading and writing go to this archive.
    void relocate(Location location);
    ArchiveDb &db();
    // This user's per-user limits, moved into the archive unless that was done before.
    bool adoptSettings();

    Location m_location;
    std::unique_ptr<ArchiveDb> m_db;
    Archive *m_archive = nullptr;
    bool m_adopted = false;
    bool m_followChosen = false;
};

// The limits store of the window and kestrun-cli: the site's limits in the chosen archive.
std::unique_ptr<LimitsStore> siteLimitsStore();

} // namespace archive
