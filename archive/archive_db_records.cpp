#include "archive/archive_db.h"
#include "archive/archive_db_watch.h"

#include "archive/archive_texts.h"
#include "common/sha256.h"

#include <QJsonDocument>
#include <QSqlError>
#include <QSqlQuery>

namespace archive {
namespace {

// The hash a run's store event recorded; empty when the event is missing or says none.
QString recordedHash(const QVariant &details)
{
    if (details.isNull())
        return QString();
    return QJsonDocument::fromJson(details.toString().toUtf8())
        .object()
        .value(QLatin1String("sha256"))
        .toString();
}

} // namespace

bool ArchiveDb::withdraw(const QString &key, const QString &reason)
{
    const QString why = reason.trimmed();
    if (why.isEmpty())
        return fail(Fault::Failed, archivetext::kReasonRequired);
    const Watch watch(*this);
    if (!open() || !writable() || !begin())
        return false;
    // The update decides: of two withdrawing at once, the second finds it done.
    QSqlQuery mark(database());
    mark.prepare(QStringLiteral("UPDATE runs SET withdrawn = 1 WHERE run_key = ? AND withdrawn = 0"));
    mark.addBindValue(key);
    QSqlQuery run(database());
    run.prepare(QStringLiteral("SELECT sha256, status, withdrawn FROM runs WHERE run_key = ?"));
    run.addBindValue(key);
    if (!exec(mark) || !exec(run)) {
        rollback();
        return false;
    }
    if (!run.next()) {
        rollback();
        return fail(Fault::NotFound, archivetext::kNoSuchRun.arg(key));
    }
    if (mark.numRowsAffected() == 0) {
        rollback();
        return fail(Fault::Failed, archivetext::kAlreadyWithdrawn.arg(key));
    }
    const QVariant status = run.value(1);
    AuditEvent event = newEvent(
        action::kWithdraw, key,
        {{QStringLiteral("sha256"), run.value(0).toString()},
         {QStringLiteral("status"), status.isNull() ? QJsonValue() : QJsonValue(status.toString())}},
        why);
    run.finish();
    if (!append(event) || !commit()) {
        rollback();
        return false;
    }
    return true;
}

std::optional<ArchiveCheck> ArchiveDb::verify(const std::function<bool()> &stop, int page)
{
    ArchiveCheck check;
    if (!checkRuns(check, stop, page) || (check.ok() && !findRunGone(check)) ||
        (check.ok() && !checkTrail(check, stop, page)))
        return std::nullopt;
    return check;
}

bool ArchiveDb::stopped(const std::function<bool()> &stop)
{
    return stop && stop() && !fail(Fault::Failed, archivetext::kCheckStopped);
}

// The runs in the order of their keys, a page at a time, each with the hash its store event
// recorded (the first, should there ever be two).
bool ArchiveDb::checkRuns(ArchiveCheck &check, const std::function<bool()> &stop, int page)
{
    QString after = QStringLiteral("");
    for (int rows = page; rows == page && check.ok();) {
        const Watch watch(*this);
        if (!open())
            return false;
        QSqlQuery q = prepared(
            {QStringLiteral("SELECT r.run_key, r.sha256, b.compressed, (SELECT e.details FROM "
                            "audit_events e WHERE e.run_key = r.run_key AND e.action = ? ORDER BY "
                            "e.seq LIMIT 1) FROM runs r LEFT JOIN run_bytes b ON b.run_key = "
                            "r.run_key WHERE r.run_key > ? ORDER BY r.run_key LIMIT ?"),
             {action::kStore, after, page}},
            true);
        if (!exec(q))
            return false;
        for (rows = 0; check.ok() && q.next(); ++rows) {
            if (stopped(stop))
                return false;
            after = q.value(0).toString();
            const QString hash = q.value(1).toString();
            const QString recorded = recordedHash(q.value(3));
            if (sha256Hex(qUncompress(q.value(2).toByteArray())) != hash)
                check.problem = archivetext::kRunBytesAltered.arg(after);
            else if (recorded.isEmpty())
                check.problem = archivetext::kRunNotInTrail.arg(after);
            else if (recorded != hash || hash.left(after.size()) != after)
                check.problem = archivetext::kRunNotAsStored.arg(after);
            else
                ++check.runs;
        }
    }
    return true;
}

// A run the trail recorded and the archive no longer holds.
bool ArchiveDb::findRunGone(ArchiveCheck &check)
{
    const Watch watch(*this);
    if (!open())
        return false;
    QSqlQuery q = prepared({QStringLiteral("SELECT e.run_key FROM audit_events e LEFT JOIN runs r "
                                           "ON r.run_key = e.run_key WHERE e.action = ? AND "
                                           "r.run_key IS NULL ORDER BY e.seq LIMIT 1"),
                            {action::kStore}},
                           true);
    if (!exec(q))
        return false;
    if (q.next())
        check.problem = archivetext::kRunMissing.arg(q.value(0).toString());
    return true;
}

// The trail oldest first, a page at a time, each event against the one before.
bool ArchiveDb::checkTrail(ArchiveCheck &check, const std::function<bool()> &stop, int page)
{
    ChainCheck chain;
    AuditFilter next;
    next.limit = page;
    for (int rows = page; rows == page && check.ok();) {
        const Watch watch(*this);
        if (!open())
            return false;
        const AuditQuery query = auditQuery(next);
        QSqlQuery q = prepared({query.sql, query.values}, true);
        if (!exec(q))
            return false;
        for (rows = 0; check.ok() && q.next(); ++rows) {
            if (stopped(stop))
                return false;
            const AuditEvent event = eventAt(q);
            next.afterSeq = event.seq;
            if (!chain.next(event))
                check.problem = chain.why();
        }
    }
    check.events = chain.events();
    return true;
}

} // namespace archive
