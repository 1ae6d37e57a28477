#include "output/output_trail.h"

#include "archive/archive_db.h"
#include "archive/audit_event.h"
#include "common/sha256.h"
#include "output/report_texts.h"

#include <QFileInfo>

namespace report {

namespace {

// The file as the trail names it: its name without the folders, which say more about the
// account than about the record (standard output stays "-").
QString fileNamed(const QString &path)
{
    return QFileInfo(path).fileName().isEmpty() ? path : QFileInfo(path).fileName();
}

} // namespace

QJsonObject reportDetails(const QByteArray &pdf, const QString &path, const QString &runSha256)
{
    return {{detail::kPdfSha256, sha256Hex(pdf)},
            {detail::kFile, fileNamed(path)},
            {detail::kRunSha256, runSha256}};
}

QJsonObject exportDetails(const QString &format, const QByteArray &file, const QString &path)
{
    return {{detail::kFormat, format},
            {detail::kFile, fileNamed(path)},
            {detail::kSha256, sha256Hex(file)}};
}

QString OutputTrail::written(archive::ArchiveDb &db, const QString &action,
                             const QString &runSha256, const QJsonObject &details)
{
    const QString key = runSha256.left(16);
    const auto stored = db.storedRun(key);
    archive::AuditEvent event =
        archive::newEvent(action, stored && stored->sha256 == runSha256 ? key : QString(), details);
    if (db.record(event)) {
        m_told = false;
        return QString();
    }
    if (m_told)
        return QString();
    m_told = true;
    return kEventNotRecorded.arg(db.error());
}

} // namespace report
