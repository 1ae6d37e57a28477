#include "archive/signer_name.h"

#include "archive/archive_db.h"
#include "auth/account.h"

#include <QJsonObject>
#include <QSettings>

namespace archive {

namespace {

const QString kKey = QStringLiteral("Signing/PrintedName");

QSettings settings()
{
    return QSettings(QSettings::UserScope, QStringLiteral("Brivak"), QStringLiteral("Kestrun"));
}

} // namespace

bool nameFromAccount(const QString &login)
{
    return !auth::fullName(login).isEmpty();
}

QString programName()
{
    return settings().value(kKey).toString().trimmed();
}

QString printedName(const QString &login)
{
    const QString account = auth::fullName(login);
    return account.isEmpty() ? programName() : account;
}

bool setProgramName(ArchiveDb &db, const QString &name)
{
    const QString before = programName();
    const QString after = name.trimmed();
    if (after == before)
        return true;
    AuditEvent event = newEvent(action::kSettings, {},
                                {{QStringLiteral("setting"), QStringLiteral("printed_name")},
                                 {QStringLiteral("old"), before.isEmpty() ? QJsonValue() : before},
                                 {QStringLiteral("new"), after}});
    if (!db.record(event))
        return false;
    QSettings s = settings();
    s.setValue(kKey, after);
    s.sync();
    return true;
}

} // namespace archive
