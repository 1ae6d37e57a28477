#pragma once

#include <QString>

// Texts of the limits, the summary and their dialog. Used through these constants only.
namespace analysistext {

inline const QString kLimitsTitle = QStringLiteral("Limits");

// %1 "high" or "low", %2 the quantity ("temperature"), %3 the text given.
inline const QString kNotANumber =
    QStringLiteral("The %1 limit of %2 is not a number: \"%3\". Give a number such as 25.5.");
// %1 "high" or "low", %2 the quantity: a value given, but empty.
inline const QString kEmptyLimit =
    QStringLiteral("The %1 limit of %2 is empty. Give a number such as 25.5; a limit is removed "
                   "by emptying its field in Setting \u2192 Limits... or with kestrun-cli limits "
                   "clear.");
// %1 the quantity, %2 the low limit given, %3 the high limit given.
inline const QString kLowNotBelowHigh =
    QStringLiteral("The low limit of %1 (%2) must be below its high limit (%3).");
// %1 the text given. The year is analysis::kMaxDelayMinutes.
inline const QString kBadDelay =
    QStringLiteral("The alarm delay must be a whole number of minutes from 0 to 525600 (a "
                   "year): \"%1\".");
// %1 the text given.
inline const QString kBadType =
    QStringLiteral("The alarm type must be \"single\" or \"cumulative\": \"%1\".");
// %1 whose limits (kLoggerLimits, kDefaultLimits), %2 what is wrong with them.
inline const QString kStoredRefused =
    QStringLiteral("The limits stored for %1 are refused, and nothing is judged by them. %2");
inline const QString kLoggerLimits = QStringLiteral("logger %1");
inline const QString kDefaultLimits = QStringLiteral("every logger (the default)");
// %1 why the archive that keeps the limits cannot be read.
inline const QString kLimitsUnreadable =
    QStringLiteral("The limits are kept in the archive, which cannot be read now, so nothing "
                   "is judged until it can. %1");
// %1 where the settings are kept.
inline const QString kNotStored =
    QStringLiteral("The limits could not be stored in %1. Nothing was changed.");

inline const QString kHigh = QStringLiteral("high");
inline const QString kLow = QStringLiteral("low");

// The verdict of a summary.
inline const QString kVerdictAlarm = QStringLiteral("ALARM");
inline const QString kVerdictOk = QStringLiteral("OK");
inline const QString kVerdictNoLimits = QStringLiteral("NO LIMITS");
inline const QString kVerdictNoData = QStringLiteral("NO DATA");

// The summary's readable block.
inline const QString kOneReading = QStringLiteral("1 reading");
// %1 a number of readings other than one.
inline const QString kReadings = QStringLiteral("%1 readings");
// A limit's line: how the readings stood against it, then ok or alarm.
inline const QString kNeverBeyond = QStringLiteral("never beyond");
inline const QString kNoValidReading = QStringLiteral("no valid reading");
// %1 how many excursions, %2 their time together, %3 when the first began, %4 the longest.
inline const QString kBeyond = QStringLiteral("%1 event(s), %2 beyond, first at %3, longest %4");
inline const QString kOneFailedIncluded = QStringLiteral("(1 failed reading included)");
// %1 how many failed readings (more than one) the excursions include.
inline const QString kFailedIncluded = QStringLiteral("(%1 failed readings included)");
inline const QString kLimitOk = QStringLiteral("ok");
inline const QString kLimitAlarm = QStringLiteral("alarm");
// A sensor's failed readings: %1 how many, %2 when the first was taken, %3 how many the longest
// unbroken run of them has, %4 how long it lasted, %5 when it began.
inline const QString kFailedLabel = QStringLiteral("Failed");
inline const QString kNoFailedReading = QStringLiteral("none");
inline const QString kFailedReadings =
    QStringLiteral("%1, the first at %2; the longest run %3 (%4) from %5");
// A reading taken, by its time, before the one above it. %1 its row, %2 its time, %3 the time
// of the row above.
inline const QString kNoteLabel = QStringLiteral("Note");
inline const QString kTimeStepsBack =
    QStringLiteral("Time steps back at row %1: %2 comes after %3.");
// %1 how many more rows step back than are listed.
inline const QString kMoreStepsBack = QStringLiteral("Time steps back at %1 more rows.");

// --- A run's kept judgement beside today's. ---
// %1 the kept verdict, %2 kAtStoring or kJudgedAgain, %3 when (kKeptWhen).
inline const QString kKept = QStringLiteral("Kept: %1, %2 on %3");
inline const QString kAtStoring = QStringLiteral("at storing");
// In place of the verdict of a run kept without one (its limits were refused).
inline const QString kNoVerdict = QStringLiteral("no verdict");
inline const QString kJudgedAgain = QStringLiteral("judged again");
// After kKept when the limits it was judged under were not kept with it.
inline const QString kUnderUnknownLimits = QStringLiteral(" under unknown limits");
// After kKept when the limits were kept: the figures below are judged by them.
inline const QString kUnderKeptLimits = QStringLiteral(", under the limits kept with it");
// After kKept, %1 today's verdict: the limits that apply today judge the run differently.
inline const QString kUnderToday = QStringLiteral(" \u2014 Under today's limits: %1");
// How kKept names the moment, in local time ("8 Dec 05:12").
inline const QString kKeptWhen = QStringLiteral("d MMM HH:mm");
inline const QString kJudgeAgain = QStringLiteral("Judge again...");

} // namespace analysistext
