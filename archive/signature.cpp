#include "archive/signature.h"

#include "archive/archive_texts.h"
#include "archive/audit_event.h"

#include <QJsonObject>

namespace archive {

QString meaningName(Meaning m)
{
    return m == Meaning::Approved ? QStringLiteral("approved") : QStringLiteral("reviewed");
}

QString meaningCaption(Meaning m)
{
    return m == Meaning::Approved ? archivetext::kApproved : archivetext::kReviewed;
}

std::optional<Meaning> meaningFromName(const QString &name)
{
    for (const Meaning m : {Meaning::Reviewed, Meaning::Approved})
        if (name == meaningName(m))
            return m;
    return std::nullopt;
}

QJsonArray signaturesJson(const QList<Signature> &signatures)
{
    QJsonArray out;
    for (const Signature &s : signatures)
        out.append(QJsonObject{{QStringLiteral("user"), s.user},
                               {QStringLiteral("name"), s.name},
                               {QStringLiteral("meaning"), meaningName(s.meaning)},
                               {QStringLiteral("at"), eventTime(s.at)}});
    return out;
}

} // namespace archive
