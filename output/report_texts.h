#pragma once

#include <QString>

// Texts of the report's record of itself (page 1, the metadata) and of its verification.
namespace report {

// --- Page 1: who made the report, whose run it is, what proves it. ---

// %1 login, %2 computer, %3 local time with its offset.
inline const QString kMadeByLine = QStringLiteral("Made by:        %1 on %2, %3");
// %1 login, %2 computer, %3 local time with its offset.
inline const QString kStoredByLine = QStringLiteral("Stored by:      %1 on %2, %3");
inline const QString kNotStoredLine = QStringLiteral("Stored by:      not in the archive");
// %1 why the archive could not say.
inline const QString kArchiveUnknownLine = QStringLiteral("Stored by:      unknown (%1)");
inline const QString kShaLinePrefix = QStringLiteral("SHA-256: ");
// %1 the key.
inline const QString kKeyLine = QStringLiteral("Archive key:    %1");
// %1 the key it would have.
inline const QString kNoKeyLine = QStringLiteral("Archive key:    %1 (not in the archive)");
// %1 the limits of the sensors, %2 the delay in minutes, %3 the alarm type.
inline const QString kLimitsLine = QStringLiteral("Judged under:   %1; delay %2 min, %3");
// %1 caption, %2 high, %3 low (each a value and unit, or "none").
inline const QString kSensorLimits = QStringLiteral("%1 high %2, low %3");
inline const QString kNoLimit = QStringLiteral("none");
inline const QString kNoSignatures = QStringLiteral("Signatures:     none");
inline const QString kSignaturesHead = QStringLiteral("Signatures:");
// %1 meaning, %2 printed name, %3 login, %4 local time with its offset.
inline const QString kSignatureLine = QStringLiteral("  %1 by %2 (%3), %4");

// --- The events of files written. ---

// %1 why the archive could not take it.
inline const QString kEventNotRecorded =
    QStringLiteral("The file was written, but the archive could not record that it was: %1\n"
                   "Files written while this lasts are not recorded either; you are not told "
                   "again.");

// --- Verification of a report. ---

// %1 the run's key, %2 its SHA-256; what the archive said follows after "; ".
inline const QString kVerified = QStringLiteral("verified: run %1, SHA-256 %2");
// %1 how many signatures.
inline const QString kVerifiedInArchive =
    QStringLiteral("the run is in the archive with these bytes, %1 signature(s) in its trail");
inline const QString kVerifiedNotArchived =
    QStringLiteral("the report names no archived run and the archive has none of these bytes");
// %1 why the archive could not be reached.
inline const QString kVerifiedArchiveAway =
    QStringLiteral("the archive was not checked: %1");
inline const QString kNoFigures =
    QStringLiteral("The PDF carries no report figures: it is not a Kestrun report.");
inline const QString kFiguresUnreadable =
    QStringLiteral("The report's figures in the PDF's metadata cannot be read.");
// %1 the attached bytes' SHA-256, %2 the report's.
inline const QString kShaMismatch = QStringLiteral(
    "mismatch: the attached run's SHA-256 is %1, the report's metadata says %2");
// %1 the key the bytes give, %2 the report's.
inline const QString kKeyMismatch =
    QStringLiteral("mismatch: the attached run's key is %1, the report says %2");
// %1 why.
inline const QString kAttachedUnreadable =
    QStringLiteral("mismatch: the attached run cannot be read: %1");
// %1 the figure (a JSON path), %2 the attached run's value, %3 the report's.
inline const QString kFigureMismatch = QStringLiteral(
    "mismatch: the figure %1 of the attached run is %2, the report says %3");
// %1 the key.
inline const QString kNotInArchive =
    QStringLiteral("mismatch: the report names run %1 of the archive, which has no such run");
// %1 the key.
inline const QString kBytesDiffer =
    QStringLiteral("mismatch: the archive's run %1 has other bytes than the report's");
// %1 the key.
inline const QString kWithdrawn =
    QStringLiteral("mismatch: run %1 was withdrawn from the archive");
// %1 the signature's number, %2 what is wrong.
inline const QString kSignatureMismatch =
    QStringLiteral("mismatch: signature %1 of the report is not in the archive's trail: %2");
inline const QString kNoSignatureRow = QStringLiteral("no such signature");
inline const QString kSignatureDiffers =
    QStringLiteral("the archive's signature says otherwise");
inline const QString kNoSignEvent = QStringLiteral("no sign event of that number and hash");
// %1 why.
inline const QString kArchiveFailed = QStringLiteral("mismatch: the archive could not be read: %1");

} // namespace report
