#include "archive/trail_listing.h"

#include "archive/archive_texts.h"
#include "archive/run_filter.h"
#include "common/csv_text.h"
#include "common/datetext.h"

#include <QJsonDocument>

#include <cstdlib>

namespace archive {

const QStringList &actionNames()
{
    static const QStringList names{action::kStore,      action::kWithdraw, action::kSign,
                                   action::kSignFailed, action::kLimits,   action::kRejudge,
                                   action::kReport,     action::kExport,   action::kSettings};
    return names;
}

QString timeWithOffset(const QDateTime &utc, int offsetS)
{
    // Written out rather than by Qt's ISO form, which gives "Z" for an offset of naught: the
    // offset is part of what was recorded and is always shown.
    return utc.toUTC().addSecs(offsetS).toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) +
           datetext::utcOffsetText(offsetS);
}

QString eventLocalTime(const AuditEvent &event)
{
    return timeWithOffset(event.at, event.utcOffsetS);
}

QString filterText(const AuditFilter &filter)
{
    QStringList parts;
    const auto part = [&](const char *name, const QString &value) {
        if (!value.isEmpty())
            parts << QLatin1String(name) + QLatin1Char('=') + value;
    };
    const auto local = [](const QDateTime &t) {
        return t.isValid() ? timeWithOffset(t, t.toLocalTime().offsetFromUtc()) : QString();
    };
    part("run", filter.run);
    part("user", filter.user);
    part("action", filter.action);
    part("since", local(filter.since));
    part("until", local(filter.until));
    return parts.join(QLatin1Char(' '));
}

QStringList eventFields(const AuditEvent &event)
{
    return {QString::number(event.seq),
            eventLocalTime(event),
            event.user,
            event.computer,
            event.action,
            event.run,
            event.reason.value_or(QString()),
            jsonText(event.details)};
}

QJsonObject eventJson(const AuditEvent &event)
{
    // Exactly the fields the hash covers, with the hash: what a script reads is what was hashed.
    QJsonObject o = QJsonDocument::fromJson(canonicalForm(event)).object();
    o.insert(QStringLiteral("hash"), event.hash);
    return o;
}

QByteArray eventsCsv(const QList<AuditEvent> &events)
{
    QByteArray out = csvtext::record(archivetext::kEventHeadings);
    for (const AuditEvent &e : events)
        out += csvtext::record(eventFields(e));
    return out;
}

QDateTime eventBound(const QString &text, bool endOfDay)
{
    // parseBound reads the wall-clock time as logger times are kept (marked UTC); here it is
    // this computer's.
    const QDateTime wall = parseBound(text, endOfDay);
    if (!wall.isValid())
        return {};
    return QDateTime(wall.date(), wall.time(), Qt::LocalTime).toUTC();
}

} // namespace archive
