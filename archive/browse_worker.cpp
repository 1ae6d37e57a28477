#include "archive/browse_worker.h"

#include "archive/archive_db.h"

namespace archive {
namespace {

void failed(const ArchiveDb &db, BrowseWorker::Answer &answer)
{
    answer.ok = false;
    answer.error = db.error();
}

// What a question got, into its place in the answer; or why it got nothing.
template <typename T>
void take(std::optional<T> got, T &into, const ArchiveDb &db, BrowseWorker::Answer &answer)
{
    if (got)
        into = std::move(*got);
    else
        failed(db, answer);
}

} // namespace

BrowseWorker::BrowseWorker(Location location, std::function<void()> beforeEach, QObject *parent)
    : QObject(parent), m_jobs(QStringLiteral("archive browser")),
      m_beforeEach(std::move(beforeEach)), m_location(std::move(location))
{
}

BrowseWorker::~BrowseWorker()
{
    {
        const std::lock_guard lock(m_mutex);
        m_closing = true;
    }
    // After the questions still queued, which now pass their turn.
    m_jobs.finish([this] { m_db.reset(); });
}

bool BrowseWorker::takeTurn(Ticket ticket)
{
    const std::lock_guard lock(m_mutex);
    m_started = ticket;
    return !m_closing && m_cancelled.erase(ticket) == 0;
}

void BrowseWorker::cancel(Ticket ticket)
{
    const std::lock_guard lock(m_mutex);
    // Only a question still waiting can be kept from the database; remembering the others
    // would keep them forever. The one under way may stop early.
    if (ticket > m_started)
        m_cancelled.insert(ticket);
    else if (ticket == m_started)
        m_stopping = ticket;
}

bool BrowseWorker::givenUp(Ticket ticket)
{
    const std::lock_guard lock(m_mutex);
    return m_closing || m_stopping == ticket;
}

BrowseWorker::Ticket BrowseWorker::ask(std::function<void(ArchiveDb &, Answer &)> question)
{
    const Ticket ticket = ++m_lastTicket;
    m_jobs.post([this, ticket, question = std::move(question)] {
        if (!takeTurn(ticket))
            return;
        if (m_beforeEach)
            m_beforeEach();
        if (!m_db)
            m_db = std::make_unique<ArchiveDb>(m_location);
        Answer answer;
        answer.ticket = ticket;
        question(*m_db, answer);
        answer.readOnlyNote = m_db->readOnlyNote();
        // Queued to this object: told on the asking thread, and not at all once it is gone.
        QMetaObject::invokeMethod(this, [this, answer] { Q_EMIT answered(answer); });
    });
    return ticket;
}

BrowseWorker::Ticket BrowseWorker::list(const RunQuery &query)
{
    return ask([query](ArchiveDb &db, Answer &a) { take(db.runs(query), a.runs, db, a); });
}

BrowseWorker::Ticket BrowseWorker::count(const RunFilter &filter)
{
    return ask([filter](ArchiveDb &db, Answer &a) { take(db.count(filter), a.count, db, a); });
}

BrowseWorker::Ticket BrowseWorker::fetch(const QString &key)
{
    return ask([key](ArchiveDb &db, Answer &a) { take(db.bytes(key), a.bytes, db, a); });
}

BrowseWorker::Ticket BrowseWorker::withdraw(const QString &key, const QString &reason)
{
    return ask([key, reason](ArchiveDb &db, Answer &answer) {
        if (!db.withdraw(key, reason))
            failed(db, answer);
    });
}

BrowseWorker::Ticket BrowseWorker::verify()
{
    return ask([this](ArchiveDb &db, Answer &a) {
        take(db.verify([this, ticket = a.ticket] { return givenUp(ticket); }), a.check, db, a);
    });
}

BrowseWorker::Ticket BrowseWorker::events(const AuditFilter &filter)
{
    return ask([filter](ArchiveDb &db, Answer &a) { take(db.events(filter), a.events, db, a); });
}

void BrowseWorker::relocate(Location location)
{
    m_jobs.post([this, location = std::move(location)] {
        m_db.reset();
        m_location = location;
    });
}

} // namespace archive
