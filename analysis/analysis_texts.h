#pragma once

#include <QString>

// Texts of the limits, the summary and their dialog. Used through these constants only.
namespace analysistext {

inline const QString kLimitsTitle = QStringLiteral("Limits");

// %1 "high" or "low", %2 the quantity ("temperature"), %3 the text typed.
inline const QString kNotANumber =
    QStringLiteral("The %1 limit of %2 is not a number: \"%3\". Enter a number such as 25.5, "
                   "or leave the field empty for no limit.");
// %1 the quantity, %2 the low limit typed, %3 the high limit typed.
inline const QString kLowNotBelowHigh =
    QStringLiteral("The low limit of %1 (%2) must be below its high limit (%3).");
// %1 the text typed.
inline const QString kBadDelay =
    QStringLiteral("The alarm delay must be a whole number of minutes, 0 or more: \"%1\".");
// %1 where the settings are kept.
inline const QString kNotStored =
    QStringLiteral("The limits could not be stored in %1. Nothing was changed.");

inline const QString kHigh = QStringLiteral("high");
inline const QString kLow = QStringLiteral("low");

// The verdict of a summary.
inline const QString kVerdictAlarm = QStringLiteral("ALARM");
inline const QString kVerdictOk = QStringLiteral("OK");
inline const QString kVerdictNoLimits = QStringLiteral("NO LIMITS");

} // namespace analysistext
