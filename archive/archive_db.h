#pragma once

#include "archive/archive_check.h"
#include "archive/archive_location.h"
#include "archive/audit_trail.h"
#include "archive/command_deadline.h"
#include "archive/judgement.h"
#include "archive/run_filter.h"
#include "archive/run_record.h"
#include "archive/signature.h"

#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class QSqlError;
class QSqlQuery;

namespace archive {

class QuietAboutFreeing;

// One connection to one archive database, SQLite or PostgreSQL, through the same statements.
// Opening brings the schema up to date (a version table, forward migrations); every change is
// one transaction, so a run is there whole or not at all.
//
// An archive this user may not write (a SQLite file or folder without write permission, a
// PostgreSQL user granted only SELECT) opens to be read: listing and getting work, everything
// that writes fails with the read-only message, and no migration is tried. An older schema on
// such an archive is one message (Fault::Older), not a half-read list. A SQLite file that fails
// its integrity check, or that this connection found damaged, is never written to.
//
// A connection belongs to the thread that opened it; a worker thread that stores opens its own.
//
// Every call to a PostgreSQL database has a deadline: the server cancels a statement after the
// statement timeout (10 s unless the connection string sets one, or the server has a shorter
// one), and a server that does not answer at all is given half as long again, then the
// connection is dropped (Fault::NoAnswer).
class ArchiveDb
{
public:
    static constexpr int kSchemaVersion = 4;
    static constexpr std::chrono::milliseconds kStatementTimeout{10000};

    // Why the last call failed.
    enum class Fault {
        None,
        Unreachable, // the shared database could not be reached
        NoAnswer,    // the shared database stopped answering (a deadline ran out)
        Damaged,     // not a database, or a damaged one: reported, never replaced
        Full,        // the disk is full
        ReadOnly,    // the file or its folder cannot be written
        Newer,       // made by a newer Kestrun
        Older,       // made by an older Kestrun, and read-only: it cannot be brought up to date
        NotFound,    // no run of that key
        Failed       // anything else; error() says what
    };
    enum class Stored { Added, AlreadyThere, Failed };

    explicit ArchiveDb(Location location);
    ~ArchiveDb();
    ArchiveDb(const ArchiveDb &) = delete;
    ArchiveDb &operator=(const ArchiveDb &) = delete;

    bool open();
    bool isOpen() const { return m_open; }
    // Opened to be read only (known once open).
    bool isReadOnly() const { return m_readOnly; }
    // For the user, when the archive is read-only: that nothing can be stored in it. Empty
    // otherwise.
    QString readOnlyNote() const;
    const Location &location() const { return m_location; }
    Fault fault() const { return m_fault; }
    // One sentence for the user: which archive, and why.
    const QString &error() const { return m_error; }
    QSqlDatabase database() const;

    // `toSend` marks a run kept here while the shared archive cannot be reached.
    Stored store(const RunRecord &run, bool toSend = false);
    // The runs of the filter without their bytes, in the filter's order; nullopt on failure.
    std::optional<QList<RunRecord>> list(const RunFilter &filter = {});
    // The runs of a listQuery() (a page of the browser's table, say); nullopt on failure.
    std::optional<QList<RunRecord>> runs(const RunQuery &query);
    // How many runs list(filter) gives; nullopt on failure.
    std::optional<int> count(const RunFilter &filter);
    std::optional<QByteArray> bytes(const QString &key);

    // --- The audit trail (defined in archive_db_trail.cpp). ---

    // Appends one event to the trail, in a transaction of its own; `event` gets its number and
    // hashes.
    bool record(AuditEvent &event);
    // The events of the filter, oldest first; nullopt on failure.
    std::optional<QList<AuditEvent>> events(const AuditFilter &filter = {});
    // The signatures of a run, oldest first; nullopt on failure.
    std::optional<QList<Signature>> signatures(const QString &key);

    // --- Reports (defined in archive_db_report.cpp). ---

    // Who stored the run and when, its hash and whether it was withdrawn (no bytes, no list
    // columns); nullopt with Fault::NotFound when the archive has no run of that key.
    std::optional<RunRecord> storedRun(const QString &key);

    // --- Runs withdrawn, and the archive's check of itself (archive_db_records.cpp). ---

    // Takes the run out of the default list, with the reason (required) in the trail; its
    // bytes, judgements and signatures stay. A run already withdrawn is refused; an unknown key
    // is Fault::NotFound.
    bool withdraw(const QString &key, const QString &reason);
    // Every run's bytes against their hash and against the hash their store event recorded, and
    // every event of the trail against the one before; nullopt when the archive could not be
    // read to the end, or `stop` said to stop. Reads `page` rows at a time, each page under a
    // deadline of its own, so neither a large archive's memory nor its time is a limit.
    static constexpr int kCheckPage = 512;
    std::optional<ArchiveCheck> verify(const std::function<bool()> &stop = {}, int page = kCheckPage);
    // --- Judgements kept and given again, and the site's limits (archive_db_judgements.cpp). ---

    // Every judgement the run was given, oldest first; nullopt on failure (NotFound when no run
    // has that key).
    std::optional<QList<Judgement>> judgements(const QString &key);
    // The run judged again in one transaction: a "rejudge" event with the old and the new
    // verdict and limits, the judgement kept beside it, and the run's status and limits made
    // the new ones. `status` unset: no verdict (never recorded; refused with Failed).
    bool rejudge(const QString &key, const std::optional<QString> &status,
                 const QJsonObject &limits, const QString &reason);
    // The site's limits by scope ("default", "logger:<serial>"); nullopt on failure.
    std::optional<QMap<QString, QJsonObject>> siteLimits();
    // One scope's limits set (`limits`) or removed (unset), with its "limits" event (the scope,
    // the old and the new values) in the same transaction. Setting what is there already
    // records nothing.
    bool setSiteLimits(const QString &scope, const std::optional<QJsonObject> &limits);
    // Once in an archive's life: `sets` (by scope) become the site's limits, each with its
    // "limits" event marked as migrated, where the site has none for that scope yet. Later
    // calls change nothing. False on failure.
    bool adoptLimitsOnce(const QMap<QString, QJsonObject> &sets);
    // --- Signatures (defined in archive_db_signatures.cpp). ---

    // What the window needs to offer a run for signing: whether the archive holds it, whether
    // it was withdrawn, and its signatures so far.
    struct SigningState
    {
        bool held = false;
        bool withdrawn = false;
        QList<Signature> signatures;
    };
    std::optional<SigningState> signingState(const QString &key);
    // Signs the run `signature.run` (`name`, `meaning`) as the account the program runs as, in one
    // transaction: the run must be there and not withdrawn; the signature covers the run's
    // bytes (their hash) under its newest judgement (the hash of the event that recorded it),
    // and is itself the trail's "sign" event. Returns the signature as kept (number, time and
    // hashes set); nullopt on failure (error() says why).
    std::optional<Signature> sign(const Signature &signature);
    // A signing refused because the password check did not pass: a "sign-failed" event
    // (the login that tried, which meaning, and the outcome of the check; never the password).
    bool recordFailedSigning(const QString &key, const QString &login, Meaning meaning,
                             const QString &outcome);

    // The runs waiting for the shared archive, whole, oldest first.
    std::optional<QList<RunRecord>> waitingToSend();
    bool markSent(const QString &key);

private:
    // Holds the deadline over one call, however many statements and rows it takes.
    class Watch;
    std::chrono::milliseconds answerWithin() const;
    void armDeadline();
    void endDeadline();
    void dropConnection();
    // The connection's statement timeout: the user's, a shorter one of the server's, or ours.
    bool limitStatements();
    int socket() const;
    // `query` prepared on this connection with its values bound, not yet run.
    QSqlQuery prepared(const RunQuery &query, bool forwardOnly) const;
    bool fail(const QSqlError &error);
    bool fail(Fault fault, QString why);
    bool exec(QSqlQuery &query);
    bool exec(const QString &sql);
    // Runs `query` with `key` bound to its one placeholder and steps onto its first row; false
    // when it failed, or found no run of that key (Fault::NotFound).
    bool findRun(QSqlQuery &query, const QString &key);
    bool begin();
    // Inside a transaction begun here: `event` appended to the trail under the lock.
    bool append(AuditEvent &event);
    // The archive's check in its three parts (archive_db_records.cpp), each filling `check`
    // until the first break; false when the archive could not be read, or `stop` said to stop.
    bool checkRuns(ArchiveCheck &check, const std::function<bool()> &stop, int page);
    bool findRunGone(ArchiveCheck &check);
    bool checkTrail(ArchiveCheck &check, const std::function<bool()> &stop, int page);
    // Whether `stop` says to stop; if so, the check fails with that reason.
    bool stopped(const std::function<bool()> &stop);
    bool commit();
    void rollback();
    bool configure(QSqlDatabase &db);
    // SQLite: the folder and the file made when they are missing, and whether this user may
    // write them.
    bool prepareFile();
    // SQLite: the file named on the connection, opened to write or to read; `asItStands` reads
    // it without the locks and the log's index (immutable).
    void nameFile(QSqlDatabase &db, bool asItStands) const;
    // SQLite, read-only: whether the file can be read. A file in WAL mode is read through the
    // index beside it, which a folder this user cannot write cannot take while nobody has the
    // archive open; with no log beside it either, the file holds all there is and is read as
    // it stands.
    bool readable(QSqlDatabase &db);
    // SQLite: the write-ahead log switched on (once for a file; a write).
    bool useWriteAheadLog();
    // PostgreSQL: whether this user may store runs.
    bool findReadOnly();
    // Before anything is written: not read-only, and for SQLite a file that passed the
    // integrity check (once per connection) and was not found damaged since.
    bool writable();
    bool migrate();
    bool applySteps(int from);
    // The run's bytes from their stored form, checked against their hash.
    bool unpack(const QByteArray &compressed, const QString &sha256, RunRecord &run);
    bool isSQLite() const { return m_location.kind == Location::Kind::SQLite; }
    // The signatures of the listed runs filled in (one statement for a page of runs).
    bool addSignatures(QList<RunRecord> &runs);

    Location m_location;
    QString m_name; // the Qt SQL connection's name
    bool m_open = false;
    bool m_readOnly = false;
    bool m_checked = false;   // the SQLite file passed its integrity check
    QString m_damaged;        // why this connection found the file damaged; empty: it did not
    Fault m_fault = Fault::None;
    QString m_error;
    QStringList m_secrets; // of the connection string: never in a message

    CommandDeadline m_deadline;
    int m_watching = 0; // calls under way (one calls another)
    bool m_armed = false;
    bool m_closeWhenDone = false;
    std::unique_ptr<QuietAboutFreeing> m_quiet; // while a dropped connection is closed
    std::chrono::milliseconds m_statementTimeout{kStatementTimeout};
};

// JSON kept as compact text in a column (jsonText(), audit_event.h), and back (NULL for none).
QVariant jsonOrNull(const std::optional<QJsonObject> &o);
std::optional<QJsonObject> jsonFrom(const QVariant &v);
// The judgement a run was given, kept beside the event that recorded it (inside the event's
// transaction).
bool keepJudgement(const QSqlDatabase &db, const QString &key, const AuditEvent &event,
                   const QVariant &status, const QVariant &limits, QSqlError *error);

// The list columns of one row of listQuery() as a record (no bytes).
RunRecord listedRun(const QSqlQuery &query);

// One row of the signatures table (seq, run_key, user_name, printed_name, meaning, signed_at,
// run_sha256, judgement_hash) as a signature.
Signature signatureAt(const QSqlQuery &query);

// A sensor's failed readings from three columns of `query` from `column` on (count, longest
// run in seconds, first time); unset when the count is NULL.
std::optional<FailedReadings> failedAt(const QSqlQuery &query, int column);

} // namespace archive
