#pragma once

#include <QString>

// The command line's own messages (usage errors and refusals), apart from the program's
// messages it shares with the window.
namespace clitext {

// %1 the option ("since"), %2 what was given.
inline const QString kNotADate =
    QStringLiteral("--%1 must be a date such as 2024-05-17, or a date and time such as "
                   "2024-05-17T08:30 or 2024-05-17T08:30:00, not '%2'");

// Runs withdrawn: %1 the run's key.
inline const QString kWithdrawnLine = QStringLiteral("withdrawn: %1");
// --- Reading the audit trail. ---
// %1 what was given, %2 the actions, comma-separated.
inline const QString kNotAnAction = QStringLiteral("--action must be one of %2, not '%1'");
// Signing (`archive sign`). %1 what was given.
inline const QString kNotAMeaning =
    QStringLiteral("--meaning must be reviewed or approved, not '%1'");
inline const QString kEmptyName = QStringLiteral("--name must give the name to print");
// %1 the account's full name.
inline const QString kNameFromAccount = QStringLiteral(
    "Your account's full name \"%1\" is printed with your signatures; --name is for an "
    "account without one. Nothing was signed.");
inline const QString kNeedName = QStringLiteral(
    "Your account has no full name: give the name to print with your signatures once, with "
    "--name \"First Last\". Nothing was signed.");
// %1 the login.
inline const QString kPasswordPrompt = QStringLiteral("Login password of %1: ");
inline const QString kNoTerminal = QStringLiteral(
    "There is no terminal to ask for the password on: give it on standard input with "
    "--password-stdin. Nothing was signed.");
inline const QString kNoPasswordLine =
    QStringLiteral("No password came on standard input. Nothing was signed.");
// %1 the run's key, %2 the signature's line.
inline const QString kSignedRun = QStringLiteral("Signed the run %1: %2");

// --- Reports of archived runs. ---
inline const QString kNoLimitsWithKey =
    QStringLiteral("the limit options are for a FILE: an archived run (--key) is reported "
                   "under the limits of its document");

} // namespace clitext
