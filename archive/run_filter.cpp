#include "archive/run_filter.h"

#include "archive/run_record.h"

#include <QRegularExpression>
#include <QStringList>

namespace archive {
namespace {

constexpr const char *kColumns[kListColumnCount] = {
    "stored_at", "serial",    "location",   "model",   "first_reading",   "last_reading",
    "readings",  "status",    "source",     "user_name", "computer",      "run_key",
    "failed1",   "failed_longest1", "failed_at1", "failed2", "failed_longest2", "failed_at2",
    "withdrawn"};

// LIKE's wildcards typed by the user match themselves, also those folding made (a full-width
// percent sign is a percent sign once folded).
QString likePattern(const QString &text)
{
    QString escaped = searchFolded(text);
    escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    escaped.replace(QLatin1Char('%'), QLatin1String("\\%"));
    escaped.replace(QLatin1Char('_'), QLatin1String("\\_"));
    return QLatin1Char('%') + escaped + QLatin1Char('%');
}

// The runs of a filter: " FROM runs" and its conditions, with their values.
RunQuery chosenRuns(const RunFilter &filter)
{
    RunQuery q;
    QStringList where;
    if (filter.serial) {
        where << QStringLiteral("serial = ?");
        q.values << *filter.serial;
    }
    if (!filter.location.trimmed().isEmpty()) {
        where << QStringLiteral("location_folded LIKE ? ESCAPE '\\'");
        q.values << likePattern(filter.location.trimmed());
    }
    // Logger times are stored as ISO text, which sorts as the times do.
    if (filter.since.isValid()) {
        where << QStringLiteral("last_reading >= ?");
        q.values << timeText(filter.since);
    }
    if (filter.until.isValid()) {
        where << QStringLiteral("first_reading <= ?");
        q.values << timeText(filter.until);
    }
    if (filter.alarmsOnly)
        where << QStringLiteral("status = 'ALARM'");
    // A withdrawn run keeps its bytes and its place in the trail, but lists only when asked.
    if (!filter.withdrawn)
        where << QStringLiteral("withdrawn = 0");
    q.sql = QStringLiteral(" FROM runs");
    if (!where.isEmpty())
        q.sql += QStringLiteral(" WHERE ") + where.join(QStringLiteral(" AND "));
    return q;
}

} // namespace

RunQuery listQuery(const RunFilter &filter, RunColumn sortColumn, Qt::SortOrder order, int limit,
                   int offset)
{
    RunQuery q = chosenRuns(filter);
    QStringList columns;
    for (const char *c : kColumns)
        columns << QLatin1String(c);
    q.sql = QStringLiteral("SELECT ") + columns.join(QStringLiteral(", ")) + q.sql;
    const QString direction = order == Qt::AscendingOrder ? QStringLiteral(" ASC")
                                                          : QStringLiteral(" DESC");
    q.sql += QStringLiteral(" ORDER BY ") + QLatin1String(kColumns[int(sortColumn)]) + direction;
    // Ties in the newest order of storing, so a list never shuffles between calls.
    if (sortColumn != RunColumn::StoredAt)
        q.sql += QStringLiteral(", stored_at DESC");
    q.sql += QStringLiteral(", run_key");
    // The full order above makes the pages of one list meet without a gap or a run twice.
    if (limit > 0) {
        q.sql += QStringLiteral(" LIMIT ? OFFSET ?");
        q.values << limit << offset;
    }
    return q;
}

RunQuery countQuery(const RunFilter &filter)
{
    RunQuery q = chosenRuns(filter);
    q.sql.prepend(QStringLiteral("SELECT COUNT(*)"));
    return q;
}

QString searchFolded(const QString &text)
{
    // Qt folds one character to one: going through the capitals first gives the folds of
    // several characters too ("ß" to "SS" to "ss"), and folding once more before that the
    // capital sharp s as well. Taken apart again afterwards, as folding can make characters
    // that decompose.
    const QString folded = text.normalized(QString::NormalizationForm_KD)
                               .toCaseFolded()
                               .toUpper()
                               .toCaseFolded()
                               .normalized(QString::NormalizationForm_KD);
    QList<uint> kept = folded.toUcs4();
    kept.removeIf([](uint c) {
        const QChar::Category category = QChar::category(char32_t(c));
        return category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining ||
               category == QChar::Mark_Enclosing;
    });
    return QString::fromUcs4(reinterpret_cast<const char32_t *>(kept.constData()), kept.size());
}

QDateTime parseBound(const QString &text, bool endOfDay)
{
    // The whole text, and only these forms: a date followed by anything is no date.
    static const QRegularExpression form(QStringLiteral(
        "^([0-9]{4})-([0-9]{2})-([0-9]{2})(?:T([0-9]{2}):([0-9]{2})(?::([0-9]{2}))?)?$"));
    const QRegularExpressionMatch m = form.match(text.trimmed());
    if (!m.hasMatch())
        return QDateTime();
    const auto number = [&m](int field, int unnamed) {
        return m.hasCaptured(field) ? m.captured(field).toInt() : unnamed;
    };
    // A bound names the first or the last second of the day or minute it gives.
    const int lastOrFirst = endOfDay ? 59 : 0;
    const QDate d(number(1, 0), number(2, 0), number(3, 0));
    const QTime t(number(4, endOfDay ? 23 : 0), number(5, lastOrFirst), number(6, lastOrFirst));
    if (!d.isValid() || !t.isValid())
        return QDateTime();
    return QDateTime(d, t, Qt::UTC);
}

} // namespace archive
