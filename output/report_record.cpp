#include "output/report_record.h"

#include "acquisition/reading_set.h"
#include "analysis/quantity.h"
#include "analysis/summary_output.h"
#include "archive/archive_db.h"
#include "archive/audit_event.h"
#include "archive/limits_snapshot.h"
#include "common/datetext.h"
#include "common/sha256.h"
#include "common/text_from_file.h"
#include "output/report_texts.h"
#include "run/run_document.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

#include <cstdlib>

namespace report {

namespace {

// The sign events of the run by their numbers: the hash each one has in the trail.
QHash<qint64, QString> signEventHashes(archive::ArchiveDb &db, const QString &key)
{
    archive::AuditFilter filter;
    filter.run = key;
    filter.action = archive::action::kSign;
    QHash<qint64, QString> out;
    if (const auto events = db.events(filter))
        for (const archive::AuditEvent &e : *events)
            out.insert(e.seq, e.hash);
    return out;
}

// Looks the run up in `db`; false with why when the archive could not say.
bool lookUp(archive::ArchiveDb &db, ReportRecord &r)
{
    r.stored = db.storedRun(r.key);
    if (!r.stored) {
        // No such run is an answer; anything else leaves it unknown.
        return db.fault() == archive::ArchiveDb::Fault::NotFound;
    }
    const auto signatures = db.signatures(r.key);
    if (!signatures)
        return false;
    const QHash<qint64, QString> hashes = signEventHashes(db, r.key);
    for (const archive::Signature &s : *signatures)
        r.signatures << SignedBy{s, hashes.value(s.seq)};
    return true;
}

QString boundText(analysis::Quantity q, const std::optional<double> &v, bool fahrenheit)
{
    return v ? analysis::valueText(q, *v, fahrenheit) + QLatin1Char(' ') +
                   analysis::unit(q, fahrenheit)
             : kNoLimit;
}

QString limitsLine(const RunDocument &doc)
{
    const analysis::Limits &limits = doc.limits();
    const bool fahrenheit = doc.summary().fahrenheit;
    QStringList sensors;
    for (const analysis::Quantity q : analysis::sensorsOf(doc.set().MODEL)) {
        const analysis::Bounds b = limits.shownBounds(q, fahrenheit);
        sensors << kSensorLimits.arg(analysis::caption(q), boundText(q, b.high, fahrenheit),
                                     boundText(q, b.low, fahrenheit));
    }
    return kLimitsLine.arg(sensors.join(QStringLiteral("; ")))
        .arg(limits.delayMinutes)
        .arg(analysis::typeName(limits.type));
}

QJsonValue storedJson(const ReportRecord &r)
{
    if (!r.stored)
        return QJsonValue();
    return QJsonObject{{figure::kUser, r.stored->user},
                       {figure::kComputer, r.stored->computer},
                       {figure::kAt, archive::eventTime(r.stored->storedAt)}};
}

QJsonArray signaturesJson(const ReportRecord &r)
{
    QJsonArray out;
    for (const SignedBy &s : r.signatures)
        out.append(QJsonObject{{figure::kSeq, s.signature.seq},
                               {figure::kUser, s.signature.user},
                               {figure::kName, s.signature.name},
                               {figure::kMeaning, archive::meaningName(s.signature.meaning)},
                               {figure::kAt, archive::eventTime(s.signature.at)},
                               {figure::kSha256, s.signature.runSha256},
                               {figure::kJudgementHash, s.signature.judgementHash},
                               {figure::kEventHash, s.eventHash}});
    return out;
}

} // namespace

QString timeWithOffset(const QDateTime &t)
{
    const QDateTime local = t.toLocalTime();
    return analysis::momentText(local) + QStringLiteral(" UTC") +
           datetext::utcOffsetText(local.offsetFromUtc());
}

ReportRecord recordOf(const RunDocument &doc, const QDateTime &madeAt, archive::ArchiveDb *db)
{
    // The same account and computer the report's event names.
    const archive::AuditEvent stamp = archive::newEvent(archive::action::kReport);
    ReportRecord r;
    r.madeBy = stamp.user;
    r.computer = stamp.computer;
    r.madeAt = madeAt;
    r.sha256 = sha256Hex(doc.fileBytes());
    r.key = r.sha256.left(16);
    r.limits = archive::limitsSnapshot(doc.limits(), doc.set().MODEL);
    if (db && !lookUp(*db, r)) {
        r.stored.reset();
        r.signatures.clear();
        r.archiveAway = db->error();
    }
    return r;
}

QStringList recordLines(const ReportRecord &r, const RunDocument &doc)
{
    using textfromfile::shown;
    QStringList lines{kMadeByLine.arg(shown(r.madeBy), shown(r.computer),
                                      timeWithOffset(r.madeAt))};
    if (r.stored)
        lines << kStoredByLine.arg(shown(r.stored->user), shown(r.stored->computer),
                                   timeWithOffset(r.stored->storedAt));
    else
        lines << (r.archiveAway.isEmpty() ? kNotStoredLine : kArchiveUnknownLine.arg(r.archiveAway));
    lines << kShaLinePrefix + r.sha256;
    lines << (r.stored ? kKeyLine : kNoKeyLine).arg(r.key);
    lines << limitsLine(doc);
    if (r.signatures.isEmpty()) {
        lines << kNoSignatures;
        return lines;
    }
    lines << kSignaturesHead;
    for (const SignedBy &s : r.signatures)
        lines << kSignatureLine.arg(archive::meaningCaption(s.signature.meaning),
                                    shown(s.signature.name), shown(s.signature.user),
                                    timeWithOffset(s.signature.at));
    return lines;
}

QByteArray figuresJson(const RunDocument &doc, const ReportRecord &r)
{
    const QJsonObject summary =
        QJsonDocument::fromJson(analysis::summaryJson(doc.summary(), doc.header())).object();
    const QDateTime made = r.madeAt.toLocalTime();
    const QJsonObject out{
        {figure::kSummary, summary},
        {figure::kFahrenheit, doc.summary().fahrenheit},
        {figure::kLimits, r.limits},
        {figure::kSha256, r.sha256},
        {figure::kKey, r.key},
        {figure::kInArchive, bool(r.stored)},
        {figure::kMade, QJsonObject{{figure::kUser, r.madeBy},
                                    {figure::kComputer, r.computer},
                                    {figure::kAt, archive::eventTime(made.toUTC())},
                                    {figure::kOffset, made.offsetFromUtc()}}},
        {figure::kStored, storedJson(r)},
        {figure::kSignatures, signaturesJson(r)},
    };
    return QJsonDocument(out).toJson(QJsonDocument::Compact);
}

QString attachmentName(const RunDocument &doc, const ReportRecord &r)
{
    const QFileInfo file(doc.title());
    if (doc.origin() == RunOrigin::File &&
        file.suffix().compare(QStringLiteral("brv2"), Qt::CaseInsensitive) == 0)
        return file.fileName();
    return QStringLiteral("run-%1.brv2").arg(r.key);
}

} // namespace report
