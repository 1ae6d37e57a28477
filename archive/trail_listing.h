#pragma once

#include "archive/audit_event.h"
#include "archive/audit_trail.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

// The audit trail as people and scripts read it: the columns of the Audit Trail window, its
// CSV, the printed trail and `kestrun-cli audit list`, made here once for all of them.
namespace archive {

// Every action an event can name, in the order people read them.
const QStringList &actionNames();

// The fields of one event in the order of archivetext::kEventHeadings: its number, its time as
// the computer that recorded it read it ("2026-12-08T06:12:01+01:00"), user, computer, action,
// run (empty for none), reason (empty for none) and details (compact JSON).
QStringList eventFields(const AuditEvent &event);
// The same time alone.
QString eventLocalTime(const AuditEvent &event);
// A moment as a clock at `offsetS` from UTC reads it, with that offset.
QString timeWithOffset(const QDateTime &utc, int offsetS);

// What a filter lets through, in a few words ("action=sign since=2026-12-01T00:00:00+01:00");
// empty for a filter that lets all through.
QString filterText(const AuditFilter &filter);

// The event as `audit list --json` gives it; every key always there.
QJsonObject eventJson(const AuditEvent &event);

// The events as CSV: the headings' record, then one record an event.
QByteArray eventsCsv(const QList<AuditEvent> &events);

// A date typed in this computer's local time (as parseBound reads it: a day, or a day and a
// time) as the UTC moment a trail's filter compares with; invalid when it does not read.
QDateTime eventBound(const QString &text, bool endOfDay);

} // namespace archive
