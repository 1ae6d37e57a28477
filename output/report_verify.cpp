#include "output/report_verify.h"

#include "acquisition/reading_set.h"
#include "analysis/summary_output.h"
#include "archive/archive_db.h"
#include "archive/audit_event.h"
#include "archive/limits_snapshot.h"
#include "common/sha256.h"
#include "common/text_from_file.h"
#include "datafile/set_io.h"
#include "output/pdf_attachment.h"
#include "output/report_record.h"
#include "output/report_texts.h"
#include "run/run_document.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <optional>

namespace report {

namespace {

Verification mismatch(const QString &line)
{
    return {false, line};
}

// A value of the PDF as the line shows it: what a forged file holds is shown, never obeyed by
// the terminal.
QString shortText(const QJsonValue &v)
{
    switch (v.type()) {
    case QJsonValue::Object:
        return textfromfile::shown(
            QString::fromUtf8(QJsonDocument(v.toObject()).toJson(QJsonDocument::Compact)));
    case QJsonValue::Array:
        return textfromfile::shown(
            QString::fromUtf8(QJsonDocument(v.toArray()).toJson(QJsonDocument::Compact)));
    case QJsonValue::String:
        return QLatin1Char('"') + textfromfile::shown(v.toString()) + QLatin1Char('"');
    case QJsonValue::Double:
        return QString::number(v.toDouble(), 'g', 15);
    case QJsonValue::Bool:
        return v.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QJsonValue::Null:
        return QStringLiteral("null");
    case QJsonValue::Undefined:
        break;
    }
    return QStringLiteral("missing");
}

// The path of the first value in which `a` and `b` differ ("summary.sensors.temperature.max"),
// with both values; nullopt when they are the same.
struct Difference
{
    QString path;
    QJsonValue a, b;
};

std::optional<Difference> firstDifference(const QJsonValue &a, const QJsonValue &b,
                                          const QString &path)
{
    if (a.isObject() && b.isObject()) {
        const QJsonObject x = a.toObject(), y = b.toObject();
        QStringList keys = x.keys();
        for (const QString &k : y.keys())
            if (!x.contains(k))
                keys << k;
        for (const QString &k : keys)
            if (auto d = firstDifference(x.value(k), y.value(k), path + QLatin1Char('.') + k))
                return d;
        return std::nullopt;
    }
    if (a.isArray() && b.isArray() && a.toArray().size() == b.toArray().size()) {
        const QJsonArray x = a.toArray(), y = b.toArray();
        for (qsizetype i = 0; i < x.size(); ++i)
            if (auto d = firstDifference(x[i], y[i], path + QStringLiteral("[%1]").arg(i)))
                return d;
        return std::nullopt;
    }
    if (a == b)
        return std::nullopt;
    return Difference{path, a, b};
}

// The summary of the attached bytes under the report's limits, in the report's unit.
std::optional<QJsonObject> recomputed(const pdfattach::Extracted &file, const QJsonObject &figures,
                                      QString *why)
{
    RunDocument doc;
    // A row file reads back with the figures in the unit the report was made in.
    doc.set().Cels_Faren = figures.value(figure::kFahrenheit).toBool() ? 0 : -1;
    const setio::Opened opened = doc.openFileBytes(file.bytes, file.fileName);
    if (opened.status != setio::Status::Ok) {
        *why = setio::explained(opened);
        return std::nullopt;
    }
    doc.setLimits(archive::limitsFromSnapshot(figures.value(figure::kLimits).toObject()));
    return QJsonDocument::fromJson(analysis::summaryJson(doc.summary(), doc.header())).object();
}

// Whether the report's signature `s` is the archive's: the same row in its signatures and a
// sign event of the same number and hash in its trail. Empty when it is, otherwise what is not.
QString signatureProblem(const QJsonObject &s, const QList<archive::Signature> &rows,
                         const QList<archive::AuditEvent> &events, const QString &key)
{
    const qint64 seq = s.value(figure::kSeq).toInteger();
    const auto row = std::find_if(rows.cbegin(), rows.cend(),
                                  [seq](const archive::Signature &r) { return r.seq == seq; });
    if (row == rows.cend())
        return kNoSignatureRow;
    if (row->user != s.value(figure::kUser).toString() ||
        row->name != s.value(figure::kName).toString() ||
        archive::meaningName(row->meaning) != s.value(figure::kMeaning).toString() ||
        archive::eventTime(row->at) != s.value(figure::kAt).toString() ||
        row->runSha256 != s.value(figure::kSha256).toString() ||
        row->judgementHash != s.value(figure::kJudgementHash).toString())
        return kSignatureDiffers;
    const QString hash = s.value(figure::kEventHash).toString();
    const bool inTrail = std::any_of(events.cbegin(), events.cend(), [&](const archive::AuditEvent &e) {
        return e.seq == seq && e.hash == hash && e.action == archive::action::kSign && e.run == key;
    });
    return inTrail ? QString() : kNoSignEvent;
}

// The archive's part: what it said when it agrees (the line's ending), the mismatch otherwise.
Verification checkArchive(archive::ArchiveDb &db, const pdfattach::Extracted &file,
                          const QJsonObject &figures, const QString &key)
{
    if (!db.open())
        return {true, kVerifiedArchiveAway.arg(db.error())};
    const QJsonArray signatures = figures.value(figure::kSignatures).toArray();
    const auto stored = db.storedRun(key);
    if (!stored) {
        if (db.fault() != archive::ArchiveDb::Fault::NotFound)
            return {true, kVerifiedArchiveAway.arg(db.error())};
        if (figures.value(figure::kInArchive).toBool() || !signatures.isEmpty())
            return mismatch(kNotInArchive.arg(key));
        return {true, kVerifiedNotArchived};
    }
    const auto bytes = db.bytes(key);
    if (!bytes)
        return mismatch(kArchiveFailed.arg(db.error()));
    if (*bytes != file.bytes)
        return mismatch(kBytesDiffer.arg(key));
    if (stored->withdrawn)
        return mismatch(kWithdrawn.arg(key));
    archive::AuditFilter filter;
    filter.run = key;
    filter.action = archive::action::kSign;
    const auto rows = db.signatures(key);
    const auto events = db.events(filter);
    if (!rows || !events)
        return mismatch(kArchiveFailed.arg(db.error()));
    for (const QJsonValue &s : signatures)
        if (const QString problem = signatureProblem(s.toObject(), *rows, *events, key);
            !problem.isEmpty())
            return mismatch(kSignatureMismatch.arg(s.toObject().value(figure::kSeq).toInteger())
                                .arg(problem));
    return {true, kVerifiedInArchive.arg(signatures.size())};
}

} // namespace

Verification verifyReport(const QString &path, archive::ArchiveDb *db)
{
    const pdfattach::Extracted file = pdfattach::extractFile(path);
    if (!file.ok())
        return mismatch(file.reason);
    if (file.metadataJson.isEmpty())
        return mismatch(kNoFigures);
    QJsonParseError parsed;
    const QJsonObject figures = QJsonDocument::fromJson(file.metadataJson, &parsed).object();
    if (parsed.error != QJsonParseError::NoError || !figures.contains(figure::kSummary))
        return mismatch(kFiguresUnreadable);

    const QString sha = sha256Hex(file.bytes);
    const QString statedSha = figures.value(figure::kSha256).toString();
    if (sha != statedSha)
        return mismatch(kShaMismatch.arg(sha, textfromfile::shown(statedSha)));
    const QString key = sha.left(16);
    if (figures.value(figure::kKey).toString() != key)
        return mismatch(
            kKeyMismatch.arg(key, textfromfile::shown(figures.value(figure::kKey).toString())));

    QString why;
    const auto summary = recomputed(file, figures, &why);
    if (!summary)
        return mismatch(kAttachedUnreadable.arg(why));
    if (const auto d = firstDifference(*summary, figures.value(figure::kSummary), figure::kSummary))
        return mismatch(kFigureMismatch.arg(d->path, shortText(d->a), shortText(d->b)));

    const Verification archived =
        db ? checkArchive(*db, file, figures, key) : Verification{true, QString()};
    if (!archived.ok)
        return archived;
    const QString line = kVerified.arg(key, sha);
    return {true, archived.line.isEmpty() ? line : line + QStringLiteral("; ") + archived.line};
}

} // namespace report
