#pragma once

#include <QString>

// Who the user is, as the system's account database says (not as the environment says: a
// signature is attributed to the account the program runs as).
namespace auth {

// The login name of the account the program runs as; empty when the system knows none.
QString currentLogin();

// Whether the system has an account of that login name.
bool hasAccount(const QString &login);

// The account's full name: the first comma-separated field of its GECOS entry, trimmed;
// empty when the account has none or does not exist.
QString fullName(const QString &login);

} // namespace auth
