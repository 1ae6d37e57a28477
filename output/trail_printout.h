#pragma once

#include "archive/audit_event.h"

#include <QDateTime>
#include <QList>
#include <QString>

class QPagedPaintDevice;

// The audit trail on paper or in a PDF: a heading that names the archive, when it was printed
// and the filter, then each event on a line of its own (number, time with its offset, user,
// computer, action, run) with its details and reason beneath, wrapped to the page; landscape A4.
namespace trailprint {

struct TrailHeading
{
    QString archive;  // the archive, as messages name it
    QString filter;   // archive::filterText() of what is listed; empty for every event
    QDateTime printed; // the moment of printing
};

bool printTrail(QPagedPaintDevice &device, const QList<archive::AuditEvent> &events,
                const TrailHeading &heading);

// The printed trail as a PDF at `path`, written completely or not at all; false with the
// reason in `error` when it could not be.
bool writeTrailPdf(const QList<archive::AuditEvent> &events, const TrailHeading &heading,
                   const QString &path, QString *error);

} // namespace trailprint
