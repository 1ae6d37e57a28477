#include "archive/archive_keeper.h"

#include "archive/archive_move.h"

namespace archive {

Keeper::Keeper(QObject *parent) : QObject(parent), m_jobs(QStringLiteral("archive")) {}

// The jobs still queued run first, so closing the program loses no run.
Keeper::~Keeper()
{
    m_jobs.finish([this] { m_archive.reset(); });
}

void Keeper::post(std::function<void(Archive &)> job)
{
    ++m_queued;
    m_jobs.post([this, job = std::move(job)] {
        if (!m_archive)
            m_archive = std::make_unique<Archive>();
        job(*m_archive);
        if (--m_queued == 0)
            m_archive->tryServerAgain();
    });
}

void Keeper::keep(RunRecord run)
{
    post([this, run = std::move(run)](Archive &a) {
        const Archive::StoreOutcome out = a.store(run);
        // Queued to this object: told on the window's thread, and not at all once it is gone.
        QMetaObject::invokeMethod(this, [this, out] { Q_EMIT kept(out); });
    });
}

void Keeper::sync()
{
    post([this](Archive &a) {
        const Archive::SyncOutcome out = a.sync();
        QMetaObject::invokeMethod(this, [this, out] { Q_EMIT synced(out); });
    });
}

void Keeper::recordMove(Location from, Location to)
{
    m_jobs.post([this, from = std::move(from), to = std::move(to)] {
        const QString problem = archive::recordMove(from, to);
        QMetaObject::invokeMethod(this, [this, problem] { Q_EMIT moveRecorded(problem); });
    });
}

void Keeper::relocate()
{
    m_jobs.post([this] { m_archive.reset(); });
}

} // namespace archive
