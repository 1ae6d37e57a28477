#pragma once

#include "archive/signature.h"
#include "auth/password_check.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace archive {

class ArchiveDb;

// One person signing one archived run, the whole act: they sign as themselves only (the
// account the program runs as), with a printed name, after their own login password passed
// the system's check. A password that does not pass is a failed signing in the trail and
// signs nothing. The password is wiped whatever happens; nothing keeps, logs or repeats it.
struct SigningRequest
{
    QString key;   // the run's archive key
    Meaning meaning = Meaning::Reviewed;
    QString login; // who signs
    QString name;  // the name printed with the signature
};

struct SigningOutcome
{
    std::optional<Signature> signature; // as kept, when signed
    QString message;                    // for the user, when not
    bool ok() const { return signature.has_value(); }
};

// Blocks for as long as the password check takes (seconds after a wrong one): call it off the
// window's thread, with a connection of that thread.
SigningOutcome signRun(ArchiveDb &db, const SigningRequest &request, QByteArray &password,
                       const QString &service = auth::kPamService);

// The outcome of a check as the trail names it ("wrong-password", ...).
QString outcomeName(auth::PasswordCheck::Outcome outcome);

// An event time as people read it here: local, with its offset ("08/12/2026 06:12:01
// UTC+01:00").
QString localTimeWithOffset(const QDateTime &utc);
// A signature in one line: "Reviewed by A. Tester (atester), 08/12/2026 06:12:01 UTC+01:00".
QString signatureLine(const Signature &s);
// The signatures of a run as the browser's column shows them: "Reviewed by A. Tester;
// Approved by B. Jones"; empty for none.
QString signaturesCell(const QList<Signature> &signatures);

} // namespace archive
