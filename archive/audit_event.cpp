#include "archive/audit_event.h"

#include "archive/run_record.h"
#include "auth/account.h"
#include "common/sha256.h"

#include <QJsonDocument>

namespace archive {

AuditEvent newEvent(const QString &action, const QString &run, QJsonObject details,
                    std::optional<QString> reason)
{
    AuditEvent e;
    const QDateTime now = QDateTime::currentDateTime();
    e.at = now.toUTC();
    e.at.setTime(QTime(e.at.time().hour(), e.at.time().minute(), e.at.time().second()));
    e.utcOffsetS = now.offsetFromUtc();
    // The account, not what the environment claims: an event is attributed to whoever the
    // program runs as.
    e.user = auth::currentLogin();
    if (e.user.isEmpty())
        e.user = userName();
    e.computer = computerName();
    e.action = action;
    e.run = run;
    e.details = std::move(details);
    e.reason = std::move(reason);
    return e;
}

QByteArray canonicalForm(const AuditEvent &e)
{
    // QJsonObject keeps its keys sorted, and the compact form has no spaces to vary.
    const QJsonObject o{
        {QStringLiteral("seq"), e.seq},
        {QStringLiteral("at"), eventTime(e.at)},
        {QStringLiteral("utc_offset_s"), e.utcOffsetS},
        {QStringLiteral("user"), e.user},
        {QStringLiteral("computer"), e.computer},
        {QStringLiteral("action"), e.action},
        {QStringLiteral("run"), e.run.isEmpty() ? QJsonValue() : QJsonValue(e.run)},
        {QStringLiteral("details"), e.details},
        {QStringLiteral("reason"), e.reason ? QJsonValue(*e.reason) : QJsonValue()},
    };
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

QString jsonText(const QJsonObject &o)
{
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

QString chainedHash(const QString &prevHash, const AuditEvent &event)
{
    return sha256Hex(prevHash.toLatin1() + canonicalForm(event));
}

QString eventTime(const QDateTime &utc)
{
    return utc.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss'Z'"));
}

QDateTime parseEventTime(const QString &text)
{
    QDateTime t = QDateTime::fromString(text, QStringLiteral("yyyy-MM-ddTHH:mm:ss'Z'"));
    t.setTimeSpec(Qt::UTC);
    return t;
}

} // namespace archive
