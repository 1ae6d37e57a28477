#pragma once

#include "archive/archive_db.h"

#include <memory>

namespace archive {

// The archive as the window and kestrun-cli use it. Runs go to the chosen archive; when that is
// a shared database that cannot take them, they wait in this computer's archive, marked to
// send, until sync() sends them on (nothing lost, nothing twice: a run sent is marked, and the
// shared archive keeps the same bytes once however often they arrive).
//
// Once the shared archive cannot be reached or stops answering, it is given up on: the runs
// stored after go straight to this computer's archive, without a wait each, until
// tryServerAgain() or a sync() that reaches it.
class Archive
{
public:
    // The place KESTRUN_ARCHIVE or the stored setting chooses.
    Archive();
    Archive(Location target, Location local);
    ~Archive();

    struct StoreOutcome
    {
        ArchiveDb::Stored stored = ArchiveDb::Stored::Failed;
        bool keptHere = false; // waiting in this computer's archive for the shared one
        QString message;       // for the user; empty when there is nothing to tell
        bool ok() const { return stored != ArchiveDb::Stored::Failed; }
    };
    // One run, stamped with the time of storing; then the runs waiting here, if the shared
    // archive took this one.
    StoreOutcome store(RunRecord run);

    struct SyncOutcome
    {
        int sent = 0;
        int waiting = 0; // still here after the attempt
        QString message; // why they still wait; empty on success
        bool ok() const { return message.isEmpty(); }
    };
    SyncOutcome sync();

    // Why the shared archive was given up on (the first message of its absence); empty while
    // it is not.
    const QString &gaveUpBecause() const { return m_gaveUp; }
    void tryServerAgain() { m_gaveUp.clear(); }

    // The chosen archive, for listing, getting and deleting (opened on first use).
    ArchiveDb &db() { return *m_target; }
    const Location &local() const { return m_local; }

    // Gives the shared archive up when its last failure was the server's, not the run's (also
    // one met by another user of db()).
    void giveUpIfAway();

private:

    std::unique_ptr<ArchiveDb> m_target;
    Location m_local;
    QString m_gaveUp;
};

} // namespace archive
