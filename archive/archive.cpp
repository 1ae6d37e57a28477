#include "archive/archive.h"

#include "archive/archive_texts.h"

#include <QFileInfo>

namespace archive {

Archive::Archive() : Archive(chosenLocation(), localLocation()) {}

Archive::Archive(Location target, Location local)
    : m_target(std::make_unique<ArchiveDb>(std::move(target))), m_local(std::move(local))
{
}

Archive::~Archive() = default;

void Archive::giveUpIfAway()
{
    if (m_gaveUp.isEmpty() && (!m_target->isOpen() || m_target->fault() == ArchiveDb::Fault::NoAnswer))
        m_gaveUp = m_target->error();
}

Archive::StoreOutcome Archive::store(RunRecord run)
{
    StoreOutcome out;
    if (!run.storedAt.isValid())
        run.storedAt = QDateTime::currentDateTimeUtc();
    if (!m_target->location().isShared()) {
        out.stored = m_target->store(run);
        if (!out.ok())
            out.message = m_target->error();
        return out;
    }
    // A run stored after the shared archive was given up on is not offered to it: it waits
    // here at once, for the same reason.
    QString why = m_gaveUp;
    if (why.isEmpty()) {
        out.stored = m_target->store(run);
        if (out.ok()) {
            sync();
            return out;
        }
        why = m_target->error();
        giveUpIfAway();
    }
    // Nothing lost: the run waits here for the shared archive.
    ArchiveDb here(m_local);
    out.stored = here.store(run, true);
    out.keptHere = out.ok();
    out.message = out.ok() ? archivetext::kKeptHere.arg(why) : why + QLatin1Char(' ') + here.error();
    return out;
}

Archive::SyncOutcome Archive::sync()
{
    SyncOutcome out;
    // Only a shared archive has runs to receive, and only an existing local archive has any
    // waiting.
    if (!m_target->location().isShared() || !QFileInfo::exists(m_local.where))
        return out;
    ArchiveDb here(m_local);
    const auto waiting = here.waitingToSend();
    if (!waiting) {
        out.message = here.error();
        return out;
    }
    out.waiting = int(waiting->size());
    // Asked to send them: the server is asked again, even when it was given up on.
    for (const RunRecord &run : *waiting) {
        if (m_target->store(run) == ArchiveDb::Stored::Failed) {
            out.message = m_target->error();
            giveUpIfAway();
            return out;
        }
        // Sent but not yet marked (a crash here) only means it is sent again, and kept once.
        if (!here.markSent(run.key)) {
            out.message = here.error();
            return out;
        }
        ++out.sent;
        --out.waiting;
    }
    if (out.sent > 0)
        tryServerAgain();
    return out;
}

} // namespace archive
