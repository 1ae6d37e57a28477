#pragma once

#include <QThread>

#include <functional>

namespace archive {

// A thread of its own that runs jobs one after another, in the order they are posted: what
// stores or lists runs goes here, so a database that is slow to answer never freezes the
// window. A database connection belongs to the thread that opened it, so what a job opens is
// also closed by a job.
class JobThread
{
public:
    explicit JobThread(const QString &name);
    // Finishes with no last job, if finish() was not called.
    ~JobThread();

    void post(std::function<void()> job);
    // Runs the jobs still queued, then `last` (closing what they opened), and ends the thread.
    // The owner calls it first thing in its destructor, while what the jobs use still exists.
    void finish(std::function<void()> last = {});

private:
    QThread m_thread;
    QObject *m_context = nullptr; // lives on m_thread; jobs run in its events
};

} // namespace archive
