#include "archive/archive_move.h"

#include "archive/archive_db.h"
#include "archive/archive_texts.h"

namespace archive {

AuditEvent moveEvent(const Location &from, const Location &to)
{
    return newEvent(action::kSettings, {},
                    {{QStringLiteral("name"), archivetext::kArchiveSettingName},
                     {QStringLiteral("old"), describe(from)},
                     {QStringLiteral("new"), describe(to)}});
}

QString recordMove(const Location &from, const Location &to)
{
    const AuditEvent event = moveEvent(from, to);
    AuditEvent taken = event;
    ArchiveDb there(to);
    const QString problem = there.record(taken) ? QString() : there.error();
    if (from != to) {
        AuditEvent left = event;
        ArchiveDb before(from);
        before.record(left);
    }
    return problem;
}

} // namespace archive
