#include "archive/archive_keeper.h"

namespace archive {

Keeper::Keeper(QObject *parent) : QObject(parent), m_context(new QObject)
{
    m_thread.setObjectName(QStringLiteral("archive"));
    m_context->moveToThread(&m_thread);
    m_thread.start();
}

Keeper::~Keeper()
{
    // Posted after every job still queued, so those run first; the archive is closed on the
    // thread that opened it.
    QMetaObject::invokeMethod(m_context, [this] {
        m_archive.reset();
        QThread::currentThread()->quit();
    });
    m_thread.wait();
    delete m_context;
}

void Keeper::post(std::function<void(Archive &)> job)
{
    QMetaObject::invokeMethod(m_context, [this, job = std::move(job)] {
        if (!m_archive)
            m_archive = std::make_unique<Archive>();
        job(*m_archive);
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

void Keeper::relocate()
{
    QMetaObject::invokeMethod(m_context, [this] { m_archive.reset(); });
}

} // namespace archive
