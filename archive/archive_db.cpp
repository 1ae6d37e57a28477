#include "archive/archive_db.h"
#include "archive/archive_db_watch.h"

#include "archive/archive_texts.h"
#include "archive/audit_trail.h"
#include "archive/connection_string.h"
#include "archive/private_files.h"

#include <QAtomicInteger>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QUrl>
#include <QVariant>

#include <libpq-fe.h>

#include <mutex>

namespace archive {

QVariant jsonOrNull(const std::optional<QJsonObject> &o)
{
    return o ? QVariant(jsonText(*o)) : QVariant();
}
std::optional<QJsonObject> jsonFrom(const QVariant &v)
{
    if (v.isNull())
        return std::nullopt;
    return QJsonDocument::fromJson(v.toString().toUtf8()).object();
}

bool keepJudgement(const QSqlDatabase &db, const QString &key, const AuditEvent &event,
                   const QVariant &status, const QVariant &limits, QSqlError *error)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT INTO judgements (run_key, seq, judged_at, status, limits) "
                             "VALUES (?, ?, ?, ?, ?)"));
    for (const QVariant &v : QVariantList{key, event.seq, eventTime(event.at), status, limits})
        q.addBindValue(v);
    if (q.exec())
        return true;
    *error = q.lastError();
    return false;
}

namespace {

QAtomicInteger<quint64> g_connections;

// Every column of a run, in the order store() binds them; the run's bytes follow them in
// waitingToSend().
const QString kRunColumns = QStringLiteral(
    "run_key, sha256, stored_at, computer, user_name, source, model, serial, id_bytes, location, "
    "readings, first_reading, last_reading, status, min1, max1, min2, max2, to_send, "
    "failed1, failed_longest1, failed_at1, failed2, failed_longest2, failed_at2, limits");
constexpr int kFirstFailedColumn = 19;
constexpr int kLimitsColumn = 25;
constexpr int kCompressedColumn = 26;

// What the trail says of a run stored: its hash, how it was obtained and the judgement it was
// given.
QJsonObject storeDetails(const QString &sha256, const QString &source, const QVariant &status,
                         const QVariant &limits)
{
    return {{QStringLiteral("sha256"), sha256},
            {QStringLiteral("source"), source},
            {QStringLiteral("status"), status.isNull() ? QJsonValue() : QJsonValue(status.toString())},
            {QStringLiteral("limits"), limits.isNull() ? QJsonValue() : QJsonValue(*jsonFrom(limits))}};
}

// The location as search compares it, filled in for the runs there before it was kept: one
// statement a run, by its key (a site's runs are tens of thousands, its places many).
bool foldLocations(const QSqlDatabase &db, bool, QSqlError *error)
{
    QSqlQuery runs(db);
    runs.setForwardOnly(true);
    QList<std::pair<QString, QString>> folded;
    if (!runs.exec(QStringLiteral("SELECT run_key, location FROM runs"))) {
        *error = runs.lastError();
        return false;
    }
    while (runs.next())
        folded.append({runs.value(0).toString(), searchFolded(runs.value(1).toString())});
    QSqlQuery update(db);
    update.prepare(QStringLiteral("UPDATE runs SET location_folded = ? WHERE run_key = ?"));
    for (const auto &[key, location] : folded) {
        update.bindValue(0, location);
        update.bindValue(1, key);
        if (!update.exec()) {
            *error = update.lastError();
            return false;
        }
    }
    return true;
}

// A store event, marked as migrated, and the judgement it was stored with, for every run kept
// before the trail was: oldest first, so the trail reads in the order the runs came.
bool startTrail(const QSqlDatabase &db, bool postgres, QSqlError *error)
{
    QSqlQuery runs(db);
    runs.setForwardOnly(true);
    if (!runs.exec(QStringLiteral("SELECT run_key, sha256, source, status, stored_at, user_name, "
                                  "computer FROM runs ORDER BY stored_at, run_key"))) {
        *error = runs.lastError();
        return false;
    }
    struct Old
    {
        QString key;
        QJsonObject details;
        QVariant status;
    };
    QList<Old> old;
    while (runs.next()) {
        QJsonObject details = storeDetails(runs.value(1).toString(), runs.value(2).toString(),
                                           runs.value(3), QVariant());
        details.insert(QStringLiteral("migrated"), true);
        details.insert(QStringLiteral("stored_at"), runs.value(4).toString());
        details.insert(QStringLiteral("stored_by"), runs.value(5).toString());
        details.insert(QStringLiteral("stored_on"), runs.value(6).toString());
        old.append({runs.value(0).toString(), details, runs.value(3)});
    }
    runs.finish();
    for (const Old &run : old) {
        AuditEvent event = newEvent(action::kStore, run.key, run.details);
        if (!appendEvent(db, postgres, event, error) ||
            !keepJudgement(db, run.key, event, run.status, QVariant(), error))
            return false;
    }
    return true;
}

// What brings version n - 1 to version n: statements, then code for what SQL cannot work out.
struct Migration
{
    QStringList statements;
    bool (*fill)(const QSqlDatabase &db, bool postgres, QSqlError *error) = nullptr;
};

// Forward migrations. `%BLOB%` is the dialect's type for bytes. Runs and their bytes live in
// two tables so that listing never touches the bytes. The bytes are kept as qCompress (zlib)
// makes them: a ".brv2" file is text that shrinks about eight times, which makes storing
// quicker and an archive of years small.
const QList<Migration> &migrations()
{
    static const QList<Migration> steps{
        {{
            QStringLiteral(
                "CREATE TABLE runs ("
                "run_key VARCHAR(16) PRIMARY KEY, sha256 CHAR(64) NOT NULL UNIQUE, "
                "stored_at VARCHAR(24) NOT NULL, computer TEXT NOT NULL, user_name TEXT NOT NULL, "
                "source VARCHAR(8) NOT NULL, model INTEGER NOT NULL, serial INTEGER, "
                "id_bytes TEXT NOT NULL, location TEXT NOT NULL, readings INTEGER NOT NULL, "
                "first_reading VARCHAR(19), last_reading VARCHAR(19), status VARCHAR(16), "
                "min1 DOUBLE PRECISION, max1 DOUBLE PRECISION, min2 DOUBLE PRECISION, "
                "max2 DOUBLE PRECISION, to_send INTEGER NOT NULL DEFAULT 0)"),
            QStringLiteral("CREATE TABLE run_bytes (run_key VARCHAR(16) PRIMARY KEY "
                           "REFERENCES runs(run_key), compressed %BLOB% NOT NULL)"),
            QStringLiteral("CREATE INDEX runs_serial ON runs(serial)"),
            QStringLiteral("CREATE INDEX runs_stored_at ON runs(stored_at)"),
            QStringLiteral("CREATE INDEX runs_last_reading ON runs(last_reading)"),
            QStringLiteral("CREATE INDEX runs_to_send ON runs(to_send)"),
        }},
        // Each sensor's failed readings: how many, the longest run of them in seconds, and
        // when the first was taken. Runs stored before have none (NULL).
        {{
            QStringLiteral("ALTER TABLE runs ADD COLUMN failed1 INTEGER"),
            QStringLiteral("ALTER TABLE runs ADD COLUMN failed_longest1 BIGINT"),
            QStringLiteral("ALTER TABLE runs ADD COLUMN failed_at1 VARCHAR(19)"),
            QStringLiteral("ALTER TABLE runs ADD COLUMN failed2 INTEGER"),
            QStringLiteral("ALTER TABLE runs ADD COLUMN failed_longest2 BIGINT"),
            QStringLiteral("ALTER TABLE runs ADD COLUMN failed_at2 VARCHAR(19)"),
        }},
        // The location folded as search compares it (searchFolded): the same for SQLite and
        // PostgreSQL, whose own LOWER() knows no accents and, in SQLite, no letters beyond
        // ASCII.
        {{QStringLiteral("ALTER TABLE runs ADD COLUMN location_folded TEXT")}, foldLocations},
        // Records that prove themselves: the audit trail (only ever appended, each event
        // chained to the one before by its hash), every judgement a run was given with the
        // limits it was judged under (the runs' status follows the newest), signatures, the
        // site's limits and settings, and runs withdrawn rather than deleted. Every run
        // already there gets a store event marked as migrated.
        {{
             QStringLiteral(
                 "CREATE TABLE audit_events (seq BIGINT PRIMARY KEY, at_utc VARCHAR(20) NOT NULL, "
                 "utc_offset_s INTEGER NOT NULL, user_name TEXT NOT NULL, computer TEXT NOT NULL, "
                 "action VARCHAR(16) NOT NULL, run_key VARCHAR(16), details TEXT NOT NULL, "
                 "reason TEXT, prev_hash CHAR(64) NOT NULL, hash CHAR(64) NOT NULL)"),
             QStringLiteral("CREATE INDEX audit_events_run ON audit_events(run_key)"),
             QStringLiteral("CREATE INDEX audit_events_at ON audit_events(at_utc)"),
             QStringLiteral(
                 "CREATE TABLE judgements (run_key VARCHAR(16) NOT NULL REFERENCES runs(run_key), "
                 "seq BIGINT NOT NULL, judged_at VARCHAR(20) NOT NULL, status VARCHAR(16), "
                 "limits TEXT, PRIMARY KEY (run_key, seq))"),
             QStringLiteral(
                 "CREATE TABLE signatures (seq BIGINT PRIMARY KEY, run_key VARCHAR(16) NOT NULL "
                 "REFERENCES runs(run_key), user_name TEXT NOT NULL, printed_name TEXT NOT NULL, "
                 "meaning VARCHAR(16) NOT NULL, signed_at VARCHAR(20) NOT NULL, "
                 "run_sha256 CHAR(64) NOT NULL, judgement_hash CHAR(64) NOT NULL)"),
             QStringLiteral("CREATE INDEX signatures_run ON signatures(run_key)"),
             QStringLiteral("CREATE TABLE site_limits (scope VARCHAR(32) PRIMARY KEY, "
                            "limits TEXT NOT NULL, changed_at VARCHAR(20) NOT NULL)"),
             QStringLiteral("CREATE TABLE site_settings (name VARCHAR(64) PRIMARY KEY, "
                            "value TEXT NOT NULL)"),
             QStringLiteral("ALTER TABLE runs ADD COLUMN limits TEXT"),
             QStringLiteral("ALTER TABLE runs ADD COLUMN withdrawn INTEGER NOT NULL DEFAULT 0"),
             QStringLiteral("CREATE INDEX runs_withdrawn ON runs(withdrawn)"),
         },
         startTrail},
    };
    return steps;
}

// Seconds as a message gives them ("15", "0.6").
QString seconds(std::chrono::milliseconds ms) { return QString::number(double(ms.count()) / 1000.0); }

QVariant nullable(const std::optional<double> &v) { return v ? QVariant(*v) : QVariant(); }
// A text for a NOT NULL column: a null QString would be bound as NULL.
QVariant text(const QString &s) { return s.isNull() ? QVariant(QStringLiteral("")) : QVariant(s); }

// The three columns of a sensor's failed readings, NULL when unknown.
QVariantList failedValues(const std::optional<FailedReadings> &f)
{
    if (!f)
        return {QVariant(), QVariant(), QVariant()};
    return {f->readings, f->longestSeconds,
            f->firstAt.isValid() ? QVariant(timeText(f->firstAt)) : QVariant()};
}

} // namespace

// Qt's driver frees a query's prepared statement when the query goes, and warns when the
// connection is gone; for a connection dropped on purpose that is no news to anyone. While one
// of these lives, that warning is left out (other threads' messages pass on unchanged).
class QuietAboutFreeing
{
public:
    QuietAboutFreeing()
    {
        const std::lock_guard lock(s_mutex);
        if (s_users++ == 0)
            s_previous = qInstallMessageHandler(&filter);
    }
    ~QuietAboutFreeing()
    {
        const std::lock_guard lock(s_mutex);
        if (--s_users == 0)
            qInstallMessageHandler(s_previous);
    }
    QuietAboutFreeing(const QuietAboutFreeing &) = delete;
    QuietAboutFreeing &operator=(const QuietAboutFreeing &) = delete;

private:
    static void filter(QtMsgType type, const QMessageLogContext &context, const QString &message)
    {
        if (type != QtWarningMsg || !message.startsWith(QLatin1String("Unable to free statement")))
            s_previous(type, context, message);
    }

    static inline std::mutex s_mutex;
    static inline int s_users = 0;
    static inline QtMessageHandler s_previous = nullptr;
};

// Half as long again as the server's own limit, so that its message normally comes first; a
// connection whose string asks for no statement timeout gets no deadline either.
std::chrono::milliseconds ArchiveDb::answerWithin() const { return m_statementTimeout * 3 / 2; }

void ArchiveDb::armDeadline()
{
    if (isSQLite() || !m_open || m_watching == 0)
        return;
    const int s = socket();
    if (answerWithin().count() <= 0 || s < 0) {
        m_deadline.disarm();
        m_armed = false;
        return;
    }
    m_deadline.arm(s, answerWithin());
    m_armed = true;
}

void ArchiveDb::endDeadline()
{
    // Answered at the last moment, but the connection is gone all the same.
    const bool expired = m_armed && m_deadline.disarm();
    m_armed = false;
    if (expired)
        dropConnection();
    if (m_closeWhenDone) {
        m_closeWhenDone = false;
        database().close();
    }
    m_quiet.reset();
}

// The next call connects afresh. Closed once the call under way ends: its queries still hold
// statements prepared on the connection, which Qt frees (or fails to) as they go.
void ArchiveDb::dropConnection()
{
    m_open = false;
    if (m_watching == 0) {
        database().close();
        return;
    }
    m_closeWhenDone = true;
    if (!m_quiet)
        m_quiet = std::make_unique<QuietAboutFreeing>();
}

int ArchiveDb::socket() const
{
    // Qt's driver names the type by libpq's struct ("pg_conn*"); its documentation, by the
    // typedef.
    const QVariant handle = database().driver()->handle();
    if (qstrcmp(handle.typeName(), "pg_conn*") != 0 && qstrcmp(handle.typeName(), "PGconn*") != 0)
        return -1;
    PGconn *connection = *static_cast<PGconn *const *>(handle.constData());
    return connection ? PQsocket(connection) : -1;
}

bool ArchiveDb::limitStatements()
{
    QSqlQuery q(database());
    if (!q.exec(QStringLiteral("SELECT source, setting FROM pg_settings WHERE name = 'statement_timeout'")) ||
        !q.next())
        return fail(q.lastError());
    const std::chrono::milliseconds theirs{q.value(1).toLongLong()};
    if (q.value(0).toString() == QLatin1String("client") ||
        (theirs.count() > 0 && theirs <= kStatementTimeout)) {
        m_statementTimeout = theirs;
    } else if (!exec(QStringLiteral("SET statement_timeout = %1").arg(kStatementTimeout.count()))) {
        return false;
    }
    armDeadline();
    return true;
}

ArchiveDb::ArchiveDb(Location location)
    : m_location(std::move(location)),
      m_name(QStringLiteral("kestrun-archive-%1").arg(++g_connections))
{
}

ArchiveDb::~ArchiveDb()
{
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        if (db.isValid())
            db.close();
    }
    QSqlDatabase::removeDatabase(m_name);
}

QSqlDatabase ArchiveDb::database() const { return QSqlDatabase::database(m_name, false); }

bool ArchiveDb::fail(Fault fault, QString why)
{
    m_fault = fault;
    const QString where = describe(m_location);
    why = withoutSecrets(why, m_secrets);
    switch (fault) {
    case Fault::None:
        m_error.clear();
        return true;
    case Fault::Unreachable:
        m_error = archivetext::kUnreachable.arg(where, why);
        dropConnection();
        break;
    case Fault::NoAnswer:
        m_error = archivetext::kNoAnswer.arg(where, why);
        if (m_deadline.expired())
            dropConnection();
        break;
    case Fault::Damaged:
        m_error = archivetext::kDamaged.arg(where, why);
        // Not written to again through this connection, whatever asks.
        if (isSQLite())
            m_damaged = why;
        break;
    case Fault::Full:
        m_error = archivetext::kDiskFull.arg(where);
        break;
    case Fault::ReadOnly:
        m_error = archivetext::kReadOnly.arg(where);
        break;
    case Fault::Newer:
    case Fault::Older:
    case Fault::NotFound:
    case Fault::Failed:
        m_error = why;
        break;
    }
    return false;
}

bool ArchiveDb::fail(const QSqlError &error)
{
    const QString why = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    if (isSQLite()) {
        switch (error.nativeErrorCode().toInt() & 0xff) {
        case 11: // SQLITE_CORRUPT
        case 26: // SQLITE_NOTADB
            return fail(Fault::Damaged, why);
        case 13: // SQLITE_FULL
            return fail(Fault::Full, why);
        case 8:  // SQLITE_READONLY
        case 14: // SQLITE_CANTOPEN
            return fail(Fault::ReadOnly, why);
        default:
            break;
        }
    } else {
        // The deadline ran out and dropped the connection, or the server cancelled a statement
        // that took longer than the statement timeout.
        const QString state = error.nativeErrorCode();
        if (m_deadline.expired())
            return fail(Fault::NoAnswer, seconds(answerWithin()));
        if (state == QLatin1String("57014"))
            return fail(Fault::NoAnswer, seconds(m_statementTimeout));
        // No SQLSTATE (libpq lost the server), a connection exception or a server shutting
        // down: the shared archive went away.
        if (!m_open || state.isEmpty() || state.startsWith(QLatin1String("08")) ||
            state.startsWith(QLatin1String("57P")))
            return fail(Fault::Unreachable, why.trimmed());
    }
    return fail(Fault::Failed, archivetext::kFailed.arg(describe(m_location), why.trimmed()));
}

// A statement whose preparing failed (PostgreSQL prepares on the server, where it can wait on a
// lock past the statement timeout) fails with that reason, not with what running it would say.
bool ArchiveDb::exec(QSqlQuery &query)
{
    if (query.lastError().type() != QSqlError::NoError)
        return fail(query.lastError());
    return query.exec() || fail(query.lastError());
}

bool ArchiveDb::exec(const QString &sql)
{
    QSqlQuery q(database());
    return q.exec(sql) || fail(q.lastError());
}

// SQLite takes the write lock at once, so two programs storing wait for each other (the busy
// timeout) instead of failing when a read lock cannot be upgraded.
bool ArchiveDb::begin()
{
    return exec(isSQLite() ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("BEGIN"));
}

bool ArchiveDb::commit() { return exec(QStringLiteral("COMMIT")); }

void ArchiveDb::rollback()
{
    // A connection closed because its server went away has nothing to roll back.
    if (!m_open)
        return;
    QSqlQuery q(database());
    q.exec(QStringLiteral("ROLLBACK"));
}

bool ArchiveDb::configure(QSqlDatabase &db)
{
    if (isSQLite()) {
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        return true;
    }
    QString why;
    const auto connection = ConnectionString::parse(m_location.where, &why);
    if (!connection)
        return fail(Fault::Failed, archivetext::kBadConnection.arg(describe(m_location), why));
    m_secrets = connection->secrets();
    db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_name);
    db.setConnectOptions(connection->forDriver());
    return true;
}

bool ArchiveDb::prepareFile()
{
    const QFileInfo file(m_location.where);
    if (file.exists() && !file.isFile())
        return fail(Fault::Damaged, archivetext::kNotAFile);
    // The log beside the file is made and removed in its folder: a folder this user cannot
    // write makes the archive read-only as much as the file itself.
    if (file.exists()) {
        m_readOnly = !file.isWritable() || !QFileInfo(file.absolutePath()).isWritable();
        return true;
    }
    m_readOnly = false;
    if (!makeArchiveFolders(file.absolutePath()) || !createArchiveFile(file.absoluteFilePath()))
        return fail(Fault::ReadOnly, QString());
    return true;
}

void ArchiveDb::nameFile(QSqlDatabase &db, bool asItStands) const
{
    QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000");
    if (m_readOnly)
        options += QStringLiteral(";QSQLITE_OPEN_READONLY");
    if (asItStands) {
        options += QStringLiteral(";QSQLITE_OPEN_URI");
        db.setDatabaseName(QUrl::fromLocalFile(m_location.where).toString(QUrl::FullyEncoded) +
                           QStringLiteral("?immutable=1"));
    } else {
        db.setDatabaseName(m_location.where);
    }
    db.setConnectOptions(options);
}

bool ArchiveDb::readable(QSqlDatabase &db)
{
    {
        QSqlQuery probe(db);
        if (probe.exec(QStringLiteral("SELECT COUNT(*) FROM sqlite_master")) && probe.next())
            return true;
        // SQLITE_READONLY (its folder, the index not made) or SQLITE_CANTOPEN.
        const int code = probe.lastError().nativeErrorCode().toInt() & 0xff;
        if ((code != 8 && code != 14) || QFileInfo::exists(m_location.where + QStringLiteral("-wal")))
            return fail(probe.lastError());
    }
    db.close();
    nameFile(db, true);
    return db.open() || fail(db.lastError());
}

bool ArchiveDb::open()
{
    if (m_open)
        return true;
    if (!m_location.refused.isEmpty())
        return fail(Fault::Failed, m_location.refused);
    const Watch watch(*this);
    if (isSQLite() && !prepareFile())
        return false;
    // A connection that failed to open before is tried again as it is.
    QSqlDatabase db = database();
    if (!db.isValid() && !configure(db))
        return false;
    if (!db.isValid())
        return fail(Fault::Failed, archivetext::kNoDriver.arg(db.lastError().text()));
    m_statementTimeout = kStatementTimeout;
    if (isSQLite())
        nameFile(db, false);
    if (!db.open()) {
        if (isSQLite())
            return fail(db.lastError());
        return fail(Fault::Unreachable, db.lastError().databaseText().trimmed());
    }
    m_open = true;
    armDeadline();
    if (!isSQLite() && !limitStatements()) {
        dropConnection();
        return false;
    }
    // A damaged file fails here first.
    bool ready = true;
    if (!isSQLite()) {
        ready = findReadOnly();
    } else if (m_readOnly) {
        ready = readable(db);
    } else if (!useWriteAheadLog()) {
        // A file that turns out not to take writes (a read-only file system) is read as it is.
        m_readOnly = m_fault == Fault::ReadOnly;
        ready = m_fault != Fault::Damaged;
    }
    if (!ready) {
        m_open = false;
        db.close();
        return false;
    }
    if (!migrate()) {
        m_open = false;
        db.close();
        return false;
    }
    fail(Fault::None, QString());
    return true;
}

// WAL lets a reader list while another program stores; commits are flushed to the disk.
bool ArchiveDb::useWriteAheadLog()
{
    // Every commit is on the disk before it is reported done, whatever this SQLite's default:
    // a run, a signature or a withdrawal the user was told is kept survives a power cut, not
    // only a crash of the program. NORMAL would save that flush per commit, at that price.
    if (!exec(QStringLiteral("PRAGMA synchronous=FULL")))
        return false;
    QSqlQuery q(database());
    if (!q.exec(QStringLiteral("PRAGMA journal_mode")) || !q.next())
        return fail(q.lastError());
    const QString mode = q.value(0).toString();
    // Left open, the question would keep the file from changing its mode (silently).
    q.finish();
    if (mode.compare(QLatin1String("wal"), Qt::CaseInsensitive) == 0)
        return true;
    return writable() && exec(QStringLiteral("PRAGMA journal_mode=WAL"));
}

// Read-only as the server sees it: a read-only server or session, or a user who may neither
// create the tables nor add to them.
bool ArchiveDb::findReadOnly()
{
    QSqlQuery q(database());
    if (!q.exec(QStringLiteral(
            "SELECT current_setting('transaction_read_only') = 'on' OR CASE "
            "WHEN to_regclass('runs') IS NULL THEN NOT has_schema_privilege(current_schema(), 'CREATE') "
            "ELSE NOT (has_table_privilege('runs', 'INSERT') AND has_table_privilege('runs', 'UPDATE') "
            "AND has_table_privilege('run_bytes', 'INSERT')) END")) ||
        !q.next())
        return fail(q.lastError());
    m_readOnly = q.value(0).toBool();
    return true;
}

bool ArchiveDb::writable()
{
    if (m_readOnly)
        return fail(Fault::ReadOnly, QString());
    if (!m_damaged.isEmpty())
        return fail(Fault::Damaged, m_damaged);
    if (!isSQLite() || m_checked)
        return true;
    // Pages that do not read as pages; the first fault is enough to say so.
    QSqlQuery q(database());
    if (!q.exec(QStringLiteral("PRAGMA quick_check(1)")) || !q.next())
        return fail(q.lastError());
    QStringList found = q.value(0).toString().split(QLatin1Char('\n'));
    if (found != QStringList{QStringLiteral("ok")}) {
        // What was found, without the heading naming the database ("*** in database main ***").
        found.removeIf([](const QString &line) { return line.startsWith(QLatin1String("***")); });
        return fail(Fault::Damaged, found.join(QStringLiteral("; ")));
    }
    m_checked = true;
    return true;
}

QString ArchiveDb::readOnlyNote() const
{
    return m_readOnly ? archivetext::kReadOnlyNote.arg(describe(m_location)) : QString();
}

bool ArchiveDb::migrate()
{
    const int latest = int(migrations().size());
    const auto version = [this]() -> std::optional<int> {
        if (!database().tables().contains(QStringLiteral("schema_version")))
            return 0;
        QSqlQuery q(database());
        if (!q.exec(QStringLiteral("SELECT MAX(version) FROM schema_version")) || !q.next()) {
            fail(q.lastError());
            return std::nullopt;
        }
        return q.value(0).toInt();
    };
    auto current = version();
    if (!current)
        return false;
    if (*current == latest)
        return true;
    if (*current < latest && m_readOnly)
        return fail(Fault::Older, archivetext::kReadOnlyOlder.arg(describe(m_location))
                                      .arg(*current)
                                      .arg(latest));
    if (*current < latest) {
        if (!writable() || !begin())
            return false;
        // Another program may have migrated meanwhile: look again under the lock.
        const bool ok = (isSQLite() || exec(QStringLiteral("SELECT pg_advisory_xact_lock(20411)"))) &&
                        exec(QStringLiteral("CREATE TABLE IF NOT EXISTS schema_version "
                                            "(version INTEGER NOT NULL)")) &&
                        (current = version()).has_value();
        if (!ok || !applySteps(*current + 1)) {
            rollback();
            return false;
        }
        if (*current <= latest)
            return commit();
        rollback();
    }
    return fail(Fault::Newer, archivetext::kNewer.arg(describe(m_location))
                                  .arg(*current)
                                  .arg(latest));
}

bool ArchiveDb::applySteps(int from)
{
    const QString blob = isSQLite() ? QStringLiteral("BLOB") : QStringLiteral("BYTEA");
    for (int v = from; v <= int(migrations().size()); ++v) {
        const Migration &step = migrations().at(v - 1);
        for (QString sql : step.statements)
            if (!exec(sql.replace(QLatin1String("%BLOB%"), blob)))
                return false;
        QSqlError error;
        if (step.fill && !step.fill(database(), !isSQLite(), &error))
            return fail(error);
        QSqlQuery q(database());
        q.prepare(QStringLiteral("INSERT INTO schema_version (version) VALUES (?)"));
        q.addBindValue(v);
        if (!exec(q))
            return false;
    }
    return true;
}

ArchiveDb::Stored ArchiveDb::store(const RunRecord &run, bool toSend)
{
    const Watch watch(*this);
    if (!open() || !writable() || !begin())
        return Stored::Failed;
    QSqlQuery q(database());
    q.prepare(QStringLiteral("INSERT INTO runs (%1, location_folded) VALUES (?, ?, ?, ?, ?, ?, ?, "
                             "?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
                             "ON CONFLICT DO NOTHING")
                  .arg(kRunColumns));
    const QDateTime storedAt = run.storedAt.isValid() ? run.storedAt
                                                      : QDateTime::currentDateTimeUtc();
    for (const QVariant &v :
         QVariantList{run.key, run.sha256, storedAt.toUTC().toString(Qt::ISODateWithMs),
                      text(run.computer), text(run.user), runOriginName(run.source), run.model,
                      run.serial >= 0 ? QVariant(run.serial) : QVariant(), text(run.idBytes),
                      text(run.location), run.readings,
                      run.first.isValid() ? QVariant(timeText(run.first)) : QVariant(),
                      run.last.isValid() ? QVariant(timeText(run.last)) : QVariant(),
                      run.status ? QVariant(*run.status) : QVariant(), nullable(run.minimum[0]),
                      nullable(run.maximum[0]), nullable(run.minimum[1]), nullable(run.maximum[1]),
                      toSend ? 1 : 0} +
             failedValues(run.failed[0]) + failedValues(run.failed[1]) +
             QVariantList{jsonOrNull(run.limits), searchFolded(run.location)})
        q.addBindValue(v);
    if (!exec(q)) {
        rollback();
        return Stored::Failed;
    }
    // The same bytes were stored before: kept once (and sent on, if they are to be).
    if (q.numRowsAffected() == 0) {
        QSqlQuery mark(database());
        mark.prepare(QStringLiteral("UPDATE runs SET to_send = 1 WHERE run_key = ?"));
        mark.addBindValue(run.key);
        if ((toSend && !exec(mark)) || !commit()) {
            rollback();
            return Stored::Failed;
        }
        return Stored::AlreadyThere;
    }
    QSqlQuery b(database());
    b.prepare(QStringLiteral("INSERT INTO run_bytes (run_key, compressed) VALUES (?, ?)"));
    b.addBindValue(run.key);
    b.addBindValue(qCompress(run.bytes, 1));
    const QVariant status = run.status ? QVariant(*run.status) : QVariant();
    AuditEvent stored = newEvent(action::kStore, run.key,
                                 storeDetails(run.sha256, runOriginName(run.source), status,
                                              jsonOrNull(run.limits)));
    QSqlError error;
    if (!exec(b) || !append(stored) ||
        (!keepJudgement(database(), run.key, stored, status, jsonOrNull(run.limits), &error) &&
         !fail(error)) ||
        !commit()) {
        rollback();
        return Stored::Failed;
    }
    return Stored::Added;
}

std::optional<FailedReadings> failedAt(const QSqlQuery &q, int column)
{
    if (q.value(column).isNull())
        return std::nullopt;
    return FailedReadings{q.value(column).toInt(), q.value(column + 1).toLongLong(),
                          parseTime(q.value(column + 2).toString())};
}

RunRecord listedRun(const QSqlQuery &q)
{
    RunRecord r;
    r.storedAt = parseTime(q.value(int(RunColumn::StoredAt)).toString());
    const QVariant serial = q.value(int(RunColumn::Serial));
    r.serial = serial.isNull() ? -1 : serial.toInt();
    r.location = q.value(int(RunColumn::Location)).toString();
    r.model = q.value(int(RunColumn::Model)).toInt();
    r.first = parseTime(q.value(int(RunColumn::First)).toString());
    r.last = parseTime(q.value(int(RunColumn::Last)).toString());
    r.readings = q.value(int(RunColumn::Readings)).toInt();
    const QVariant status = q.value(int(RunColumn::Status));
    if (!status.isNull())
        r.status = status.toString();
    r.source = runOriginFromName(q.value(int(RunColumn::Source)).toString()).value_or(RunOrigin::File);
    r.key = q.value(int(RunColumn::Key)).toString();
    r.failed = {failedAt(q, int(RunColumn::Failed1)), failedAt(q, int(RunColumn::Failed2))};
    r.user = q.value(int(RunColumn::StoredBy)).toString();
    r.computer = q.value(int(RunColumn::Computer)).toString();
    r.withdrawn = q.value(int(RunColumn::Withdrawn)).toInt() != 0;
    r.limits = jsonFrom(q.value(int(RunColumn::Limits)));
    return r;
}

std::optional<QList<RunRecord>> ArchiveDb::list(const RunFilter &filter)
{
    return runs(listQuery(filter));
}

std::optional<QList<RunRecord>> ArchiveDb::runs(const RunQuery &query)
{
    const Watch watch(*this);
    if (!open())
        return std::nullopt;
    QSqlQuery q = prepared(query, true);
    if (!exec(q))
        return std::nullopt;
    QList<RunRecord> out;
    while (q.next())
        out << listedRun(q);
    if (!addSignatures(out))
        return std::nullopt;
    return out;
}

std::optional<int> ArchiveDb::count(const RunFilter &filter)
{
    const Watch watch(*this);
    if (!open())
        return std::nullopt;
    // The list's own conditions counted, so the count can never disagree with the list.
    QSqlQuery q = prepared(countQuery(filter), true);
    if (!exec(q))
        return std::nullopt;
    if (!q.next()) {
        fail(q.lastError());
        return std::nullopt;
    }
    return q.value(0).toInt();
}

QSqlQuery ArchiveDb::prepared(const RunQuery &query, bool forwardOnly) const
{
    QSqlQuery q(database());
    q.setForwardOnly(forwardOnly);
    q.prepare(query.sql);
    for (const QVariant &v : query.values)
        q.addBindValue(v);
    return q;
}

std::optional<QByteArray> ArchiveDb::bytes(const QString &key)
{
    const Watch watch(*this);
    if (!open())
        return std::nullopt;
    QSqlQuery q(database());
    q.prepare(QStringLiteral("SELECT sha256, compressed FROM runs JOIN run_bytes USING (run_key) "
                             "WHERE run_key = ?"));
    if (!findRun(q, key))
        return std::nullopt;
    RunRecord run;
    if (!unpack(q.value(1).toByteArray(), q.value(0).toString(), run))
        return std::nullopt;
    return run.bytes;
}

bool ArchiveDb::unpack(const QByteArray &compressed, const QString &sha256, RunRecord &run)
{
    setBytes(run, qUncompress(compressed));
    if (run.sha256 == sha256)
        return true;
    return fail(Fault::Damaged, archivetext::kHashMismatch.arg(sha256.left(16)));
}

std::optional<QList<RunRecord>> ArchiveDb::waitingToSend()
{
    const Watch watch(*this);
    if (!open())
        return std::nullopt;
    QSqlQuery q(database());
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT %1, compressed FROM runs JOIN run_bytes USING (run_key) "
                               "WHERE to_send = 1 ORDER BY stored_at")
                    .arg(kRunColumns))) {
        fail(q.lastError());
        return std::nullopt;
    }
    const auto optionalDouble = [&q](int i) {
        return q.value(i).isNull() ? std::optional<double>() : q.value(i).toDouble();
    };
    QList<RunRecord> out;
    while (q.next()) {
        RunRecord r;
        if (!unpack(q.value(kCompressedColumn).toByteArray(), q.value(1).toString(), r))
            return std::nullopt;
        r.storedAt = parseTime(q.value(2).toString());
        r.computer = q.value(3).toString();
        r.user = q.value(4).toString();
        r.source = runOriginFromName(q.value(5).toString()).value_or(RunOrigin::File);
        r.model = q.value(6).toInt();
        r.serial = q.value(7).isNull() ? -1 : q.value(7).toInt();
        r.idBytes = q.value(8).toString();
        r.location = q.value(9).toString();
        r.readings = q.value(10).toInt();
        r.first = parseTime(q.value(11).toString());
        r.last = parseTime(q.value(12).toString());
        if (!q.value(13).isNull())
            r.status = q.value(13).toString();
        r.minimum = {optionalDouble(14), optionalDouble(16)};
        r.maximum = {optionalDouble(15), optionalDouble(17)};
        r.failed = {failedAt(q, kFirstFailedColumn), failedAt(q, kFirstFailedColumn + 3)};
        r.limits = jsonFrom(q.value(kLimitsColumn));
        out << r;
    }
    return out;
}

bool ArchiveDb::markSent(const QString &key)
{
    const Watch watch(*this);
    if (!open() || !writable())
        return false;
    QSqlQuery q(database());
    q.prepare(QStringLiteral("UPDATE runs SET to_send = 0 WHERE run_key = ?"));
    q.addBindValue(key);
    return exec(q);
}

} // namespace archive
