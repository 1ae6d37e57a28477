#pragma once

#include "archive/audit_event.h"

#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QString>

class QSqlError;
class QSqlQuery;

// The audit trail as it is kept in the archive's database (table audit_events), one code path
// for SQLite and PostgreSQL.
namespace archive {

// Appends `event` as the next of the chain: its number and both hashes are set here. Call it
// inside a transaction that holds the database's write lock (SQLite's BEGIN IMMEDIATE; on
// PostgreSQL it takes a lock of its own until the transaction ends), so that two programs, or
// two computers, never take the same number or chain to the same event.
bool appendEvent(QSqlDatabase db, bool postgres, AuditEvent &event, QSqlError *error);

// Which events a listing gives; every field left empty lets all through.
struct AuditFilter
{
    QString run;
    QString user;
    QString action;
    QDateTime since; // UTC, inclusive
    QDateTime until; // UTC, inclusive
    // A page of the trail: the events after this number, at most `limit` of them (0: all).
    qint64 afterSeq = 0;
    int limit = 0;
    bool operator==(const AuditFilter &) const = default;
};

// The statement and its values that list the events of `filter`, oldest first.
struct AuditQuery
{
    QString sql;
    QVariantList values;
};
AuditQuery auditQuery(const AuditFilter &filter);
// One row of auditQuery() as an event.
AuditEvent eventAt(const QSqlQuery &query);

// Walks the chain event by event, oldest first: each must carry the next number, the hash of the
// one before, and the hash of its own contents.
class ChainCheck
{
public:
    // False at the first event that breaks the chain; why() then names it.
    bool next(const AuditEvent &event);
    qint64 events() const { return m_count; }
    const QString &why() const { return m_why; }

private:
    qint64 m_count = 0;
    qint64 m_lastSeq = 0;
    QString m_lastHash = kFirstPrevHash;
    QString m_why;
};

} // namespace archive
