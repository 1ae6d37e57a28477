#include "archive/signing.h"

#include "archive/archive_db.h"
#include "archive/archive_texts.h"
#include "archive/run_record.h"
#include "auth/account.h"
#include "common/datetext.h"

#include <QTimeZone>

namespace archive {

using Outcome = auth::PasswordCheck::Outcome;

QString outcomeName(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Ok:
        return QStringLiteral("ok");
    case Outcome::WrongPassword:
        return QStringLiteral("wrong-password");
    case Outcome::UnknownLogin:
        return QStringLiteral("unknown-login");
    case Outcome::AccountRefused:
        return QStringLiteral("account-refused");
    case Outcome::PasswordExpired:
        return QStringLiteral("password-expired");
    case Outcome::NotSetUp:
        return QStringLiteral("not-set-up");
    case Outcome::Failed:
        break;
    }
    return QStringLiteral("failed");
}

SigningOutcome signRun(ArchiveDb &db, const SigningRequest &request, QByteArray &password,
                       const QString &service)
{
    SigningOutcome out;
    const QString running = auth::currentLogin();
    if (request.login != running) {
        auth::wipe(password);
        out.message = archivetext::kSignNotYourself.arg(running, request.login);
        return out;
    }
    if (request.name.trimmed().isEmpty()) {
        auth::wipe(password);
        out.message = archivetext::kSignNoName;
        return out;
    }
    const auth::PasswordCheck check = auth::checkPassword(request.login, password, service);
    if (!check.ok()) {
        out.message = check.outcome == Outcome::WrongPassword
                          ? archivetext::kSignWrongPassword
                          : archivetext::kNotSigned.arg(check.reason);
        if (!db.recordFailedSigning(request.key, request.login, request.meaning,
                                    outcomeName(check.outcome)))
            out.message += QLatin1Char(' ') + archivetext::kFailureNotRecorded.arg(db.error());
        return out;
    }
    Signature wanted;
    wanted.run = request.key;
    wanted.user = request.login;
    wanted.name = request.name.trimmed();
    wanted.meaning = request.meaning;
    out.signature = db.sign(wanted);
    if (!out.signature)
        out.message = archivetext::kNotSigned.arg(db.error());
    return out;
}

QString localTimeWithOffset(const QDateTime &utc)
{
    const QDateTime local = utc.toLocalTime();
    return archivetext::kTimeWithOffset.arg(shownTime(local),
                                            datetext::utcOffsetText(local.offsetFromUtc()));
}

QString signatureLine(const Signature &s)
{
    return archivetext::kSignatureLine.arg(meaningCaption(s.meaning), s.name, s.user,
                                           localTimeWithOffset(s.at));
}

QString signaturesCell(const QList<Signature> &signatures)
{
    QStringList parts;
    for (const Signature &s : signatures)
        parts << archivetext::kSignedBy.arg(meaningCaption(s.meaning), s.name);
    return parts.join(QStringLiteral("; "));
}

} // namespace archive
