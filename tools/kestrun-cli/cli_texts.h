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

// --- Reports of archived runs. ---
inline const QString kNoLimitsWithKey =
    QStringLiteral("the limit options are for a FILE: an archived run (--key) is reported "
                   "under the limits of its document");

} // namespace clitext
