#pragma once

#include <QString>
#include <QStringList>

// Texts of the archive: its browser and settings dialogs, the runs they name, and what the
// database layer says went wrong. Used through these constants only.
namespace archivetext {

inline const QString kArchiveTitle = QStringLiteral("Archive");

// A run: %1 the time of its first reading, %2 of its last (as the table shows them).
inline const QString kRunSpan = QStringLiteral("%1 to %2");
// The data window's title for a run opened from the archive; %1 the run's name.
inline const QString kRunTitle = QStringLiteral("Archive: %1");

// The browser.
inline const QString kSerialLabel = QStringLiteral("Serial");
inline const QString kLocationLabel = QStringLiteral("Location");
inline const QString kFromLabel = QStringLiteral("From");
inline const QString kToLabel = QStringLiteral("To");
inline const QString kDatePlaceholder = QStringLiteral("2024-05-17");
inline const QString kAlarmsOnly = QStringLiteral("Alarms only");
inline const QString kOpen = QStringLiteral("Open");
inline const QString kSave = QStringLiteral("Save...");
inline const QString kSaveTitle = QStringLiteral("Save");
inline const QString kClose = QStringLiteral("Close");
// The status line while a question is out to the archive.
inline const QString kAsking = QStringLiteral("Asking the archive\u2026");
inline const QString kOneRun = QStringLiteral("1 run");
// %1 the number of runs the filter shows.
inline const QString kRunCount = QStringLiteral("%1 runs");
inline const QString kBadDate =
    QStringLiteral("Type dates as 2024-05-17 or 2024-05-17T08:00:00; the list is not filtered "
                   "until the date reads.");
// %1 the database's reason.
inline const QString kNotListed = QStringLiteral("The archive could not be listed: %1");

// The browser's column headings, in the order of archive::RunColumn.
inline const QStringList kRunHeadings{
    QStringLiteral("Stored at"),     QStringLiteral("Serial"),       QStringLiteral("Location"),
    QStringLiteral("Model"),         QStringLiteral("First reading"), QStringLiteral("Last reading"),
    QStringLiteral("Readings"),      QStringLiteral("Verdict"),      QStringLiteral("Source"),
    QStringLiteral("Stored by"),     QStringLiteral("Computer"),     QStringLiteral("Key")};

// The settings dialog.
inline const QString kThisComputer = QStringLiteral("This computer");
inline const QString kSharedDatabase = QStringLiteral("A shared database");
inline const QString kConnectionPlaceholder = QStringLiteral("service=loggers or postgresql://host/db");
inline const QString kPasswordNote =
    QStringLiteral("Kestrun never stores a password: put it in ~/.pgpass (libpq's password file) "
                   "or in the service file.");
// %1 the variable's name, %2 its value.
inline const QString kEnvironmentOverrides =
    QStringLiteral("%1 is set (%2): it overrides the choice made here.");
inline const QString kNoConnection =
    QStringLiteral("Enter the connection string of the shared database, for example "
                   "service=loggers or postgresql://host/db.");
// %1 the text typed.
inline const QString kNotAConnection =
    QStringLiteral("\"%1\" is not a connection string of a PostgreSQL database. Write it as "
                   "service=loggers, host=server dbname=loggers or postgresql://server/loggers.");
inline const QString kHoldsPassword =
    QStringLiteral("The connection string holds a password, and Kestrun never stores one. Remove "
                   "it and put the password in ~/.pgpass (libpq's password file) or in the "
                   "service file.");

// The window and the command line, when a run could not go where it should.
// %1 why the archive could not take the run (a sentence).
inline const QString kNotKept = QStringLiteral(
    "The run was not kept in the archive. %1 The readings are shown and can be saved with "
    "File \u2192 Save.");
// %1 why the shared archive could not take the run (a sentence).
inline const QString kKeptHere =
    QStringLiteral("%1 The run is kept on this computer and will be sent on later.");
// %1 why the waiting runs could not be sent (a sentence), %2 how many wait.
inline const QString kWaitingHere =
    QStringLiteral("%1 %2 run(s) wait on this computer and will be sent on later.");

// What the database layer says went wrong. %1 the archive as describe() names it, %2 the
// database's (or libpq's) reason, unless a text says otherwise.
inline const QString kUnreachable = QStringLiteral("The shared archive %1 could not be reached: %2");
// %2 the seconds it was given (a server that stalls, or a network that went away mid-command).
inline const QString kNoAnswer = QStringLiteral("The shared archive %1 did not answer within %2 s.");
inline const QString kDamaged = QStringLiteral(
    "The archive %1 is damaged (%2). It was left as it is; move it away to start a new archive.");
inline const QString kDiskFull = QStringLiteral("The archive %1 could not be written: the disk is full.");
inline const QString kReadOnly = QStringLiteral("The archive %1 could not be written: it is read-only.");
inline const QString kFailed = QStringLiteral("The archive %1 failed: %2");
inline const QString kBadConnection =
    QStringLiteral("The archive's connection string %1 is not valid: %2");
// %1 Qt's reason.
inline const QString kNoDriver = QStringLiteral("The database driver for the archive is missing: %1");
// %2 the archive's schema version, %3 the newest this program knows.
inline const QString kNewer = QStringLiteral(
    "The archive %1 was made by a newer Kestrun (schema version %2; this one knows up to %3).");
// An archive this user may only read. %1 the archive; for the older one, %2 its schema version,
// %3 the one this program keeps.
inline const QString kReadOnlyNote = QStringLiteral(
    "The archive %1 is read-only for you: its runs can be listed and opened, but nothing can be "
    "stored in it or withdrawn from it.");
inline const QString kReadOnlyOlder = QStringLiteral(
    "The archive %1 is read-only for you and was made by an older Kestrun (schema version %2; "
    "this one needs %3). It can be read once someone who may write to it has opened it with "
    "this version.");
// %1 the key asked for.
inline const QString kNoSuchRun = QStringLiteral("The archive holds no run with the key %1.");
// Reasons inside kDamaged: the archive's path is a folder or a device; a run's bytes (%1 the
// first digits of their hash) changed since they were stored.
inline const QString kNotAFile = QStringLiteral("it is not a file");
inline const QString kHashMismatch = QStringLiteral("the bytes of the run %1 do not match their hash");
// A connection string that libpq cannot read, in place of the string (nothing of it is shown).
inline const QString kConnectionNotShown = QStringLiteral("(not shown)");
// Why a URI is not valid when its user part cannot be told from its host.
inline const QString kAmbiguousUri = QStringLiteral(
    "the user name and password of a URI cannot hold an unencoded '@' or '/' (write them "
    "percent-encoded, or put the password in ~/.pgpass)");
// What a signature means, as people read it.
inline const QString kReviewed = QStringLiteral("Reviewed");
inline const QString kApproved = QStringLiteral("Approved");

// The audit trail broken: %1 the number of the event expected, %2 the number found in its
// place; an event that does not carry the hash of the one before it (%2); one whose contents
// no longer give its hash.
inline const QString kEventMissing =
    QStringLiteral("Audit event %1 is missing: the trail goes on with event %2.");
inline const QString kEventOutOfChain =
    QStringLiteral("Audit event %1 does not follow event %2: the trail was changed there.");
inline const QString kEventAltered =
    QStringLiteral("Audit event %1 was altered after it was recorded.");
// Runs withdrawn rather than deleted.
inline const QString kWithdraw = QStringLiteral("Withdraw...");
inline const QString kShowWithdrawn = QStringLiteral("Show withdrawn");
inline const QString kWithdrawTitle = QStringLiteral("Withdraw");
// %1 the run's name.
inline const QString kWithdrawQuestion = QStringLiteral(
    "Why is the run %1 withdrawn? It leaves the list; its bytes and its history stay in the "
    "archive, and \"Show withdrawn\" lists it again.");
// The verdict of a withdrawn run, in the browser and the command line's list: %1 its verdict.
inline const QString kWithdrawnVerdict = QStringLiteral("%1 (WITHDRAWN)");
inline const QString kWithdrawnMark = QStringLiteral("WITHDRAWN");
inline const QString kReasonRequired = QStringLiteral("A run is withdrawn only with a reason.");
// %1 the run's key.
inline const QString kAlreadyWithdrawn = QStringLiteral("The run %1 was withdrawn already.");

// The archive's check of itself. %1 the runs checked, %2 the events.
inline const QString kVerifiedLine = QStringLiteral("archive verified: %1 runs, %2 events");
inline const QString kVerifiedShown = QStringLiteral("Archive verified: %1 runs, %2 events");
inline const QString kChecking = QStringLiteral("Checking the archive\u2026");
// %1 the first break found (a sentence).
inline const QString kCheckFailed = QStringLiteral(
    "Warning: the archive failed its check. %1 Nothing was changed or repaired.");
// %1 why the archive could not be read to the end.
inline const QString kNotChecked = QStringLiteral("The archive could not be checked: %1");
inline const QString kCheckStopped = QStringLiteral("The check of the archive was stopped.");
// The first break, %1 the run's key: bytes that no longer give their hash; a run whose bytes
// or hash are not those its store event recorded; a run without a store event; a run the
// trail recorded that is no longer there.
inline const QString kRunBytesAltered =
    QStringLiteral("The bytes of the run %1 do not match the hash stored with them.");
inline const QString kRunNotAsStored =
    QStringLiteral("The run %1 is not the one its store event in the audit trail recorded.");
inline const QString kRunNotInTrail =
    QStringLiteral("The run %1 has no store event in the audit trail.");
inline const QString kRunMissing =
    QStringLiteral("The run %1 is in the audit trail but no longer in the archive.");

// libpq's reason when it could not say one.
inline const QString kNoMemory = QStringLiteral("out of memory");

// --- Reading the audit trail: the Audit Trail window, its exports, the settings event. ---
inline const QString kAuditTrailTitle = QStringLiteral("Audit Trail");
// The File menu's entry.
inline const QString kAuditTrailCaption = QStringLiteral("Audi&t Trail...");
// The columns of the window, its CSV and its printout, in the order of eventFields().
inline const QStringList kEventHeadings{
    QStringLiteral("Event"),    QStringLiteral("Time"),   QStringLiteral("User"),
    QStringLiteral("Computer"), QStringLiteral("Action"), QStringLiteral("Run"),
    QStringLiteral("Reason"),   QStringLiteral("Details")};
inline const QString kRunLabel = QStringLiteral("Run");
inline const QString kUserLabel = QStringLiteral("User");
inline const QString kActionLabel = QStringLiteral("Action");
inline const QString kAllActions = QStringLiteral("All actions");
inline const QString kExportCsv = QStringLiteral("Export CSV...");
inline const QString kExportPdf = QStringLiteral("Export PDF...");
inline const QString kCsvFilter = QStringLiteral("CSV Files (*.csv)");
inline const QString kTrailPdfFilter = QStringLiteral("PDF Files (*.pdf)");
inline const QString kOneEvent = QStringLiteral("1 event");
// %1 the number of events the filter shows.
inline const QString kEventCount = QStringLiteral("%1 events");
// %1 the database's reason.
inline const QString kTrailNotListed = QStringLiteral("The audit trail could not be read: %1");
// The printed trail's heading: %1 when it was printed (with the offset), %2 the archive.
inline const QString kTrailPrinted = QStringLiteral("Audit trail of %2, printed %1");
// %1 what the filter lets through ("action=sign since 2026-12-01").
inline const QString kTrailFilter = QStringLiteral("Filter: %1");
inline const QString kTrailUnfiltered = QStringLiteral("Filter: none (every event)");
// The settings event's name for where the archive is.
inline const QString kArchiveSettingName = QStringLiteral("archive");
// A change of the archive's place that one of the two archives could not record: %1 the
// archive's reason (a sentence).
inline const QString kMoveNotRecorded = QStringLiteral(
    "The change of where the archive is was kept, but it could not be recorded in the audit "
    "trail: %1");

} // namespace archivetext
