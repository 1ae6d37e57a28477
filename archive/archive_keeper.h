#pragma once

#include "archive/archive.h"
#include "archive/job_thread.h"

#include <QObject>

#include <atomic>
#include <functional>
#include <memory>

namespace archive {

// Stores the window's runs on a thread of its own: a shared database that cannot be reached
// takes seconds to say so, and the window must not freeze meanwhile. Runs are stored one after
// another in the order given, and the destructor waits for those still queued, so closing the
// program loses none. Runs queued behind one that found the shared archive away wait on this
// computer at once; the next job posted after the queue ran dry asks the server again.
class Keeper : public QObject
{
    Q_OBJECT
public:
    // The archive KESTRUN_ARCHIVE or the setting chooses, opened on the keeper's thread when
    // the first job comes (a connection belongs to the thread that opened it).
    explicit Keeper(QObject *parent = nullptr);
    ~Keeper() override;

    void keep(RunRecord run);
    // Sends the runs waiting for the shared archive.
    void sync();
    // The choice of archive changed: the next job opens the new one.
    void relocate();
    // Records in both archives' trails that the setting moved from one to the other
    // (moveRecorded() says how it went), in turn with the runs stored before.
    void recordMove(Location from, Location to);

Q_SIGNALS:
    void kept(const archive::Archive::StoreOutcome &outcome);
    void synced(const archive::Archive::SyncOutcome &outcome);
    // Why the archive taken could not record the move; empty when it did.
    void moveRecorded(const QString &problem);

private:
    void post(std::function<void(Archive &)> job);

    JobThread m_jobs;
    std::unique_ptr<Archive> m_archive; // touched by the jobs only
    std::atomic<int> m_queued{0};
};

} // namespace archive
