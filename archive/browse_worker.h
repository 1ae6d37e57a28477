#pragma once

#include "archive/archive_check.h"
#include "archive/archive_location.h"
#include "archive/audit_trail.h"
#include "archive/job_thread.h"
#include "archive/run_filter.h"
#include "archive/run_record.h"

#include <QList>
#include <QObject>

#include <functional>
#include <memory>
#include <mutex>
#include <set>

namespace archive {

class ArchiveDb;

// The browser's questions to the archive, answered on a thread of its own: a page of a list, a
// count, a run's bytes, a run withdrawn, the archive's check of itself. A shared database across a site's network takes a moment
// for each, or seconds to say it cannot be reached, and the window keeps painting meanwhile.
//
// Every question returns a ticket at once; its answer comes later, on the asking thread, as
// answered() with that ticket. Questions are answered one at a time in the order asked, and a
// question cancelled before its turn is never put to the database. The connection is made by
// the first question (a connection belongs to the thread that opened it) and kept.
//
// Not the keeper's thread: a list must not wait behind a run being stored (seconds, when the
// shared archive is away and the run is kept here instead), nor a run behind someone browsing.
class BrowseWorker : public QObject
{
    Q_OBJECT
public:
    using Ticket = quint64; // never 0: 0 stands for "nothing asked"

    struct Answer
    {
        Ticket ticket = 0;
        bool ok = true;
        QString error;         // for the user, when not ok
        QList<RunRecord> runs; // list(): the runs asked for, without their bytes
        int count = 0;         // count()
        QByteArray bytes;      // fetch(): the run's exact ".brv2" bytes
        ArchiveCheck check;    // verify()
        QString readOnlyNote;  // the archive's, as ArchiveDb gives it: empty when it is writable
        QList<AuditEvent> events; // events(): the trail's events of the filter, oldest first
    };

    // `beforeEach` runs on the worker's thread before each question reaches the database: a
    // slow network, for the tests and the benchmark.
    explicit BrowseWorker(Location location, std::function<void()> beforeEach = {},
                          QObject *parent = nullptr);
    // Waits for the question being answered, if any; those still waiting are dropped.
    ~BrowseWorker() override;

    Ticket list(const RunQuery &query);
    Ticket count(const RunFilter &filter);
    Ticket fetch(const QString &key);
    Ticket withdraw(const QString &key, const QString &reason);
    // Goes through the whole archive; cancelled while under way, it stops at the next row.
    Ticket verify();
    // The audit trail's events of a filter (the Audit Trail window's question).
    Ticket events(const AuditFilter &filter);
    // The answer is no longer wanted. One already being worked out still comes (a check
    // stopped, with its reason).
    void cancel(Ticket ticket);
    // The next question goes to this archive.
    void relocate(Location location);

Q_SIGNALS:
    void answered(const archive::BrowseWorker::Answer &answer);

private:
    Ticket ask(std::function<void(ArchiveDb &, Answer &)> question);
    // On the worker's thread: whether the question of `ticket` is still wanted.
    bool takeTurn(Ticket ticket);
    // On the worker's thread, while the question of `ticket` is worked out: whether it was
    // cancelled meanwhile, or the worker is closing.
    bool givenUp(Ticket ticket);

    JobThread m_jobs;
    const std::function<void()> m_beforeEach;
    Ticket m_lastTicket = 0; // on the asking thread

    std::mutex m_mutex; // guards the four below
    Ticket m_started = 0;
    Ticket m_stopping = 0; // the question under way was cancelled
    std::set<Ticket> m_cancelled;
    bool m_closing = false;

    // Touched by the questions only (set before the first).
    Location m_location;
    std::unique_ptr<ArchiveDb> m_db;
};

} // namespace archive
