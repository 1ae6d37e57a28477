#include "archive/archive_db.h"
#include "archive/archive_db_watch.h"

#include <QSqlError>
#include <QSqlQuery>

namespace archive {

bool ArchiveDb::append(AuditEvent &event)
{
    QSqlError error;
    return appendEvent(database(), !isSQLite(), event, &error) || fail(error);
}

bool ArchiveDb::record(AuditEvent &event)
{
    const Watch watch(*this);
    if (!open() || !writable() || !begin())
        return false;
    if (!append(event) || !commit()) {
        rollback();
        return false;
    }
    return true;
}

std::optional<QList<AuditEvent>> ArchiveDb::events(const AuditFilter &filter)
{
    const Watch watch(*this);
    if (!open())
        return std::nullopt;
    const AuditQuery query = auditQuery(filter);
    QSqlQuery q(database());
    q.setForwardOnly(true);
    q.prepare(query.sql);
    for (const QVariant &v : query.values)
        q.addBindValue(v);
    if (!exec(q))
        return std::nullopt;
    QList<AuditEvent> out;
    while (q.next())
        out << eventAt(q);
    return out;
}

std::optional<QList<Signature>> ArchiveDb::signatures(const QString &key)
{
    const Watch watch(*this);
    if (!open())
        return std::nullopt;
    QSqlQuery q(database());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT seq, run_key, user_name, printed_name, meaning, signed_at, "
                             "run_sha256, judgement_hash FROM signatures WHERE run_key = ? "
                             "ORDER BY seq"));
    q.addBindValue(key);
    if (!exec(q))
        return std::nullopt;
    QList<Signature> out;
    while (q.next())
        out << signatureAt(q);
    return out;
}

} // namespace archive
