#pragma once

#include "archive/run_record.h"
#include "archive/signature.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class RunDocument;

namespace archive {
class ArchiveDb;
}

// What a report says of itself beside the run's figures: who made it, where and when; whose
// run it is by its bytes (SHA-256 and archive key); who stored it; the limits it was judged
// under; the signatures given to it. Page 1 prints it, the PDF's metadata carries it with the
// figures, and verification reads it back.
namespace report {

// A signature as the report carries it: the archive's row and the hash of the trail's event
// that made it, so that neither can be swapped for another.
struct SignedBy
{
    archive::Signature signature;
    QString eventHash;
};

struct ReportRecord
{
    QString madeBy;   // login of the account that made the report
    QString computer; // where
    QDateTime madeAt; // this computer's local time
    QString sha256;   // of the run's ".brv2" bytes
    QString key;      // the archive key those bytes give
    // Who stored the run and when; unset when the archive has no such run or was not asked.
    std::optional<archive::RunRecord> stored;
    // Why the archive could not say; empty when it did or was not asked.
    QString archiveAway;
    QJsonObject limits; // the snapshot of the limits the figures were judged under
    QList<SignedBy> signatures;
};

// The record of a report of `doc` made at `madeAt`. With `db`, who stored the run and its
// signatures are looked up (a failure leaves them unknown, with why).
ReportRecord recordOf(const RunDocument &doc, const QDateTime &madeAt, archive::ArchiveDb *db);

// The lines of page 1 that say it.
QStringList recordLines(const ReportRecord &record, const RunDocument &doc);

// The figures as the PDF's metadata carries them: the summary as `kestrun-cli summary --json`
// gives it, the unit, the limits, the SHA-256, the key, who made and stored it and the
// signatures; compact JSON.
QByteArray figuresJson(const RunDocument &doc, const ReportRecord &record);

// The name the run's file has as an attachment: the name of the file it was opened from, or
// one made of its key.
QString attachmentName(const RunDocument &doc, const ReportRecord &record);

// A local time as the report shows it, with its offset from UTC ("05/12/2026 09:30:00
// UTC+01:00").
QString timeWithOffset(const QDateTime &t);

// Keys of the figures (also read back by verification).
namespace figure {
inline const QString kSummary = QStringLiteral("summary");
inline const QString kFahrenheit = QStringLiteral("fahrenheit");
inline const QString kLimits = QStringLiteral("limits");
inline const QString kSha256 = QStringLiteral("sha256");
inline const QString kKey = QStringLiteral("key");
inline const QString kInArchive = QStringLiteral("in_archive");
inline const QString kMade = QStringLiteral("made");
inline const QString kStored = QStringLiteral("stored");
inline const QString kSignatures = QStringLiteral("signatures");
inline const QString kUser = QStringLiteral("user");
inline const QString kComputer = QStringLiteral("computer");
inline const QString kAt = QStringLiteral("at");
inline const QString kOffset = QStringLiteral("utc_offset_s");
inline const QString kSeq = QStringLiteral("seq");
inline const QString kName = QStringLiteral("name");
inline const QString kMeaning = QStringLiteral("meaning");
inline const QString kEventHash = QStringLiteral("event_hash");
inline const QString kJudgementHash = QStringLiteral("judgement_hash");
} // namespace figure

} // namespace report
