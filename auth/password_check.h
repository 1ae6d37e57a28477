#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The user's own login password, checked by the system's authentication (PAM) each time it is
// asked for. The password is never kept: checkPassword() wipes the caller's buffer whatever
// the outcome, and nothing here logs, stores or returns it.
namespace auth {

// The PAM service Kestrun checks passwords through.
inline const QString kPamService = QStringLiteral("kestrun");

struct PasswordCheck
{
    enum class Outcome {
        Ok,
        WrongPassword,   // also an empty password: a signature needs one
        UnknownLogin,    // no account of that name
        AccountRefused,  // the password was right, the account may not be used (locked, expired)
        PasswordExpired, // the password was right but has to be changed first
        NotSetUp,        // no PAM service file for the service
        Failed,          // PAM itself failed (a module missing, an error of the system)
    };
    Outcome outcome = Outcome::Failed;
    // For the user; empty when Ok.
    QString reason;
    // What the system's modules said during the check ("Your account has expired; ..."), for
    // the record of a failed attempt. Never holds the password.
    QStringList systemMessages;

    bool ok() const { return outcome == Outcome::Ok; }
};

// Checks `password` for `login` through the PAM service `service` (its authentication, then
// its account rules). As an ordinary user the system checks only that user's own password;
// as root, any account's. Blocks for as long as the system takes (after a wrong password PAM
// waits about two seconds on purpose): call it off the window's thread.
//
// `password` is zeroed and emptied before returning. Its bytes are overwritten where they lie,
// so a copy that shared them is wiped too.
PasswordCheck checkPassword(const QString &login, QByteArray &password,
                            const QString &service = kPamService);

// Overwrites a secret's bytes where they lie (shared copies included) and empties it.
void wipe(QByteArray &secret);

} // namespace auth
