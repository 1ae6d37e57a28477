#include "archive/archive_db.h"
#include "archive/archive_db_watch.h"
#include "archive/archive_texts.h"

#include <QSqlQuery>

namespace archive {

bool ArchiveDb::findRun(QSqlQuery &query, const QString &key)
{
    query.addBindValue(key);
    if (!exec(query))
        return false;
    if (!query.next())
        return fail(Fault::NotFound, archivetext::kNoSuchRun.arg(key));
    return true;
}

std::optional<RunRecord> ArchiveDb::storedRun(const QString &key)
{
    const Watch watch(*this);
    if (!open())
        return std::nullopt;
    QSqlQuery q(database());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT sha256, stored_at, user_name, computer, withdrawn FROM runs "
                             "WHERE run_key = ?"));
    if (!findRun(q, key))
        return std::nullopt;
    RunRecord run;
    run.key = key;
    run.sha256 = q.value(0).toString();
    run.storedAt = parseTime(q.value(1).toString());
    run.user = q.value(2).toString();
    run.computer = q.value(3).toString();
    run.withdrawn = q.value(4).toInt() != 0;
    return run;
}

} // namespace archive
