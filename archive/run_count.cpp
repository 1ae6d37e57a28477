#include "archive/run_count.h"

#include "archive/archive_db.h"

#include <QSqlError>
#include <QSqlQuery>

namespace archive {

std::optional<int> countRuns(ArchiveDb &db, const RunFilter &filter, QString *why)
{
    // The list's own statement counted, so the count can never disagree with the list.
    const RunQuery list = listQuery(filter);
    QSqlQuery q(db.database());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT COUNT(*) FROM (%1) AS listed").arg(list.sql));
    for (const QVariant &v : list.values)
        q.addBindValue(v);
    if (!q.exec() || !q.next()) {
        if (why)
            *why = q.lastError().text();
        return std::nullopt;
    }
    return q.value(0).toInt();
}

} // namespace archive
