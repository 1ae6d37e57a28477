#include "archive/audit_trail.h"

#include "archive/archive_texts.h"

#include <QJsonDocument>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

namespace archive {
namespace {

const QString kEventColumns = QStringLiteral(
    "seq, at_utc, utc_offset_s, user_name, computer, action, run_key, details, reason, "
    "prev_hash, hash");

// The lock every appending PostgreSQL transaction takes, held until it ends.
constexpr int kTrailLock = 20412;

} // namespace

bool appendEvent(QSqlDatabase db, bool postgres, AuditEvent &event, QSqlError *error)
{
    QSqlQuery q(db);
    const auto failed = [&](const QSqlQuery &query) {
        *error = query.lastError();
        return false;
    };
    if (postgres && !q.exec(QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(kTrailLock)))
        return failed(q);
    if (!q.exec(QStringLiteral("SELECT seq, hash FROM audit_events ORDER BY seq DESC LIMIT 1")))
        return failed(q);
    event.seq = 1;
    event.prevHash = kFirstPrevHash;
    if (q.next()) {
        event.seq = q.value(0).toLongLong() + 1;
        event.prevHash = q.value(1).toString();
    }
    q.finish();
    event.hash = chainedHash(event.prevHash, event);
    QSqlQuery insert(db);
    insert.prepare(QStringLiteral("INSERT INTO audit_events (%1) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
                       .arg(kEventColumns));
    for (const QVariant &v :
         QVariantList{event.seq, eventTime(event.at), event.utcOffsetS, event.user, event.computer,
                      event.action, event.run.isEmpty() ? QVariant() : QVariant(event.run),
                      jsonText(event.details), event.reason ? QVariant(*event.reason) : QVariant(),
                      event.prevHash, event.hash})
        insert.addBindValue(v);
    return insert.exec() || failed(insert);
}

AuditQuery auditQuery(const AuditFilter &filter)
{
    AuditQuery q;
    QStringList where;
    const auto condition = [&](bool given, const char *sql, const QVariant &value) {
        if (!given)
            return;
        where << QLatin1String(sql);
        q.values << value;
    };
    condition(!filter.run.isEmpty(), "run_key = ?", filter.run);
    condition(!filter.user.isEmpty(), "user_name = ?", filter.user);
    condition(!filter.action.isEmpty(), "action = ?", filter.action);
    // The stored times are of one fixed form, so they compare as text.
    condition(filter.since.isValid(), "at_utc >= ?", eventTime(filter.since));
    condition(filter.until.isValid(), "at_utc <= ?", eventTime(filter.until));
    condition(filter.afterSeq > 0, "seq > ?", filter.afterSeq);
    q.sql = QStringLiteral("SELECT %1 FROM audit_events").arg(kEventColumns);
    if (!where.isEmpty())
        q.sql += QStringLiteral(" WHERE ") + where.join(QStringLiteral(" AND "));
    q.sql += QStringLiteral(" ORDER BY seq");
    if (filter.limit > 0) {
        q.sql += QStringLiteral(" LIMIT ?");
        q.values << filter.limit;
    }
    return q;
}

AuditEvent eventAt(const QSqlQuery &q)
{
    AuditEvent e;
    e.seq = q.value(0).toLongLong();
    e.at = parseEventTime(q.value(1).toString());
    e.utcOffsetS = q.value(2).toInt();
    e.user = q.value(3).toString();
    e.computer = q.value(4).toString();
    e.action = q.value(5).toString();
    e.run = q.value(6).toString();
    e.details = QJsonDocument::fromJson(q.value(7).toString().toUtf8()).object();
    if (!q.value(8).isNull())
        e.reason = q.value(8).toString();
    e.prevHash = q.value(9).toString();
    e.hash = q.value(10).toString();
    return e;
}

bool ChainCheck::next(const AuditEvent &e)
{
    if (!m_why.isEmpty())
        return false;
    if (e.seq != m_lastSeq + 1)
        m_why = archivetext::kEventMissing.arg(m_lastSeq + 1).arg(e.seq);
    else if (e.prevHash != m_lastHash)
        m_why = archivetext::kEventOutOfChain.arg(e.seq).arg(m_lastSeq);
    else if (e.hash != chainedHash(e.prevHash, e))
        m_why = archivetext::kEventAltered.arg(e.seq);
    if (!m_why.isEmpty())
        return false;
    ++m_count;
    m_lastSeq = e.seq;
    m_lastHash = e.hash;
    return true;
}

} // namespace archive
