#include "archive/archive_db.h"
#include "archive/archive_db_watch.h"
#include "archive/archive_texts.h"

#include <QSqlError>
#include <QSqlQuery>

namespace archive {

namespace {

const QString kSignatureColumns = QStringLiteral(
    "seq, run_key, user_name, printed_name, meaning, signed_at, run_sha256, judgement_hash");

// Keys bound in one IN list at most: well below what either database takes in one statement.
constexpr int kKeysAtOnce = 500;

} // namespace

Signature signatureAt(const QSqlQuery &q)
{
    return Signature{q.value(0).toLongLong(),
                     q.value(1).toString(),
                     q.value(2).toString(),
                     q.value(3).toString(),
                     meaningFromName(q.value(4).toString()).value_or(Meaning::Reviewed),
                     parseEventTime(q.value(5).toString()),
                     q.value(6).toString(),
                     q.value(7).toString()};
}

bool ArchiveDb::addSignatures(QList<RunRecord> &runs)
{
    QHash<QString, qsizetype> at;
    for (qsizetype i = 0; i < runs.size(); ++i)
        at.insert(runs.at(i).key, i);
    for (qsizetype from = 0; from < runs.size(); from += kKeysAtOnce) {
        const qsizetype n = std::min<qsizetype>(kKeysAtOnce, runs.size() - from);
        QStringList marks(n, QStringLiteral("?"));
        QSqlQuery q(database());
        q.setForwardOnly(true);
        q.prepare(QStringLiteral("SELECT %1 FROM signatures WHERE run_key IN (%2) ORDER BY seq")
                      .arg(kSignatureColumns, marks.join(QLatin1Char(','))));
        for (qsizetype i = from; i < from + n; ++i)
            q.addBindValue(runs.at(i).key);
        if (!exec(q))
            return false;
        while (q.next()) {
            Signature s = signatureAt(q);
            runs[at.value(s.run)].signatures << s;
        }
    }
    return true;
}

std::optional<ArchiveDb::SigningState> ArchiveDb::signingState(const QString &key)
{
    const Watch watch(*this);
    if (!open())
        return std::nullopt;
    QSqlQuery q(database());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT withdrawn FROM runs WHERE run_key = ?"));
    q.addBindValue(key);
    if (!exec(q))
        return std::nullopt;
    SigningState state;
    if (!q.next())
        return state;
    state.held = true;
    state.withdrawn = q.value(0).toInt() != 0;
    q.finish();
    const auto signatures = this->signatures(key);
    if (!signatures)
        return std::nullopt;
    state.signatures = *signatures;
    return state;
}

std::optional<Signature> ArchiveDb::sign(const Signature &signature)
{
    const Watch watch(*this);
    if (!open() || !writable() || !begin())
        return std::nullopt;
    const auto refuse = [this](Fault fault, const QString &why) {
        rollback();
        fail(fault, why);
        return std::nullopt;
    };
    // Inside the transaction that writes the signature: a withdrawal or a new judgement made
    // meanwhile elsewhere is seen here, never signed past.
    QSqlQuery run(database());
    run.prepare(QStringLiteral("SELECT sha256, withdrawn FROM runs WHERE run_key = ?"));
    run.addBindValue(signature.run);
    if (!exec(run)) {
        rollback();
        return std::nullopt;
    }
    if (!run.next())
        return refuse(Fault::NotFound, archivetext::kNoSuchRun.arg(signature.run));
    if (run.value(1).toInt() != 0)
        return refuse(Fault::Failed, archivetext::kSignWithdrawn.arg(signature.run));
    Signature kept = signature;
    kept.runSha256 = run.value(0).toString();
    run.finish();

    QSqlQuery judged(database());
    judged.prepare(QStringLiteral("SELECT j.status, e.hash FROM judgements j JOIN audit_events e "
                                  "ON e.seq = j.seq WHERE j.run_key = ? ORDER BY j.seq DESC "
                                  "LIMIT 1"));
    judged.addBindValue(signature.run);
    if (!exec(judged)) {
        rollback();
        return std::nullopt;
    }
    if (!judged.next())
        return refuse(Fault::Failed, archivetext::kSignNoJudgement.arg(signature.run));
    const QVariant status = judged.value(0);
    kept.judgementHash = judged.value(1).toString();
    judged.finish();

    AuditEvent event =
        newEvent(action::kSign, signature.run,
                 {{QStringLiteral("name"), kept.name},
                  {QStringLiteral("meaning"), meaningName(kept.meaning)},
                  {QStringLiteral("run_sha256"), kept.runSha256},
                  {QStringLiteral("judgement_hash"), kept.judgementHash},
                  {QStringLiteral("status"), status.isNull() ? QJsonValue() : status.toString()}});
    // Signed by the account the program runs as, whatever the caller named.
    kept.user = event.user;
    if (!append(event)) {
        rollback();
        return std::nullopt;
    }
    kept.seq = event.seq;
    kept.at = event.at;
    QSqlQuery row(database());
    row.prepare(QStringLiteral("INSERT INTO signatures (%1) VALUES (?, ?, ?, ?, ?, ?, ?, ?)")
                    .arg(kSignatureColumns));
    for (const QVariant &v : QVariantList{kept.seq, kept.run, kept.user, kept.name,
                                          meaningName(kept.meaning), eventTime(kept.at),
                                          kept.runSha256, kept.judgementHash})
        row.addBindValue(v);
    if (!exec(row) || !commit()) {
        rollback();
        return std::nullopt;
    }
    return kept;
}

bool ArchiveDb::recordFailedSigning(const QString &key, const QString &login, Meaning meaning,
                                    const QString &outcome)
{
    AuditEvent event = newEvent(action::kSignFailed, key,
                                {{QStringLiteral("login"), login},
                                 {QStringLiteral("meaning"), meaningName(meaning)},
                                 {QStringLiteral("outcome"), outcome}});
    return record(event);
}

} // namespace archive
