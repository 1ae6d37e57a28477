#pragma once

#include <QString>

// Why a password check did not pass, as the user reads it.
namespace auth {

inline const QString kWrongPassword = QStringLiteral("The password is wrong.");
// %1 the login name.
inline const QString kUnknownLogin =
    QStringLiteral("There is no account with the login name \"%1\".");
inline const QString kAccountRefused =
    QStringLiteral("The account is locked or has expired. Ask your system administrator.");
inline const QString kPasswordExpired =
    QStringLiteral("The password has expired. Change it (passwd) and try again.");
// %1 the PAM service, %2 the file that sets it up.
inline const QString kPamNotSetUp = QStringLiteral(
    "Passwords cannot be checked: the PAM service \"%1\" is not set up (%2 is missing).");
// %1 what the system said.
inline const QString kCheckFailed = QStringLiteral("The system could not check the password: %1");

} // namespace auth
