#include "archive/archive_db.h"
#include "archive/archive_db_watch.h"

#include "archive/archive_texts.h"

#include <QSqlError>
#include <QSqlQuery>

namespace archive {
namespace {

const QString kMigratedMark = QStringLiteral("limits_migrated");

QJsonValue statusValue(const QVariant &status)
{
    return status.isNull() ? QJsonValue() : QJsonValue(status.toString());
}

QJsonValue objectOrNull(const std::optional<QJsonObject> &o)
{
    return o ? QJsonValue(*o) : QJsonValue();
}

// A verdict and the limits it was given under, as a rejudge event names the old and the new.
QJsonObject verdictDetails(const QVariant &status, const std::optional<QJsonObject> &limits)
{
    return {{QStringLiteral("status"), statusValue(status)},
            {QStringLiteral("limits"), objectOrNull(limits)}};
}

} // namespace

std::optional<QList<Judgement>> ArchiveDb::judgements(const QString &key)
{
    const Watch watch(*this);
    if (!open())
        return std::nullopt;
    QSqlQuery q(database());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT j.seq, j.judged_at, j.status, j.limits, e.action, e.hash "
                             "FROM judgements j JOIN audit_events e ON e.seq = j.seq "
                             "WHERE j.run_key = ? ORDER BY j.seq"));
    q.addBindValue(key);
    if (!exec(q))
        return std::nullopt;
    QList<Judgement> out;
    while (q.next()) {
        const QVariant status = q.value(2);
        out << Judgement{q.value(0).toLongLong(),
                         parseEventTime(q.value(1).toString()),
                         status.isNull() ? std::nullopt : std::optional(status.toString()),
                         jsonFrom(q.value(3)),
                         q.value(4).toString(),
                         q.value(5).toString()};
    }
    // Every run has the judgement it was stored with: none means no such run.
    if (out.isEmpty()) {
        fail(Fault::NotFound, archivetext::kNoSuchRun.arg(key));
        return std::nullopt;
    }
    return out;
}

bool ArchiveDb::rejudge(const QString &key, const std::optional<QString> &status,
                        const QJsonObject &limits, const QString &reason)
{
    const Watch watch(*this);
    if (!status)
        return fail(Fault::Failed, archivetext::kNoVerdictToKeep);
    if (!open() || !writable() || !begin())
        return false;
    QSqlQuery old(database());
    old.prepare(QStringLiteral("SELECT status, limits FROM runs WHERE run_key = ?"));
    old.addBindValue(key);
    if (!exec(old)) {
        rollback();
        return false;
    }
    if (!old.next()) {
        rollback();
        return fail(Fault::NotFound, archivetext::kNoSuchRun.arg(key));
    }
    const QJsonObject details{
        {QStringLiteral("old"), verdictDetails(old.value(0), jsonFrom(old.value(1)))},
        {QStringLiteral("new"), verdictDetails(*status, limits)}};
    old.finish();
    AuditEvent event = newEvent(action::kRejudge, key, details, reason);
    QSqlQuery update(database());
    update.prepare(QStringLiteral("UPDATE runs SET status = ?, limits = ? WHERE run_key = ?"));
    for (const QVariant &v : QVariantList{*status, jsonText(limits), key})
        update.addBindValue(v);
    QSqlError error;
    if (!append(event) ||
        (!keepJudgement(database(), key, event, *status, jsonText(limits), &error) &&
         !fail(error)) ||
        !exec(update) || !commit()) {
        rollback();
        return false;
    }
    return true;
}

std::optional<QMap<QString, QJsonObject>> ArchiveDb::siteLimits()
{
    const Watch watch(*this);
    if (!open())
        return std::nullopt;
    QSqlQuery q(database());
    q.setForwardOnly(true);
    if (!q.prepare(QStringLiteral("SELECT scope, limits FROM site_limits")) || !exec(q))
        return std::nullopt;
    QMap<QString, QJsonObject> out;
    while (q.next())
        out.insert(q.value(0).toString(), jsonFrom(q.value(1)).value_or(QJsonObject()));
    return out;
}

bool ArchiveDb::setSiteLimits(const QString &scope, const std::optional<QJsonObject> &limits)
{
    const Watch watch(*this);
    if (!open() || !writable() || !begin())
        return false;
    QSqlQuery old(database());
    old.prepare(QStringLiteral("SELECT limits FROM site_limits WHERE scope = ?"));
    old.addBindValue(scope);
    if (!exec(old)) {
        rollback();
        return false;
    }
    const std::optional<QJsonObject> was =
        old.next() ? jsonFrom(old.value(0)) : std::optional<QJsonObject>();
    old.finish();
    if (was == limits) {
        rollback();
        return true;
    }
    AuditEvent event = newEvent(action::kLimits, QString(),
                                {{QStringLiteral("scope"), scope},
                                 {QStringLiteral("old"), objectOrNull(was)},
                                 {QStringLiteral("new"), objectOrNull(limits)}});
    QSqlQuery change(database());
    if (limits) {
        change.prepare(QStringLiteral(
            "INSERT INTO site_limits (scope, limits, changed_at) VALUES (?, ?, ?) "
            "ON CONFLICT (scope) DO UPDATE SET limits = excluded.limits, "
            "changed_at = excluded.changed_at"));
        for (const QVariant &v : QVariantList{scope, jsonText(*limits), eventTime(event.at)})
            change.addBindValue(v);
    } else {
        change.prepare(QStringLiteral("DELETE FROM site_limits WHERE scope = ?"));
        change.addBindValue(scope);
    }
    if (!append(event) || !exec(change) || !commit()) {
        rollback();
        return false;
    }
    return true;
}

bool ArchiveDb::adoptLimitsOnce(const QMap<QString, QJsonObject> &sets)
{
    const Watch watch(*this);
    if (!open())
        return false;
    // An archive that cannot be written keeps what it has; so does one already migrated, which
    // is known without writing.
    QSqlQuery mark(database());
    mark.prepare(QStringLiteral("SELECT 1 FROM site_settings WHERE name = ?"));
    mark.addBindValue(kMigratedMark);
    if (!exec(mark))
        return false;
    if (mark.next() || isReadOnly())
        return true;
    mark.finish();
    if (!writable() || !begin())
        return false;
    // The mark first: a second program migrating at the same moment waits on it, then finds it
    // and adds nothing.
    QSqlQuery claim(database());
    claim.prepare(QStringLiteral("INSERT INTO site_settings (name, value) VALUES (?, ?) "
                                 "ON CONFLICT DO NOTHING"));
    claim.addBindValue(kMigratedMark);
    claim.addBindValue(eventTime(QDateTime::currentDateTimeUtc()));
    if (!exec(claim)) {
        rollback();
        return false;
    }
    if (claim.numRowsAffected() == 0) {
        rollback();
        return true;
    }
    for (auto set = sets.cbegin(); set != sets.cend(); ++set) {
        AuditEvent event = newEvent(action::kLimits, QString(),
                                    {{QStringLiteral("scope"), set.key()},
                                     {QStringLiteral("old"), QJsonValue()},
                                     {QStringLiteral("new"), set.value()},
                                     {QStringLiteral("migrated"), true}});
        QSqlQuery add(database());
        add.prepare(QStringLiteral("INSERT INTO site_limits (scope, limits, changed_at) "
                                   "VALUES (?, ?, ?) ON CONFLICT DO NOTHING"));
        for (const QVariant &v : QVariantList{set.key(), jsonText(set.value()), eventTime(event.at)})
            add.addBindValue(v);
        if (!exec(add)) {
            rollback();
            return false;
        }
        // A scope the site set already keeps the site's set.
        if (add.numRowsAffected() > 0 && !append(event)) {
            rollback();
            return false;
        }
    }
    if (!commit()) {
        rollback();
        return false;
    }
    return true;
}

} // namespace archive
